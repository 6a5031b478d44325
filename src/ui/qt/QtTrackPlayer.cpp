#include "ui/qt/QtTrackPlayer.h"

#include <QUrl>

QtTrackPlayer::QtTrackPlayer() {
    m_player.setAudioOutput(&m_output);
    QObject::connect(&m_player, &QMediaPlayer::errorOccurred,
                     [this](QMediaPlayer::Error error, const QString&) {
                         if (error != QMediaPlayer::NoError) reportError();
                     });
    QObject::connect(&m_player, &QMediaPlayer::mediaStatusChanged,
                     [this](QMediaPlayer::MediaStatus status) {
                         if (status == QMediaPlayer::InvalidMedia) reportError();
                         // Start over at the end ourselves, should the player's own
                         // looping give up.
                         if (status == QMediaPlayer::EndOfMedia && m_loop) {
                             m_player.setPosition(0);
                             m_player.play();
                         }
                     });
    m_watchdog.setInterval(500);
    QObject::connect(&m_watchdog, &QTimer::timeout, [this] { keepLooping(); });
    m_watchdog.start();
}

void QtTrackPlayer::keepLooping() {
    if (!m_loop || m_failed || m_player.playbackState() != QMediaPlayer::PlayingState ||
        m_player.mediaStatus() == QMediaPlayer::LoadingMedia) {
        m_stalledChecks = 0;
        m_lastPosition = -1;
        return;
    }
    const qint64 position = m_player.position();
    m_stalledChecks = position == m_lastPosition ? m_stalledChecks + 1 : 0;
    m_lastPosition = position;
    if (m_stalledChecks < 2) return;
    // Playing, yet the position has not moved for a second: open the file again.
    m_stalledChecks = 0;
    const QUrl source = m_player.source();
    m_player.setSource(QUrl());
    m_player.setSource(source);
    m_player.play();
}

void QtTrackPlayer::setLoop(bool loop) {
    m_loop = loop;
    m_player.setLoops(loop ? QMediaPlayer::Infinite : QMediaPlayer::Once);
}

void QtTrackPlayer::open(const std::string& path) {
    m_url = path;
    m_failed = false;
    // Always a local file: the path is never read as a URL or a command.
    m_player.setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    m_player.play();
}

int QtTrackPlayer::playState() const {
    // A file that failed still reads as playing: the error is what counts.
    if (m_failed) return 0;
    switch (m_player.playbackState()) {
        case QMediaPlayer::PlayingState:
            // A file still opening is neither playing nor paused: left alone.
            switch (m_player.mediaStatus()) {
                case QMediaPlayer::NoMedia:
                case QMediaPlayer::LoadingMedia:
                case QMediaPlayer::LoadedMedia:
                    return 0;
                default:
                    return Playing;
            }
        case QMediaPlayer::PausedState:
            return Paused;
        default:
            return 1;
    }
}

void QtTrackPlayer::reportError() {
    if (m_failed) return;
    m_failed = true;
    if (onError) onError();
}
