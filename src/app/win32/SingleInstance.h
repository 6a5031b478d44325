#pragma once
// One clock per user session: a named mutex ("Local\AlarmClock-<user>") marks
// the running clock. A second start finds the running clock's window by its
// class, asks it to show and raise itself, and ends without doing anything else.

#include "app/win32/SystemHeaders.h"
#include "platform/win32/Owned.h"

class SingleInstance {
  public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Whether another clock of this session held the mutex first.
    bool another() const { return m_another; }
    // Posts `message` to the other clock's window (waiting a few seconds for
    // it while that clock is still starting); whether a window was found.
    bool wake(const wchar_t* windowClass, UINT message) const;

  private:
    UniqueHandle m_mutex;
    bool m_another = false;
};
