#include "support/PulseServer.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

void rememberEnv(const char* name, std::string& value, bool& had) {
    const char* v = std::getenv(name);
    had = v != nullptr;
    if (had) value = v;
}

void restoreEnv(const char* name, const std::string& value, bool had) {
    if (had)
        setenv(name, value.c_str(), 1);
    else
        unsetenv(name);
}

}  // namespace

PulseServer::PulseServer(const std::vector<std::string>& extraModules) {
    char templ[] = "/tmp/pulse-test-XXXXXX";
    m_dir = mkdtemp(templ);
    chmod(m_dir.c_str(), 0700);
    const std::string socket = m_dir + "/native";
    m_address = "unix:" + socket;
    rememberEnv("PULSE_SERVER", m_previous, m_hadPrevious);

    // The command line is made before the fork: the child only sets up and execs.
    const std::string native = "module-native-protocol-unix auth-anonymous=1 socket=" + socket;
    const std::string sink = std::string("module-null-sink sink_name=") + sinkName;
    std::vector<const char*> args = {"pulseaudio",
                                     "-n",
                                     "--daemonize=no",
                                     "--exit-idle-time=-1",
                                     "--use-pid-file=no",
                                     "--disallow-exit",
                                     "-L",
                                     native.c_str(),
                                     "-L",
                                     sink.c_str()};
    for (const std::string& module : extraModules) {
        args.push_back("-L");
        args.push_back(module.c_str());
    }
    args.push_back(nullptr);

    m_pid = fork();
    if (m_pid == 0) {
        setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
        setenv("HOME", m_dir.c_str(), 1);
        // Keep the test log quiet: the server warns about running as root.
        if (freopen("/dev/null", "w", stderr) == nullptr) _exit(127);
        if (freopen("/dev/null", "w", stdout) == nullptr) _exit(127);
        execvp("pulseaudio", const_cast<char* const*>(args.data()));
        _exit(127);
    }
    setenv("PULSE_SERVER", m_address.c_str(), 1);
    // Ready when the socket exists; then give the server a moment to load the sink.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(socket) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // Wait until pactl can see the sink, so tests start against a ready server.
    const std::string probe =
        "PULSE_SERVER=" + m_address + " pactl list short sinks 2>/dev/null | grep -q " + sinkName;
    while (std::system(probe.c_str()) != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

PulseServer::~PulseServer() {
    stop();
    restoreEnv("PULSE_SERVER", m_previous, m_hadPrevious);
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

std::string PulseServer::pactl(const std::string& arguments) const {
    const std::string command =
        "PULSE_SERVER=" + m_address + " pactl " + arguments + " 2>/dev/null";
    std::string text;
    if (FILE* out = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, out)) text += buffer;
        pclose(out);
    }
    return text;
}

void PulseServer::freeze() {
    if (m_pid > 0) kill(m_pid, SIGSTOP);
}

void PulseServer::thaw() {
    if (m_pid > 0) kill(m_pid, SIGCONT);
}

void PulseServer::stop() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGCONT);
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
}

NoPulseServer::NoPulseServer() {
    rememberEnv("PULSE_SERVER", m_previous, m_hadPrevious);
    setenv("PULSE_SERVER", "unix:/nonexistent/pulse/native", 1);
}

NoPulseServer::~NoPulseServer() {
    restoreEnv("PULSE_SERVER", m_previous, m_hadPrevious);
}
