// Naming who made a change the server reports: requests of this process
// explain the moves they asked for, once per watcher, for a short while.

#include <gtest/gtest.h>

#include <ostream>

#include "platform/pulse/PulseChangeLedger.h"

namespace {

using namespace pulse;
using namespace std::chrono_literals;

const Guid ours = guidFromString("{5929DCA2-52B8-449B-8A58-FDF6750634DA}");
const Guid theirs = guidFromString("{00000000-0000-0000-0000-000000000001}");
const auto t0 = ChangeLedger::Clock::time_point{} + 1h;

SinkLevels levels(bool muted, std::vector<uint32_t> volumes = {65536, 65536}) {
    return {muted, std::move(volumes)};
}

RequestedChange mute(bool on, Guid context = ours, std::string sink = "sink") {
    return {std::move(sink), on, std::nullopt, context};
}

RequestedChange volume(std::vector<uint32_t> v, Guid context = ours) {
    return {"sink", std::nullopt, std::move(v), context};
}

TEST(ChangeLedger, AMuteRequestExplainsTheMuteMovingToItsValue) {
    ChangeLedger ledger;
    const auto n = ledger.record(mute(true), t0);
    const auto match = ledger.explain("sink", levels(false), levels(true), 0, t0 + 1ms);
    EXPECT_EQ(match.number, n);
    EXPECT_EQ(match.context, ours);
}

struct Move {
    const char* label;
    RequestedChange request;
    SinkLevels before, after;
    std::string sink;
    bool explained;
};

void PrintTo(const Move& m, std::ostream* os) {
    *os << m.label;
}

class Moves : public testing::TestWithParam<Move> {};

TEST_P(Moves, AreExplainedOnlyByTheRequestThatMatchesThem) {
    const Move& m = GetParam();
    ChangeLedger ledger;
    ledger.record(m.request, t0);
    const auto match = ledger.explain(m.sink, m.before, m.after, 0, t0 + 1ms);
    EXPECT_EQ(match.number != 0, m.explained);
    EXPECT_EQ(match.context, m.explained ? m.request.context : Guid{});
}

INSTANTIATE_TEST_SUITE_P(
    Table, Moves,
    testing::Values(Move{"muteOn", mute(true), levels(false), levels(true), "sink", true},
                    Move{"muteOff", mute(false), levels(true), levels(false), "sink", true},
                    Move{"muteWrongWay", mute(true), levels(true), levels(false), "sink", false},
                    // The request changed nothing; a volume move is someone else's.
                    Move{"muteNoOp", mute(false), levels(false, {10, 10}), levels(false, {20, 20}),
                         "sink", false},
                    Move{"otherSink", mute(true), levels(false), levels(true), "other", false},
                    Move{"volume", volume({32768, 32768}), levels(false),
                         levels(false, {32768, 32768}), "sink", true},
                    Move{"volumeRounded", volume({32768, 32768}), levels(false),
                         levels(false, {32769, 32767}), "sink", true},
                    Move{"volumeElsewhere", volume({32768, 32768}), levels(false),
                         levels(false, {40000, 40000}), "sink", false},
                    Move{"volumeButOnlyMuteMoved", volume({65536, 65536}), levels(false),
                         levels(true), "sink", false},
                    Move{"otherContext", mute(true, theirs), levels(false), levels(true), "sink",
                         true}),
    [](const testing::TestParamInfo<Move>& info) { return std::string(info.param.label); });

TEST(ChangeLedger, EachWatcherSeesARequestOnceAndTheOldestMatchingFirst) {
    ChangeLedger ledger;
    const auto first = ledger.record(mute(true, ours), t0);
    const auto second = ledger.record(mute(true, theirs), t0);
    // Two watchers of the same move both find the first request.
    EXPECT_EQ(ledger.explain("sink", levels(false), levels(true), 0, t0).number, first);
    EXPECT_EQ(ledger.explain("sink", levels(false), levels(true), 0, t0).number, first);
    // A watcher past the first finds the second, then nothing.
    EXPECT_EQ(ledger.explain("sink", levels(false), levels(true), first, t0).number, second);
    EXPECT_EQ(ledger.explain("sink", levels(false), levels(true), second, t0).number, 0u);
}

TEST(ChangeLedger, ForgottenAndOldRequestsExplainNothing) {
    ChangeLedger ledger;
    ledger.forget(ledger.record(mute(true), t0));
    EXPECT_EQ(ledger.explain("sink", levels(false), levels(true), 0, t0).number, 0u);
    ledger.record(mute(true), t0);
    EXPECT_NE(ledger.explain("sink", levels(false), levels(true), 0, t0 + 2900ms).number, 0u);
    EXPECT_EQ(ledger.explain("sink", levels(false), levels(true), 0, t0 + 3100ms).number, 0u);
}

}  // namespace
