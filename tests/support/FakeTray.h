#pragma once
// A tray that records every call made to it, and a window that only has the two
// handles the tray manager asks for. Header-only, for any test that needs them.

#include <cstdint>
#include <string>
#include <vector>

#include "clock/Services.h"
#include "tray/TrayBackend.h"

class FakeTrayBackend : public TrayBackend {
  public:
    struct Sent {
        NotifyMessage message;
        NotifyIconData record;
    };

    void notifyIcon(NotifyMessage message, const NotifyIconData& record) override {
        sent.push_back({message, record});
        calls.push_back(message == NIM_ADD ? "add" : message == NIM_MODIFY ? "modify" : "delete");
    }
    uint64_t createIcon(const IconImage& image) override {
        images.push_back(image);
        calls.push_back("create");
        return nextIcon;
    }
    void destroyIcon(uint64_t hIcon) override {
        destroyed.push_back(hIcon);
        calls.push_back("destroy");
    }

    bool iconShown() const override { return true; }

    const NotifyIconData& last() const { return sent.back().record; }

    std::vector<Sent> sent;
    std::vector<IconImage> images;
    std::vector<uint64_t> destroyed;
    // Every call in order: "add", "modify", "delete", "create", "destroy".
    std::vector<std::string> calls;
    // What createIcon gives; 0 makes it fail.
    uint64_t nextIcon = 0x5000;
};

class FakeWindowHost : public WindowHost {
  public:
    int left() const override { return m_left; }
    int top() const override { return m_top; }
    void move(int left, int top) override {
        m_left = left;
        m_top = top;
    }
    void show() override { visible = true; }
    void hide() override { visible = false; }
    void minimize() override {}
    bool isVisible() const override { return visible; }
    void close() override { closed = true; }
    unsigned long long hWnd() const override { return handle; }
    unsigned long long hIcon() const override { return icon; }

    unsigned long long handle = 0x1234;
    unsigned long long icon = 0x77;
    bool visible = true;
    bool closed = false;

  private:
    int m_left = 0;
    int m_top = 0;
};
