#include "platform/win32/MciTrackPlayer.h"

// windows.h first: the system headers after it build on its types.
#include <windows.h>

#include <mmsystem.h>

#include <cstdlib>

#include "log/Log.h"
#include "platform/win32/WideText.h"

namespace {

constexpr const char* kAlias = "alarmtrack";

// Sends one MCI command; true on success.
bool mci(const std::string& command, std::string* reply = nullptr) {
    wchar_t text[128] = {};
    const MCIERROR error = mciSendStringW(widen(command).c_str(), text, 128, nullptr);
    if (reply) *reply = narrow(text);
    if (error != 0) {
        wchar_t why[256] = {};
        mciGetErrorStringW(error, why, 256);
        logDebug(LogCategory::audio, "MCI \"" + command + "\" failed: " + narrow(why));
    }
    return error == 0;
}

}  // namespace

MciTrackPlayer::~MciTrackPlayer() {
    close();
}

void MciTrackPlayer::close() {
    if (m_open) mci(std::string("close ") + kAlias);
    m_open = false;
}

bool MciTrackPlayer::start() {
    return mci(std::string("play ") + kAlias + (m_loop ? " repeat" : ""));
}

void MciTrackPlayer::open(const std::string& path) {
    close();
    m_url = path;
    m_open = mci("open \"" + path + "\" type mpegvideo alias " + kAlias);
    if (m_open && start()) return;
    close();
    if (m_onError) m_onError();
}

TrackPlayer::PlayState MciTrackPlayer::playState() const {
    if (!m_open) return Undefined;
    std::string mode;
    if (!mci(std::string("status ") + kAlias + " mode", &mode)) return Undefined;
    if (mode == "playing") return Playing;
    if (mode == "paused") return Paused;
    if (mode == "stopped") return Stopped;
    return Undefined;
}

void MciTrackPlayer::pause() {
    if (m_open) mci(std::string("pause ") + kAlias);
}

void MciTrackPlayer::play() {
    if (!m_open) return;
    if (playState() == Paused)
        mci(std::string("resume ") + kAlias);
    else
        start();
}

void MciTrackPlayer::stop() {
    if (!m_open) return;
    mci(std::string("stop ") + kAlias);
    mci(std::string("seek ") + kAlias + " to start");
}

unsigned long long MciTrackPlayer::soundWritten() const {
    std::string position;
    if (!m_open || !mci(std::string("status ") + kAlias + " position", &position)) return 0;
    return std::strtoull(position.c_str(), nullptr, 10);
}
