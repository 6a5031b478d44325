#pragma once
// Records what the test server's null sink plays, through its monitor source,
// with parec (pulseaudio-utils): signed 16-bit mono samples. The monitor
// delivers nothing while the sink is idle, so a recording holds the sound
// played and the silences between sounds, not the time before the first one.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class MonitorRecording {
  public:
    // Starts recording the default sink's monitor of the server in PULSE_SERVER
    // and returns once the server lists the recording stream.
    explicit MonitorRecording(int rate = 44100);
    ~MonitorRecording();
    MonitorRecording(const MonitorRecording&) = delete;
    MonitorRecording& operator=(const MonitorRecording&) = delete;

    bool started() const { return m_started; }
    int rate() const { return m_rate; }
    // Returns once the recording holds `sound` worth of samples (the monitor
    // delivers only while the sink plays); false when it has not within 5 s.
    bool waitForSound(std::chrono::milliseconds sound);
    // Lets the recording run on until `tail` more sound has come in (or the
    // monitor has gone quiet for a moment), stops it and gives the samples.
    std::vector<std::int16_t> finish(
        std::chrono::milliseconds tail = std::chrono::milliseconds(150));

  private:
    void stopProcess();

    int m_rate;
    std::string m_dir;
    std::string m_file;
    pid_t m_pid = -1;
    bool m_started = false;
};
