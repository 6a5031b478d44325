// Fuzzes the tray's text fields: any tooltip, balloon message and title, any
// icon flags and time-out, as the record carries them to the shell; the
// single-byte code page conversion both ways; the notification decode.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "support/Fakes.h"
#include "tray/AnsiText.h"
#include "tray/clsSysTray.h"

namespace {

class RecordingTray : public TrayBackend {
  public:
    void notifyIcon(NotifyMessage message, const NotifyIconData& record) override {
        messages.push_back(message);
        last = record;
    }
    uint64_t createIcon(const IconImage&) override { return 1; }
    void destroyIcon(uint64_t) override {}
    bool iconShown() const override { return true; }
    std::vector<NotifyMessage> messages;
    NotifyIconData last{};
};

// A field holds the text in the code page, then one NUL if there is room, then blanks.
template <std::size_t N>
bool holds(const std::array<char, N>& field, const std::string& text) {
    const std::string ansi = toAnsi(text);
    const std::size_t kept = std::min(ansi.size(), N);
    if (!std::equal(ansi.begin(), ansi.begin() + kept, field.begin())) return false;
    if (kept == N) return true;
    return field[kept] == '\0' &&
           std::all_of(field.begin() + kept + 1, field.end(), [](char c) { return c == ' '; });
}

bool isUndefinedInCodePage(uint8_t byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

void checkCodePage(const std::string& text) {
    FUZZ_CHECK(toAnsi(text).size() <= text.size());
    // Single-byte text survives the trip through UTF-8, but for the undefined bytes
    // and NUL (the tray reads a field only up to its NUL, so none ever gets there).
    std::string expected = text;
    for (char& c : expected)
        if (c == '\0' || isUndefinedInCodePage(static_cast<uint8_t>(c))) c = '?';
    FUZZ_CHECK(toAnsi(ansiToUtf8(text)) == expected);
}

void checkDecode(clsSysTray& tray, FakeWindow& window, int32_t x) {
    int raised = 0;
    for (auto* event : {&tray.LeftClick, &tray.RightClick, &tray.DoubleClick, &tray.BalloonHide,
                        &tray.BalloonTimeOut, &tray.BalloonClicked})
        *event = [&raised] { ++raised; };
    int16_t button = 0;
    tray.MouseMove(button, x, window);
    const bool known = x == 514 || x == 515 || x == 517 || (x >= 1027 && x <= 1029);
    FUZZ_CHECK(raised == (known ? 1 : 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int32_t icon = input.ConsumeIntegral<int32_t>();
    const int64_t timeout = input.ConsumeBool() ? input.ConsumeIntegral<int64_t>()
                                                : input.ConsumeIntegralInRange<int64_t>(
                                                      -(int64_t{1} << 32), int64_t{1} << 32);
    const int32_t x = input.ConsumeIntegral<int32_t>();
    const std::string tip = input.ConsumeRandomLengthString(400);
    const std::string message = input.ConsumeRandomLengthString(600);
    const std::string title = input.ConsumeRemainingBytesAsString();

    for (const std::string* text : {&tip, &message, &title}) checkCodePage(*text);

    EventLog log;
    FakeWindow window{log};
    RecordingTray backend;
    {
        clsSysTray tray(backend);
        tray.Init(window, "Alarm Clock");
        tray.TooltipText(tip);
        FUZZ_CHECK(tray.TooltipText() == tip);
        FUZZ_CHECK(backend.messages.back() == NIM_MODIFY && backend.last.uFlags == NIF_TIP);
        FUZZ_CHECK(holds(backend.last.szTip, tip));

        const std::size_t sent = backend.messages.size();
        const bool fits = timeout >= std::numeric_limits<int32_t>::min() &&
                          timeout <= std::numeric_limits<int32_t>::max();
        bool refused = false;
        try {
            tray.ShowBalloonTip(message, icon, title, timeout);
        } catch (const std::out_of_range&) {
            refused = true;
        }
        FUZZ_CHECK(refused == !fits);
        if (fits) {
            FUZZ_CHECK(backend.messages.size() == sent + 1 && backend.last.uFlags == NIF_INFO);
            FUZZ_CHECK(backend.last.uTimeout == static_cast<uint32_t>(timeout));
            FUZZ_CHECK(backend.last.dwInfoFlags == static_cast<uint32_t>(icon));
            FUZZ_CHECK(holds(backend.last.szInfo, message));
            FUZZ_CHECK(holds(backend.last.szInfoTitle, title));
            FUZZ_CHECK(holds(backend.last.szTip, tip));
        } else {
            FUZZ_CHECK(backend.messages.size() == sent);
            // The texts stand in the record and go out with the next change.
            tray.TooltipText(tip);
            FUZZ_CHECK(holds(backend.last.szInfo, message));
            FUZZ_CHECK(holds(backend.last.szInfoTitle, title));
        }
        FUZZ_CHECK(backend.last.cbSize == 488 && backend.last.uID == 1);
        checkDecode(tray, window, x);
    }
    FUZZ_CHECK(backend.messages.back() == NIM_DELETE);
    return 0;
}
