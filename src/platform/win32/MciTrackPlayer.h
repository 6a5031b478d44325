#pragma once
// The alarm track through MCI's DirectShow device ("mpegvideo"): it plays
// WAV, MP3 and WMA, loops with "play ... repeat", and "pause" / "resume" keep
// the position. A file the device cannot open or play is reported through
// onError at once, on the caller's thread.

#include <functional>
#include <string>

#include "clock/Services.h"

class MciTrackPlayer : public TrackPlayer {
  public:
    explicit MciTrackPlayer(std::function<void()> onError) : m_onError(std::move(onError)) {}
    ~MciTrackPlayer() override;
    MciTrackPlayer(const MciTrackPlayer&) = delete;
    MciTrackPlayer& operator=(const MciTrackPlayer&) = delete;

    void setLoop(bool loop) override { m_loop = loop; }
    void open(const std::string& path) override;
    std::string url() const override { return m_url; }
    PlayState playState() const override;
    void pause() override;
    void play() override;
    void stop() override;
    // The device's position in the track: it moves while the track sounds.
    unsigned long long soundWritten() const override;

  private:
    void close();
    bool start();

    std::function<void()> m_onError;
    std::string m_url;
    bool m_open = false;
    bool m_loop = false;
};
