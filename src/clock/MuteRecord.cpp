#include "clock/MuteRecord.h"

#include <cerrno>
#include <charconv>
#include <fstream>
#include <sstream>
#include <system_error>

#include "log/Log.h"

namespace {

constexpr std::string_view kHeader = "alarm-clock mute record 1";
constexpr std::string_view kSince = "since ";
constexpr std::string_view kOutput = "output ";
constexpr std::string_view kLevel = "level ";
constexpr long kMillionths = 1000000;
// A record names a few outputs; anything much larger is not one.
constexpr std::uintmax_t kLargestRecord = 65536;

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

std::optional<long long> wholeNumber(std::string_view text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

bool goodId(std::string_view id) {
    return !id.empty() && id.find_first_of(std::string_view("\r\0", 2)) == std::string_view::npos;
}

// "<before> <set> <id>" of a level line, each level 0 to a million.
std::optional<RaisedLevel> levelOf(std::string_view rest) {
    const size_t first = rest.find(' ');
    if (first == std::string_view::npos) return std::nullopt;
    const size_t second = rest.find(' ', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const std::optional<long long> before = wholeNumber(rest.substr(0, first));
    const std::optional<long long> set = wholeNumber(rest.substr(first + 1, second - first - 1));
    const std::string_view id = rest.substr(second + 1);
    if (!before || !set || *before > kMillionths || *set > kMillionths || !goodId(id))
        return std::nullopt;
    return RaisedLevel{std::string(id), static_cast<long>(*before), static_cast<long>(*set)};
}

std::string pathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::string recordText(const MuteRecord& record) {
    std::string text = std::string(kHeader) + "\n";
    text += std::string(kSince) + std::to_string(record.since) + "\n";
    for (const HeldOutput& output : record.outputs)
        text += std::string(kOutput) + (output.userMuted ? "1 " : "0 ") + output.id + "\n";
    for (const RaisedLevel& level : record.levels)
        text += std::string(kLevel) + std::to_string(level.before) + " " +
                std::to_string(level.set) + " " + level.id + "\n";
    return text;
}

std::optional<MuteRecord> parseRecord(std::string_view text) {
    if (text.empty() || text.back() != '\n') return std::nullopt;
    std::vector<std::string_view> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() < 3 || lines[0] != kHeader || !startsWith(lines[1], kSince))
        return std::nullopt;
    MuteRecord record;
    const std::optional<long long> since = wholeNumber(lines[1].substr(kSince.size()));
    if (!since) return std::nullopt;
    record.since = *since;
    for (size_t i = 2; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (startsWith(line, kLevel)) {
            std::optional<RaisedLevel> level = levelOf(line.substr(kLevel.size()));
            if (!level) return std::nullopt;
            record.levels.push_back(std::move(*level));
            continue;
        }
        if (!startsWith(line, kOutput)) return std::nullopt;
        const std::string_view rest = line.substr(kOutput.size());
        if (rest.size() < 3 || (rest[0] != '0' && rest[0] != '1') || rest[1] != ' ')
            return std::nullopt;
        const std::string_view id = rest.substr(2);
        if (!goodId(id)) return std::nullopt;
        record.outputs.push_back({std::string(id), rest[0] == '1'});
    }
    return record;
}

std::filesystem::path recordFile(const std::filesystem::path& folder) {
    return folder / "mute-record";
}

std::string writeRecord(const std::filesystem::path& folder, const MuteRecord& record) {
    // The reason, logged with what failed, and handed back.
    const auto failed = [](const std::string& what, const std::string& reason) {
        logDebug(LogCategory::audio, "cannot " + what + ": " + reason);
        return reason;
    };
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return failed("make " + pathText(folder), error.message());
    std::filesystem::path temporary = recordFile(folder);
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        // The stream keeps no reason; the system's last error is the open's or the write's.
        const int openError = out ? 0 : errno;
        out << recordText(record);
        out.close();
        if (!out) {
            const int cause = openError ? openError : errno;
            std::filesystem::remove(temporary, error);
            return failed("write " + pathText(temporary),
                          std::generic_category().message(cause ? cause : EIO));
        }
    }
    std::filesystem::rename(temporary, recordFile(folder), error);
    if (error) {
        const std::string reason = error.message();
        std::filesystem::remove(temporary, error);
        return failed("rename " + pathText(temporary), reason);
    }
    return {};
}

void removeRecord(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::remove(recordFile(folder), error);
    if (error)
        logDebug(LogCategory::audio,
                 "cannot remove " + pathText(recordFile(folder)) + ": " + error.message());
}

RecordReading readRecord(const std::filesystem::path& folder) {
    const std::filesystem::path file = recordFile(folder);
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) return {};
    RecordReading reading{RecordFound::unreadable, {}};
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > kLargestRecord) return reading;
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) return reading;
    if (std::optional<MuteRecord> record = parseRecord(text.str())) {
        reading.found = RecordFound::found;
        reading.record = std::move(*record);
    }
    return reading;
}
