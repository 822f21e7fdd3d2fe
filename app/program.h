#pragma once
// The program from its first statement to the end of its event loop: the
// application object, the crash handler, the sensor client and interface,
// the style and style sheet, the start-up checks, then the main window and
// the event loop until it closes.
#include <functional>

class QtLineLaserClient;

// beforeLoop, when given, sees the main window once it is shown, before the
// event loop runs (the start-up timing program watches for its first paint).
int runProgram(int argc, char** argv, const std::function<void(QtLineLaserClient&)>& beforeLoop = {});
