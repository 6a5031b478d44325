#pragma once
// GDI+ (which needs min and max of its own headers' kind), and its start-up
// held for the life of an object.

#include "app/win32/SystemHeaders.h"

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

class GdiplusSession {
  public:
    GdiplusSession() {
        const Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    ~GdiplusSession() {
        if (m_token) Gdiplus::GdiplusShutdown(m_token);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

  private:
    ULONG_PTR m_token = 0;
};
