#pragma once
// The track player for a build without sound: every file fails at once, so
// the clock takes its beep path, which fails silently too.

#include <functional>
#include <string>

#include "clock/Services.h"

class NullTrackPlayer : public TrackPlayer {
  public:
    explicit NullTrackPlayer(std::function<void()> onError) : m_onError(std::move(onError)) {}
    void setLoop(bool) override {}
    void open(const std::string& path) override {
        m_url = path;
        if (m_onError) m_onError();
    }
    std::string url() const override { return m_url; }
    PlayState playState() const override { return Undefined; }
    void pause() override {}
    void play() override {}
    void stop() override {}
    unsigned long long soundWritten() const override { return 0; }

  private:
    std::function<void()> m_onError;
    std::string m_url;
};
