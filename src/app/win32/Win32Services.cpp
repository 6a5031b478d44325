#include "app/win32/Win32Services.h"

#include <commdlg.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "app/win32/InputDialog.h"
#include "platform/win32/MediaFoundationSource.h"
#include "platform/win32/Owned.h"
#include "platform/win32/WideText.h"
#include "ui/WindowGeometry.h"

using geometry::kTwipsPerPixel;

// %LOCALAPPDATA%\Alarm Clock.
std::filesystem::path stateFolder() {
    PWSTR local = nullptr;
    std::filesystem::path folder;
    const HRESULT found = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local);
    // Freed whether or not the call succeeded.
    const TaskMem<wchar_t> owned(local);
    if (found == S_OK) folder = std::filesystem::path(local) / L"Alarm Clock";
    return folder;
}

std::string appFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L"\\/");
    return narrow(slash == std::wstring::npos ? path : path.substr(0, slash));
}

LocalTime LocalClock::now() {
    SYSTEMTIME time;
    GetLocalTime(&time);
    return {time.wHour, time.wMinute, time.wSecond, time.wYear, time.wMonth, time.wDay};
}

std::string LocalClock::dateTimeText() {
    wchar_t date[80] = {};
    wchar_t time[80] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 80);
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, time, 80);
    return narrow(date) + " " + narrow(time);
}

std::string Win32Dialogs::inputBox(const std::string& prompt, const std::string& title) {
    return showInputDialog(m_owner, prompt, title);
}

int Win32Dialogs::askYesNo(const std::string& text, const std::string& title) {
    const int answer = MessageBoxW(m_owner, widen(text).c_str(), widen(title).c_str(),
                                   MB_YESNO | MB_DEFBUTTON1 | MB_APPLMODAL);
    return answer == IDYES ? Yes : No;
}

void Win32Dialogs::message(const std::string& text, const std::string& title) {
    MessageBoxW(m_owner, widen(text).c_str(), widen(title).c_str(), MB_OK | MB_APPLMODAL);
}

std::string Win32Dialogs::openFile(const std::string& title, const std::string& filter,
                                   const std::string& defaultExt, const std::string& initialPath) {
    // The filter's text is shown as it stands; the files listed under it are
    // what the track's decoder (Media Foundation) opens on this machine. A
    // second entry lists every file, for a format the list does not name.
    std::wstring patterns;
    for (const std::string& pattern : mediaFoundationPatterns()) {
        if (!patterns.empty()) patterns += L';';
        patterns += widen(pattern);
    }
    std::wstring filterText = widen(filter);
    filterText += L'\0';
    filterText += patterns;
    filterText += L'\0';
    filterText += L"All files (*.*)";
    filterText += L'\0';
    filterText += L"*.*";
    filterText += L'\0';
    const std::wstring wideTitle = widen(title);
    const std::wstring wideExt = widen(defaultExt);
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring initial = widen(initialPath);
    if (initial.size() < file.size()) std::copy(initial.begin(), initial.end(), file.begin());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_owner;
    dialog.lpstrFilter = filterText.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = wideTitle.c_str();
    dialog.lpstrDefExt = wideExt.c_str();
    // A typed name must be a file that is there, as the Linux dialog asks.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&dialog)) return {};
    return narrow(file.data());
}

int Win32WindowHost::left() const {
    RECT rect{};
    GetWindowRect(m_window, &rect);
    return static_cast<int>(std::lround(rect.left / m_scale())) * kTwipsPerPixel;
}

int Win32WindowHost::top() const {
    RECT rect{};
    GetWindowRect(m_window, &rect);
    return static_cast<int>(std::lround(rect.top / m_scale())) * kTwipsPerPixel;
}

void Win32WindowHost::move(int left, int top) {
    const auto pixels = [this](int twips) {
        return static_cast<int>(std::lround(twips / kTwipsPerPixel * m_scale()));
    };
    SetWindowPos(m_window, nullptr, pixels(left), pixels(top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowHost::show() {
    ShowWindow(m_window, IsIconic(m_window) ? SW_RESTORE : SW_SHOW);
}

void Win32WindowHost::minimize() {
    ShowWindow(m_window, SW_MINIMIZE);
}

void Win32WindowHost::hide() {
    ShowWindow(m_window, SW_HIDE);
}

bool Win32WindowHost::isVisible() const {
    return IsWindowVisible(m_window) != FALSE;
}

void Win32WindowHost::close() {
    PostMessageW(m_window, WM_CLOSE, 0, 0);
}
