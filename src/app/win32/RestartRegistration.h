#pragma once
// Restarting the clock as it was, on Windows. The command line it was started
// with is read through the core's rules; the line that starts it again is
// registered with RegisterApplicationRestart (Restart Manager, updates, a
// reboot) and kept as the caption of a message-only window of the class
// kClassName, where an installer that closes the clock reads it (GetWindowText
// works across processes) to start it again the same way.

#include "app/win32/SystemHeaders.h"

#include <string>
#include <vector>

#include "clock/RestartLine.h"
#include "platform/win32/Owned.h"

// The arguments of this process as the core reads them; `error` says why they
// were refused (empty when they were taken).
RestartParse restartFromCommandLine();

class RestartRegistration {
  public:
    explicit RestartRegistration(HINSTANCE instance);

    // Registers the arguments that start the clock again as it is now.
    void set(const std::vector<std::string>& arguments);

    static constexpr const wchar_t* kClassName = L"AlarmClockRestartLine";

  private:
    OwnedWindow m_window;
};
