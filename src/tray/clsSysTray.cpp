#include "tray/clsSysTray.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <stdexcept>

#include "tray/AnsiText.h"

namespace {

constexpr uint32_t kRecordSize = 488;  // the single-byte NOTIFYICONDATA
constexpr uint32_t kIconId = 1;
constexpr int kMaskedSide = 32;  // the transparent colour is looked for in this corner

// The text and one NUL, left-aligned and cut to the field; spaces fill the rest.
template <std::size_t N>
void putText(std::array<char, N>& field, const std::string& text) {
    const std::string ansi = toAnsi(text);
    field.fill(' ');
    std::copy_n(ansi.begin(), std::min(ansi.size(), N), field.begin());
    if (ansi.size() < N) field[ansi.size()] = '\0';
}

void raise(const std::function<void()>& event) {
    if (event) event();
}

bool isWellFormed(const Picture& picture) {
    return picture.width > 0 && picture.height > 0 &&
           picture.pixels.size() ==
               static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
}

// The whole picture, opaque.
IconImage opaqueImage(const Picture& picture) {
    return IconImage{picture, std::vector<bool>(picture.pixels.size(), false)};
}

// Pixels of `colour` in the top-left corner become transparent and black in the
// icon's colour image; the rest of the picture is taken as it is.
IconImage maskedImage(const Picture& picture, uint32_t colour) {
    IconImage image = opaqueImage(picture);
    const int width = std::min(picture.width, kMaskedSide);
    const int height = std::min(picture.height, kMaskedSide);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * picture.width + x;
            if ((picture.pixels[i] & 0x00FFFFFF) != colour) continue;
            image.mask[i] = true;
            image.colour.pixels[i] = 0;
        }
    }
    return image;
}

// An icon the backend made, destroyed by it when this goes.
class BackendIcon {
  public:
    BackendIcon(TrayBackend& backend, const IconImage& image)
        : m_backend(backend), m_icon(backend.createIcon(image)) {}
    ~BackendIcon() {
        if (m_icon != 0) m_backend.destroyIcon(m_icon);
    }
    BackendIcon(const BackendIcon&) = delete;
    BackendIcon& operator=(const BackendIcon&) = delete;
    uint64_t get() const { return m_icon; }

  private:
    TrayBackend& m_backend;
    uint64_t m_icon;
};

}  // namespace

clsSysTray::clsSysTray(TrayBackend& backend) : m_backend(backend) {}

clsSysTray::~clsSysTray() {
    m_backend.notifyIcon(NIM_DELETE, m_record);
}

void clsSysTray::DrawIcon(const Picture& ppic, int32_t plngTransparentColor) {
    // The tray keeps its own copy of the image: the icon goes at the end of the call.
    std::optional<BackendIcon> icon;
    if (isWellFormed(ppic))
        icon.emplace(m_backend,
                     plngTransparentColor < 0
                         ? opaqueImage(ppic)
                         : maskedImage(ppic, static_cast<uint32_t>(plngTransparentColor)));
    m_record.hIcon = icon ? icon->get() : 0;
    if (m_record.hIcon == 0) return;
    ApplyIcon();
}

void clsSysTray::Init(TrayWindow& pfrm, const std::string& pstrTooltip) {
    m_record = NotifyIconData{};
    m_record.cbSize = kRecordSize;
    m_record.hWnd = pfrm.hWnd();
    m_record.hIcon = pfrm.hIcon();
    m_record.uID = kIconId;
    m_record.uFlags = NIF_MESSAGE;
    m_record.uCallbackMessage = shell::WM_MOUSEMOVE;
    m_backend.notifyIcon(NIM_ADD, m_record);
    SetIcon(pfrm);
    TooltipText(pstrTooltip);
}

void clsSysTray::MouseMove(int16_t& /*Button*/, int32_t X, TrayWindow& /*pfrm*/) {
    // Shell notifications arrive as the x coordinate of a mouse move.
    switch (X) {
        case shell::WM_LBUTTONUP:
            raise(LeftClick);
            break;
        case shell::WM_LBUTTONDBLCLK:
            raise(DoubleClick);
            break;
        case shell::WM_RBUTTONUP:
            raise(RightClick);
            break;
        case shell::NIN_BALLOONHIDE:
            raise(BalloonHide);
            break;
        case shell::NIN_BALLOONTIMEOUT:
            raise(BalloonTimeOut);
            break;
        case shell::NIN_BALLOONUSERCLICK:
            raise(BalloonClicked);
            break;
        default:
            break;
    }
}

void clsSysTray::SetIcon(TrayWindow& pfrm) {
    m_record.hIcon = pfrm.hIcon();
    ApplyIcon();
}

void clsSysTray::ShowBalloonTip(const std::string& pstrMessage, int32_t penIcon,
                                const std::string& pstrTitle, int64_t plngTimeout) {
    putText(m_record.szInfo, pstrMessage);
    putText(m_record.szInfoTitle, pstrTitle);
    // The texts stay in the record even when the time-out is refused.
    if (plngTimeout < std::numeric_limits<int32_t>::min() ||
        plngTimeout > std::numeric_limits<int32_t>::max())
        throw std::out_of_range("balloon time-out does not fit in 32 bits");
    m_record.uTimeout = static_cast<uint32_t>(static_cast<int32_t>(plngTimeout));
    m_record.dwInfoFlags = static_cast<uint32_t>(penIcon);
    m_record.uFlags = NIF_INFO;
    m_backend.notifyIcon(NIM_MODIFY, m_record);
}

void clsSysTray::TooltipText(const std::string& text) {
    m_tooltip = text;
    putText(m_record.szTip, text);
    m_record.uFlags = NIF_TIP;
    m_backend.notifyIcon(NIM_MODIFY, m_record);
}

void clsSysTray::ApplyIcon() {
    m_record.uFlags = NIF_ICON;
    m_backend.notifyIcon(NIM_MODIFY, m_record);
}
