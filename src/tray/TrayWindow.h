#pragma once
// What the tray manager needs of the window it serves: the handles it puts
// into its icon record.

class TrayWindow {
  public:
    virtual ~TrayWindow() = default;
    virtual unsigned long long hWnd() const = 0;
    virtual unsigned long long hIcon() const = 0;
};
