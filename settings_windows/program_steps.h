#pragma once
// The device steps of the program dialogs, on device 0, and the rule that a
// sequence of them stops at its first failing step.
#include <functional>
#include <initializer_list>

namespace program_steps {

// Selects the program that the next load, reset or store acts on. A number
// outside 0 to 255 is sent as 255, which the interface refuses (4102) like
// any number above 15, instead of wrapping onto another program.
int select(int program);
// The selected program becomes the working settings.
int load();
// The working settings are stored permanently into the selected program.
int store();
// The selected program returns to its defaults (0x20000).
int reset();
// The second step of the factory reset (0x30000).
int resetAll();

// Runs the steps in order up to the first non-zero status, which it returns;
// 0 when every step succeeded.
int runInOrder(std::initializer_list<std::function<int()>> steps);

}  // namespace program_steps
