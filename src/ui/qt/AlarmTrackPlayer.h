#pragma once
// The window's track player (`wmp`). Files libsndfile decodes (WAV, FLAC, Ogg,
// Opus, MP3 ...) play on PulseAudio from the player's own thread; anything else
// (AAC, WMA, video files ...) goes to Qt Multimedia, which is loaded only then.
// Errors of either reach onError on the window's thread.

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

#include "clock/Services.h"
#include "platform/pulse/PulseTrackPlayer.h"
#include "ui/qt/QtTrackPlayer.h"

class AlarmTrackPlayer : public TrackPlayer {
  public:
    AlarmTrackPlayer();
    void setLoop(bool loop) override;
    void open(const std::string& path) override;
    std::string url() const override { return m_current->url(); }
    int playState() const override { return m_current->playState(); }
    void pause() override { m_current->pause(); }
    void play() override { m_current->play(); }
    void stop() override { m_current->stop(); }

    // Called when the file last opened cannot be played.
    std::function<void()> onError;

  private:
    QtTrackPlayer& media();
    void reportError(int opened);

    QObject m_receiver;  // runs the error reports posted from the sound thread
    PulseTrackPlayer m_pcm;
    std::unique_ptr<QtTrackPlayer> m_media;
    TrackPlayer* m_current = &m_pcm;
    bool m_loop = false;
    // Counts the files opened, so that news of an earlier one is dropped.
    std::atomic<int> m_opened = 0;
};
