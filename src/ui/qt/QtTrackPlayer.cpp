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
                     });
}

void QtTrackPlayer::setLoop(bool loop) {
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
            return Playing;
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
