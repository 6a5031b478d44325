#include "ui/qt/AlarmTrackPlayer.h"

#include <QMetaObject>

AlarmTrackPlayer::AlarmTrackPlayer() {
    m_pcm.onError = [this] {
        // On the sound thread: hand the news to the window's thread.
        const int opened = m_opened;
        QMetaObject::invokeMethod(
            &m_receiver, [this, opened] { reportError(opened); }, Qt::QueuedConnection);
    };
}

void AlarmTrackPlayer::setLoop(bool loop) {
    m_loop = loop;
    m_pcm.setLoop(loop);
    if (m_media) m_media->setLoop(loop);
}

void AlarmTrackPlayer::open(const std::string& path) {
    ++m_opened;
    m_current->stop();
    if (m_pcm.tryOpen(path)) {
        m_current = &m_pcm;
        return;
    }
    m_current = &media();
    m_media->open(path);
}

QtTrackPlayer& AlarmTrackPlayer::media() {
    if (!m_media) {
        m_media = std::make_unique<QtTrackPlayer>();
        m_media->setLoop(m_loop);
        m_media->onError = [this] { reportError(m_opened); };
    }
    return *m_media;
}

void AlarmTrackPlayer::reportError(int opened) {
    if (opened == m_opened && onError) onError();
}
