#pragma once
// The dialogs and the window host on Win32, and its local clock and folders (app/run/ClockRun.h).

#include "app/win32/SystemHeaders.h"

#include <functional>
#include <string>

#include "app/run/ClockRun.h"
#include "clock/Services.h"

class Win32Dialogs : public Dialogs {
  public:
    explicit Win32Dialogs(HWND owner) : m_owner(owner) {}
    std::string inputBox(const std::string& prompt, const std::string& title) override;
    int askYesNo(const std::string& text, const std::string& title) override;
    void message(const std::string& text, const std::string& title) override;
    std::string openFile(const std::string& title, const std::string& filter,
                         const std::string& defaultExt, const std::string& initialPath) override;

  private:
    HWND m_owner;
};

// Positions in the design's twips, whatever the monitor's scale: `scale` gives
// the monitor's pixels per pixel of the design.
class Win32WindowHost : public WindowHost {
  public:
    Win32WindowHost(HWND window, HICON icon, std::function<double()> scale)
        : m_window(window), m_icon(icon), m_scale(std::move(scale)) {}
    int left() const override;
    int top() const override;
    void move(int left, int top) override;
    void show() override;
    void hide() override;
    void minimize() override;
    bool isVisible() const override;
    // Asks the window to close; the unload runs from its WM_CLOSE.
    void close() override;
    unsigned long long hWnd() const override {
        return reinterpret_cast<unsigned long long>(m_window);
    }
    unsigned long long hIcon() const override {
        return reinterpret_cast<unsigned long long>(m_icon);
    }

  private:
    HWND m_window;
    HICON m_icon;
    std::function<double()> m_scale;
};
