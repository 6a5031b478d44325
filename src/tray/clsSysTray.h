#pragma once
// The tray icon of one window: its image, tooltip and balloons, and the six
// events decoded from the shell's notifications (delivered as mouse moves).

#include <cstdint>
#include <functional>
#include <string>

#include "tray/TrayBackend.h"
#include "tray/TrayWindow.h"

class clsSysTray {
  public:
    explicit clsSysTray(TrayBackend& backend);
    ~clsSysTray();  // removes the icon
    clsSysTray(const clsSysTray&) = delete;
    clsSysTray& operator=(const clsSysTray&) = delete;

    // Builds the tray icon from a picture; a colour >= 0 becomes transparent in
    // the top-left 32 x 32 pixels. Leaves the picture as it was.
    void DrawIcon(const Picture& ppic, int32_t plngTransparentColor = -1);
    void Init(TrayWindow& pfrm, const std::string& pstrTooltip);
    // Raises at most one event, synchronously, from the notification number X.
    void MouseMove(int16_t& Button, int32_t X, TrayWindow& pfrm);
    void SetIcon(TrayWindow& pfrm);
    // Throws std::out_of_range, before anything is sent, when plngTimeout does
    // not fit in 32 bits.
    void ShowBalloonTip(const std::string& pstrMessage, int32_t penIcon = 0,
                        const std::string& pstrTitle = "", int64_t plngTimeout = 30000);
    const std::string& TooltipText() const { return m_tooltip; }
    void TooltipText(const std::string& text);

    const NotifyIconData& record() const { return m_record; }

    // Events.
    std::function<void()> LeftClick;
    std::function<void()> RightClick;
    std::function<void()> DoubleClick;
    std::function<void()> BalloonHide;
    std::function<void()> BalloonTimeOut;
    std::function<void()> BalloonClicked;

  private:
    void ApplyIcon();

    TrayBackend& m_backend;
    std::string m_tooltip;
    NotifyIconData m_record{};
};
