#include "support/MonitorRecording.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/PulseServer.h"

namespace {

using Clock = std::chrono::steady_clock;

std::uintmax_t sizeOf(const std::string& file) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    return ec ? 0 : size;
}

// True once the server lists a recording stream (ours is the only client that records).
bool recordingListed() {
    FILE* pipe = popen("pactl list short source-outputs 2>/dev/null", "r");
    if (!pipe) return false;
    char line[512];
    bool any = false;
    while (std::fgets(line, sizeof line, pipe)) any = any || line[0] != '\0';
    pclose(pipe);
    return any;
}

}  // namespace

MonitorRecording::MonitorRecording(int rate) : m_rate(rate) {
    char templ[] = "/tmp/monitor-rec-XXXXXX";
    m_dir = mkdtemp(templ);
    m_file = m_dir + "/monitor.raw";
    const std::string device = std::string(PulseServer::sinkName) + ".monitor";
    const std::string rateArg = "--rate=" + std::to_string(rate);
    m_pid = fork();
    if (m_pid == 0) {
        if (freopen("/dev/null", "w", stderr) == nullptr) _exit(127);
        execlp("parec", "parec", "-d", device.c_str(), "--raw", "--format=s16le", rateArg.c_str(),
               "--channels=1", "--latency-msec=10", m_file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (m_pid > 0 && Clock::now() < deadline) {
        if (recordingListed()) {
            m_started = true;
            break;
        }
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

MonitorRecording::~MonitorRecording() {
    stopProcess();
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

bool MonitorRecording::waitForSound(std::chrono::milliseconds sound) {
    const std::uintmax_t target = static_cast<std::uintmax_t>(m_rate) * 2 * sound.count() / 1000;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (m_pid > 0 && Clock::now() < deadline) {
        if (sizeOf(m_file) >= target) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

std::vector<std::int16_t> MonitorRecording::finish(std::chrono::milliseconds tail) {
    const std::uintmax_t tailBytes = static_cast<std::uintmax_t>(m_rate) * 2 * tail.count() / 1000;
    const std::uintmax_t target = sizeOf(m_file) + tailBytes;
    // Wait for the tail; an idle monitor stops delivering, so also stop when
    // nothing has arrived for a while.
    std::uintmax_t last = sizeOf(m_file);
    auto lastGrowth = Clock::now();
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (m_pid > 0 && Clock::now() < deadline) {
        const std::uintmax_t now = sizeOf(m_file);
        if (now >= target) break;
        if (now != last) {
            last = now;
            lastGrowth = Clock::now();
        } else if (Clock::now() - lastGrowth > tail + std::chrono::milliseconds(200)) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    stopProcess();

    std::vector<std::int16_t> samples(sizeOf(m_file) / 2);
    std::ifstream in(m_file, std::ios::binary);
    in.read(reinterpret_cast<char*>(samples.data()),
            static_cast<std::streamsize>(samples.size() * 2));
    return samples;
}

void MonitorRecording::stopProcess() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGINT);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
}
