#include "app/win32/InputDialog.h"

#include <cstdint>
#include <vector>

#include "platform/win32/WideText.h"

namespace {

constexpr WORD kPromptId = 100;
constexpr WORD kEditId = 101;

// An in-memory dialog template: DLGTEMPLATE and its items, each item aligned
// to a DWORD, strings as UTF-16 words.
class Template {
  public:
    void dialog(DWORD style, short cx, short cy, const std::wstring& title, WORD items) {
        add(DLGTEMPLATE{style, 0, items, 0, 0, cx, cy});
        word(0);  // no menu
        word(0);  // the standard dialog class
        text(title);
        word(8);  // point size of DS_SETFONT
        text(L"MS Shell Dlg");
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
              const std::wstring& caption) {
        align();
        add(DLGITEMTEMPLATE{style | WS_CHILD | WS_VISIBLE, 0, x, y, cx, cy, id});
        word(0xFFFF);
        word(atom);
        text(caption);
        word(0);  // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

  private:
    template <typename T>
    void add(const T& value) {
        const auto* words = reinterpret_cast<const WORD*>(&value);
        m_words.insert(m_words.end(), words, words + sizeof value / sizeof(WORD));
    }
    void word(WORD value) { m_words.push_back(value); }
    void text(const std::wstring& value) {
        m_words.insert(m_words.end(), value.begin(), value.end());
        word(0);
    }
    void align() {
        if (m_words.size() % 2) word(0);
    }
    std::vector<WORD> m_words;
};

struct State {
    std::wstring prompt;
    std::wstring answer;
};

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            state = reinterpret_cast<State*>(lParam);
            SetDlgItemTextW(dialog, kPromptId, state->prompt.c_str());
            SetFocus(GetDlgItem(dialog, kEditId));
            return FALSE;  // the focus was set here
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: {
                    const HWND edit = GetDlgItem(dialog, kEditId);
                    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
                    text.resize(static_cast<size_t>(
                        GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
                    state->answer = text;
                    EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

std::string showInputDialog(HWND owner, const std::string& prompt, const std::string& title) {
    // The layout of the classic input box, in dialog units: the prompt on the
    // left, OK and Cancel on the right, the text field along the bottom.
    Template dialog;
    dialog.dialog(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 240,
                  90, widen(title), 4);
    dialog.item(SS_LEFT, 7, 7, 170, 56, kPromptId, 0x0082, L"");
    dialog.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 184, 7, 50, 14, IDOK, 0x0080, L"OK");
    dialog.item(BS_PUSHBUTTON | WS_TABSTOP, 184, 25, 50, 14, IDCANCEL, 0x0080, L"Cancel");
    dialog.item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 68, 226, 14, kEditId, 0x0081, L"");
    State state{widen(prompt), {}};
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner,
                                                   dialogProc, reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? narrow(state.answer) : std::string();
}
