// Time to build a volume object (connect, find the default sink, reach its
// volume), as the clock does for every mute change: against a running server,
// with no server, and against a frozen server.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "audio/CAudioEndpointVolume.h"
#include "platform/pulse/PulseEndpointSystem.h"
#include "support/PulseServer.h"

namespace {

struct Figures {
    double median = 0, max = 0;
    int complete = 0;
};

Figures construct(int times) {
    PulseEndpointSystem system;
    std::vector<double> ms;
    Figures f;
    for (int i = 0; i < times; ++i) {
        const auto start = std::chrono::steady_clock::now();
        CAudioEndpointVolume volume(system);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        ms.push_back(took.count());
        f.complete += volume.complete() ? 1 : 0;
    }
    std::sort(ms.begin(), ms.end());
    f.median = ms[ms.size() / 2];
    f.max = ms.back();
    return f;
}

void report(const char* label, int times, const Figures& f) {
    std::printf("%-16s %3d constructions: median %8.3f ms, max %8.3f ms, complete %d\n", label,
                times, f.median, f.max, f.complete);
}

}  // namespace

int main() {
    {
        PulseServer server;
        report("running server", 50, construct(50));
        // A full mute change: construct, SetMute, destroy.
        PulseEndpointSystem system;
        std::vector<double> ms;
        for (int i = 0; i < 50; ++i) {
            const auto start = std::chrono::steady_clock::now();
            CAudioEndpointVolume(system).SetMute(i % 2);
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%-16s %3d mute changes:    median %8.3f ms, max %8.3f ms\n", "running server",
                    50, ms[25], ms.back());
        server.freeze();
        report("frozen server", 3, construct(3));
        server.thaw();
    }
    {
        NoPulseServer none;
        report("no server", 50, construct(50));
    }
    return 0;
}
