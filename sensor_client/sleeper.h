#pragma once
// Every pause a window prescribes (a reboot's wait, a pause between two device
// steps) goes through the one installed Sleeper, so that tests can shorten
// and record them. Safe to call from worker threads; install before any
// window runs (tests install theirs at the start of a test).
#include <memory>

namespace ui {

class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleepMs(int ms) = 0;
};

// The installed sleeper (the real one until another is installed).
Sleeper& sleeper();

// Installs a sleeper for the process and returns the one it replaces.
std::unique_ptr<Sleeper> installSleeper(std::unique_ptr<Sleeper> replacement);

// The real one: std::this_thread::sleep_for on the steady clock.
class ThreadSleeper : public Sleeper {
public:
    void sleepMs(int ms) override;
};

}  // namespace ui
