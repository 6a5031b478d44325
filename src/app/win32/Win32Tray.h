#pragma once
// The notification area through Shell_NotifyIconA. The tray manager's record
// is copied field for field into the 64-bit NOTIFYICONDATAA. The icon's
// callback message (the mouse move) comes back to the window; when Explorer
// starts again ("TaskbarCreated") the icon is added afresh.

#include "app/win32/SystemHeaders.h"

#include <cstdint>

#include "tray/TrayBackend.h"

class Win32Tray : public TrayBackend {
  public:
    void notifyIcon(NotifyMessage message, const NotifyIconData& record) override;
    uint64_t createIcon(const IconImage& image) override;
    void destroyIcon(uint64_t hIcon) override;
    // Whether the shell took the icon (there is no notification area without Explorer).
    bool iconShown() const override { return m_iconShown; }

    // Adds the icon again as it was last shown (after Explorer restarted).
    void restore();
    // The message Explorer broadcasts when its task bar is made.
    static UINT taskbarCreatedMessage();

  private:
    bool m_added = false;
    bool m_iconShown = false;
    NotifyIconData m_shown{};  // the icon as last added or changed
};
