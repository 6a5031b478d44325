#include "PulseChangeLedger.h"

#include <algorithm>

namespace pulse {

bool sameVolumes(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const uint32_t high = std::max(a[i], b[i]), low = std::min(a[i], b[i]);
        if (high - low > 1) return false;
    }
    return true;
}

uint64_t ChangeLedger::record(RequestedChange change, Clock::time_point now) {
    std::lock_guard lock(m_mutex);
    prune(now);
    const uint64_t number = m_next++;
    m_entries.push_back({number, now, std::move(change)});
    return number;
}

void ChangeLedger::forget(uint64_t number) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [number](const Entry& e) { return e.number == number; });
}

ChangeLedger::Match ChangeLedger::explain(const std::string& sink, const SinkLevels& before,
                                          const SinkLevels& now, uint64_t after,
                                          Clock::time_point time) {
    std::lock_guard lock(m_mutex);
    prune(time);
    const bool muteMoved = before.muted != now.muted;
    const bool volumeMoved = before.volumes != now.volumes;
    for (const Entry& entry : m_entries) {
        if (entry.number <= after || entry.change.sink != sink) continue;
        const RequestedChange& c = entry.change;
        const bool byMute = c.muted && muteMoved && *c.muted == now.muted;
        const bool byVolume = c.volumes && volumeMoved && sameVolumes(*c.volumes, now.volumes);
        if (byMute || byVolume) return {c.context, entry.number};
    }
    return {};
}

void ChangeLedger::prune(Clock::time_point now) {
    std::erase_if(m_entries, [now](const Entry& e) { return now - e.when > memory; });
}

}  // namespace pulse
