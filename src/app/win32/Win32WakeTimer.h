#pragma once
// Wakes Windows from sleep for the alarm: a waitable timer set with the
// resume flag for an absolute UTC time (a relative time does not count the
// sleep). Where the computer cannot be woken (the call says the resume is not
// supported, or the power plan has wake timers off) set() says so. When the
// timer fires, `onWake` runs on the window's thread: Windows sleeps again
// about two minutes after a wake that no person made, so the system and the
// display are kept on from then until the alarm is switched off.

#include "app/win32/SystemHeaders.h"

#include <atomic>
#include <functional>

#include "clock/Services.h"
#include "platform/win32/Owned.h"

class Win32WakeTimer : public WakeTimer {
  public:
    Win32WakeTimer(PostToWindow post, std::function<void()> onWake);
    ~Win32WakeTimer() override;
    Win32WakeTimer(const Win32WakeTimer&) = delete;
    Win32WakeTimer& operator=(const Win32WakeTimer&) = delete;

    bool set(std::chrono::system_clock::time_point due) override;
    void cancel() override;

  private:
    // On a thread of the pool, when the timer fires.
    static void __stdcall fired(void* self, unsigned char timedOut);

    PostToWindow m_post;
    std::function<void()> m_onWake;
    UniqueHandle m_timer;    // the waitable timer, made at each set()
    void* m_wait = nullptr;  // the pool's wait on it while it is set
    // Moves on at every set and cancel, so a wake posted before either is passed over.
    std::atomic<unsigned> m_setting{0};
};
