#pragma once
// The alarm track player: QMediaPlayer with an audio output, opened by local path.

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QTimer>
#include <functional>

#include "clock/Services.h"

class QtTrackPlayer : public TrackPlayer {
  public:
    QtTrackPlayer();
    void setLoop(bool loop) override;
    void open(const std::string& path) override;
    std::string url() const override { return m_url; }
    int playState() const override;
    void pause() override { m_player.pause(); }
    void play() override { m_player.play(); }
    void stop() override { m_player.stop(); }

    // Called when the file cannot be played.
    std::function<void()> onError;

  private:
    void reportError();
    void keepLooping();

    QMediaPlayer m_player;
    QAudioOutput m_output;
    std::string m_url;
    bool m_failed = false;
    bool m_loop = false;
    // Looping playback can stall under load; a watchdog reopens a stuck track.
    QTimer m_watchdog;
    qint64 m_lastPosition = -1;
    int m_stalledChecks = 0;
};
