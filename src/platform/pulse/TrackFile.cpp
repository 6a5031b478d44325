#include "TrackFile.h"

#include <sndfile.h>

#include <cstdio>
#include <vector>

std::unique_ptr<TrackFile> TrackFile::open(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return nullptr;
    std::unique_ptr<TrackFile> track(new TrackFile(file, info.samplerate, info.channels));
    // A track must loop, so it must be able to go back to its start, and it
    // must give sound at all: try its first block.
    if (info.samplerate < 1 || info.channels < 1 || !info.seekable) return nullptr;
    std::vector<std::int16_t> first(static_cast<std::size_t>(info.channels) * 256);
    if (sf_readf_short(file, first.data(), 256) <= 0 || sf_seek(file, 0, SEEK_SET) != 0)
        return nullptr;
    return track;
}

TrackFile::TrackFile(SNDFILE* file, int rate, int channels)
    : m_file(file), m_rate(rate), m_channels(channels) {}

TrackFile::~TrackFile() {
    sf_close(m_file);
}

std::size_t TrackFile::read(std::int16_t* out, std::size_t frames, bool loop) {
    std::size_t done = 0;
    bool fromStart = false;  // whether this call already went back to the start
    while (done < frames && !m_broken) {
        const sf_count_t got =
            sf_readf_short(m_file, out + done * m_channels, static_cast<sf_count_t>(frames - done));
        if (got > 0) {
            done += static_cast<std::size_t>(got);
            fromStart = false;
            continue;
        }
        if (!loop) break;
        // Nothing right after going back to the start: the file has stopped giving sound.
        if (fromStart || sf_seek(m_file, 0, SEEK_SET) != 0) {
            m_broken = true;
            break;
        }
        fromStart = true;
    }
    return done;
}

void TrackFile::rewind() {
    sf_seek(m_file, 0, SEEK_SET);
}
