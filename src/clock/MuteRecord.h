#pragma once
// The record of a mute the clock holds, kept in a small file while it holds it,
// so that a start after a crash can put the outputs back. One line each:
//
//   alarm-clock mute record 1
//   since 1765263600                 (seconds since 1970, UTC)
//   output 0 alsa_output.pci-0000_00_1f.3.analog-stereo
//   output 1 bluez_sink.00_11_22_33_44_55.a2dp_sink
//
//   level 50000 500000 alsa_output.pci-0000_00_1f.3.analog-stereo
//
// Each output line says whether the person had muted that output already (1)
// and ends with the output's id. A level line is an output whose level the
// ringing alarm raised: the person's level and the level set, in millionths
// of the output's range, then its id. A record holds at least one line of
// either kind. Anything else is no record.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct HeldOutput {
    std::string id;
    bool userMuted = false;  // muted by the person before the clock muted it
    friend bool operator==(const HeldOutput&, const HeldOutput&) = default;
};

// An output whose level was raised for the ring, in millionths of its range.
struct RaisedLevel {
    std::string id;
    long before = 0;  // the person's level
    long set = 0;     // the level the output held once raised
    friend bool operator==(const RaisedLevel&, const RaisedLevel&) = default;
};

struct MuteRecord {
    long long since = 0;
    std::vector<HeldOutput> outputs;
    std::vector<RaisedLevel> levels;
    friend bool operator==(const MuteRecord&, const MuteRecord&) = default;
};

std::string recordText(const MuteRecord& record);
// No record for any text that is not exactly one written by recordText.
std::optional<MuteRecord> parseRecord(std::string_view text);

// The record's file in the folder given by the front end.
std::filesystem::path recordFile(const std::filesystem::path& folder);
// Writes the record whole or not at all: a new file, then renamed over the old.
// Empty when written; else why not, as the system says it (also logged).
std::string writeRecord(const std::filesystem::path& folder, const MuteRecord& record);
// Removes the record; nothing when there is none.
void removeRecord(const std::filesystem::path& folder);

enum class RecordFound { none, unreadable, found };
struct RecordReading {
    RecordFound found = RecordFound::none;
    MuteRecord record;
};
RecordReading readRecord(const std::filesystem::path& folder);
