#pragma once
// Keeps Windows from sleeping while the alarm is armed: the window's thread
// asks SetThreadExecutionState for the system to stay on until released. The
// request belongs to that thread, so both calls must come from it (the core
// calls them from the window's handlers).

#include "clock/Services.h"

class Win32SleepInhibitor : public SleepInhibitor {
  public:
    ~Win32SleepInhibitor() override { release(); }
    void inhibit(const std::string& reason) override;
    void release() override;
    // After a wake for the alarm: the display kept on too, until release().
    void keepDisplayOn();

  private:
    bool m_held = false;
};
