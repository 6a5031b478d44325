// Fuzzes the restart command line with any arguments (the input split at NUL
// bytes): it is refused with a reason or taken, never anything else; what is
// taken is written back to arguments that read the same, and a Windows command
// line of any arguments keeps every character of them.

#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "clock/RestartLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = asText(data, size);
    std::vector<std::string> arguments;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\0', start), text.size());
        arguments.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    const RestartParse parsed = parseRestartArguments(arguments);
    if (parsed.error.empty()) {
        const RestartParse again = parseRestartArguments(restartArguments(parsed.state));
        FUZZ_CHECK(again.error.empty());
        FUZZ_CHECK(again.state == parsed.state);
    }
    size_t characters = 0;
    for (const std::string& argument : arguments) characters += argument.size();
    FUZZ_CHECK(windowsCommandLine(arguments).size() >= characters);
    return 0;
}
