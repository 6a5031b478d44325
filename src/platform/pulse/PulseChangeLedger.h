#pragma once
// Changes this process asked the server for, with the event context of the
// object that asked. The server's change events do not say who made a change,
// so a watcher that sees a sink go from one state to another looks here for a
// recent request that explains that move and takes its context; a move that
// none explains gets the null context.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "audio/Endpoint.h"

namespace pulse {

struct SinkLevels {
    bool muted = false;
    std::vector<uint32_t> volumes;  // one per channel, in the server's units
};

struct RequestedChange {
    std::string sink;
    std::optional<bool> muted;                     // set by a mute request
    std::optional<std::vector<uint32_t>> volumes;  // set by a volume request
    Guid context;
};

class ChangeLedger {
  public:
    using Clock = std::chrono::steady_clock;
    // Requests older than this are forgotten: the server answers in milliseconds.
    static constexpr std::chrono::seconds memory{3};

    // Called just before the request goes to the server. Gives its number.
    uint64_t record(RequestedChange change, Clock::time_point now = Clock::now());
    // Drops a request that the server refused.
    void forget(uint64_t number);

    struct Match {
        Guid context;
        uint64_t number = 0;  // 0 when nothing matched
    };
    // The oldest request after `after` on this sink whose change is the one
    // seen from `before` to `now`: a mute request matches when the mute moved to
    // its value, a volume request when the volumes moved to its values (within
    // one unit, for rounding on the server's side). Each watcher passes the number of its last
    // match, so that every watcher sees every request once.
    Match explain(const std::string& sink, const SinkLevels& before, const SinkLevels& now,
                  uint64_t after, Clock::time_point time = Clock::now());

  private:
    struct Entry {
        uint64_t number;
        Clock::time_point when;
        RequestedChange change;
    };
    void prune(Clock::time_point now);

    std::mutex m_mutex;
    std::vector<Entry> m_entries;
    uint64_t m_next = 1;
};

// Volumes equal within one unit per channel, with the same channel count.
bool sameVolumes(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);

}  // namespace pulse
