#pragma once
// A private PulseAudio server with one null sink, for tests. It runs in its own
// runtime folder and points PULSE_SERVER at itself while it lives.

#include <sys/types.h>
#include <string>
#include <vector>

class PulseServer {
  public:
    // Starts the server, with `extraModules` loaded after the null sink (e.g.
    // "module-suspend-on-idle timeout=1"), and waits until it accepts clients.
    explicit PulseServer(const std::vector<std::string>& extraModules = {});
    ~PulseServer();  // stops it and restores PULSE_SERVER
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    bool running() const { return m_pid > 0; }
    const std::string& serverAddress() const { return m_address; }
    // The null sink's name; it is the default sink.
    static constexpr const char* sinkName = "test_null";
    // Runs pactl with `arguments` against this server; gives what it printed.
    std::string pactl(const std::string& arguments) const;
    void freeze();  // SIGSTOP: the server accepts connections but never answers
    void thaw();
    void stop();

  private:
    std::string m_dir;
    std::string m_address;
    std::string m_previous;
    bool m_hadPrevious = false;
    pid_t m_pid = -1;
};

// Points PULSE_SERVER at a socket where nothing listens, for the no-server cases.
class NoPulseServer {
  public:
    NoPulseServer();
    ~NoPulseServer();

  private:
    std::string m_previous;
    bool m_hadPrevious = false;
};
