// Which player takes a track: files libsndfile decodes go to the PulseAudio
// player, anything else to Qt Multimedia, whose errors reach onError on the
// window's thread. Runs without a sound server: the choice and the errors do
// not depend on one.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <fstream>

#include "support/PulseServer.h"
#include "support/QtApp.h"
#include "support/ScratchFolder.h"
#include "support/ToneAnalysis.h"
#include "ui/qt/AlarmTrackPlayer.h"

namespace {

// Runs the event loop until `done` or 10 s have passed.
template <typename Done>
bool processEventsUntil(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(AlarmTrackPlayer, DecodableFilesPlayAtOnceAndOthersReportTheirError) {
    qtApp();
    NoPulseServer none;
    ScratchFolder folder;
    const std::string tone = folder.path("tone.wav");
    const std::string garbage = folder.path("song.mp4");
    ASSERT_TRUE(writeToneWav(tone, 440, 0.3));
    std::ofstream(garbage) << "not a song at all";

    AlarmTrackPlayer player;
    int errors = 0;
    Qt::HANDLE errorThread = nullptr;
    player.onError = [&] {
        ++errors;
        errorThread = QThread::currentThreadId();
    };
    player.setLoop(true);

    player.open(tone);
    EXPECT_EQ(player.url(), tone);
    EXPECT_EQ(player.playState(), TrackPlayer::Playing);
    player.pause();
    EXPECT_EQ(player.playState(), TrackPlayer::Paused);
    player.play();
    EXPECT_EQ(player.playState(), TrackPlayer::Playing);

    player.open(garbage);
    EXPECT_EQ(player.url(), garbage);
    ASSERT_TRUE(processEventsUntil([&] { return errors > 0; }))
        << "no error for a file nothing can play";
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(errorThread, QThread::currentThreadId());
    EXPECT_NE(player.playState(), TrackPlayer::Playing);

    // Back to a decodable file: the error is not repeated and it plays.
    player.open(tone);
    EXPECT_EQ(player.playState(), TrackPlayer::Playing);
    QCoreApplication::processEvents();
    EXPECT_EQ(errors, 1);
}

}  // namespace
