#include "shell/win32/Dialogs.h"

#include "shell/ProgramIdentity.h"
#include "shell/win32/WinText.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

namespace kelmora::win32 {

namespace {

constexpr UINT_PTR kHelpSubclass = 0x4b48; // the directory dialog's help

UINT IconFlag(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return MB_ICONINFORMATION;
    case MessageIcon::Warning:
        return MB_ICONWARNING;
    case MessageIcon::Error:
        return MB_ICONERROR;
    case MessageIcon::Question:
        return MB_ICONQUESTION;
    case MessageIcon::None:
        break;
    }
    return 0;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH * 2] = L"";
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(full) : path;
}

struct BrowseState {
    HWND owner;
    std::wstring start;
    std::wstring current; // the directory selected in the tree
    std::optional<std::wstring> chosen;
    const MessageAnswerer* ask;
};

void ShowDirectoryHelp(HWND dialog, const MessageAnswerer& ask) {
    const std::string text = Cp(L"Vyberte adresář ve stromu nebo napište jeho cestu.\n"
                                L"Adresář, který ještě neexistuje, bude po potvrzení vytvořen.");
    const std::string caption = Cp(L"Nápověda");
    ask(dialog, {text, caption, MessageIcon::Information, MessageButtons::Ok});
}

LRESULT CALLBACK DirectoryDialogProc(HWND dialog, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                     DWORD_PTR data) {
    if (message == WM_HELP) {
        ShowDirectoryHelp(dialog, *reinterpret_cast<BrowseState*>(data)->ask);
        return TRUE;
    }
    return DefSubclassProc(dialog, message, w, l);
}

// The help sits in the title bar, as in the main window: the dialog's own
// buttons fill their row ("Vytvořit novou složku", OK, Storno), and a button
// of ours there would cover one of them.
void AddHelp(HWND dialog, BrowseState& state) {
    const LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    SetWindowLongPtrW(dialog, GWL_STYLE, style & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    SetWindowLongPtrW(dialog, GWL_EXSTYLE,
                      GetWindowLongPtrW(dialog, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetWindowSubclass(dialog, DirectoryDialogProc, kHelpSubclass,
                      reinterpret_cast<DWORD_PTR>(&state));
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM l, LPARAM data) {
    auto& state = *reinterpret_cast<BrowseState*>(data);
    switch (message) {
    case BFFM_INITIALIZED:
        SetWindowTextW(dialog, L"Výběr adresáře");
        AddHelp(dialog, state);
        if (!state.start.empty()) {
            SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                         reinterpret_cast<LPARAM>(state.start.c_str()));
        }
        break;
    case BFFM_SELCHANGED: {
        wchar_t path[MAX_PATH] = L"";
        if (SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(l), path)) {
            state.current = path;
        }
        break;
    }
    case BFFM_VALIDATEFAILEDW: {
        // A typed name that is no directory yet: relative to the selection.
        std::wstring typed = reinterpret_cast<const wchar_t*>(l);
        const bool relative = typed.size() < 2 || (typed[1] != L':' && typed[0] != L'\\');
        if (relative && !state.current.empty()) {
            typed = state.current + L"\\" + typed;
        }
        state.chosen = ConfirmDirectory(dialog, typed, *state.ask);
        return state.chosen ? 0 : 1; // 1 keeps the dialog open
    }
    default:
        break;
    }
    return 0;
}

} // namespace

MessageAnswer ShowMessageBox(HWND owner, const MessageBox& box) {
    const std::wstring caption = Wide(box.caption.empty() ? kApplicationTitle : box.caption);
    const bool question = box.buttons == MessageButtons::YesNo;
    UINT flags = IconFlag(box.icon) | (question ? MB_YESNO : MB_OK);
    if (owner == nullptr) {
        flags |= MB_TASKMODAL | MB_SETFOREGROUND;
    }
    const int answer = MessageBoxW(owner, Wide(box.text).c_str(), caption.c_str(), flags);
    if (!question) {
        return MessageAnswer::Ok;
    }
    return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

std::optional<std::string> ShowOpenDialog1(HWND owner) {
    wchar_t file[MAX_PATH * 2] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"Konfigurační soubory\0*.cfg\0Bat soubory\0*.bat\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH * 2;
    dialog.lpstrInitialDir = L".";
    dialog.lpstrTitle = L"Soubory příkazů do terminálu.";
    dialog.lpstrDefExt = L"cfg";
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog)) {
        return std::nullopt;
    }
    return Cp(file);
}

std::optional<std::wstring> ConfirmDirectory(HWND owner, const std::wstring& typed,
                                             const MessageAnswerer& ask) {
    std::wstring path = typed;
    while (!path.empty() && (path.back() == L' ' || path.back() == L'\\' || path.back() == L'/')) {
        path.pop_back();
    }
    if (path.empty()) {
        return std::nullopt;
    }
    path = FullPath(path);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return path;
        }
        const std::string text = Cp(path + L"\nnení adresář.");
        ask(owner, {text, {}, MessageIcon::Error, MessageButtons::Ok});
        return std::nullopt;
    }
    const std::string question = Cp(L"Adresář " + path + L" neexistuje.\nVytvořit ho?");
    const std::string caption = Cp(L"Potvrzení");
    if (ask(owner, {question, caption, MessageIcon::Question, MessageButtons::YesNo}) !=
        MessageAnswer::Yes) {
        return std::nullopt;
    }
    if (SHCreateDirectoryExW(nullptr, path.c_str(), nullptr) != ERROR_SUCCESS) {
        const std::string text = Cp(L"Adresář " + path + L" nelze vytvořit.");
        ask(owner, {text, {}, MessageIcon::Error, MessageButtons::Ok});
        return std::nullopt;
    }
    return path;
}

std::optional<std::wstring> ChooseDirectory(HWND owner, const std::wstring& start,
                                            const MessageAnswerer& ask) {
    BrowseState state{owner, start, start, std::nullopt, &ask};
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = L"Cesta (PATH) pro souborové operace:";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_VALIDATE;
    browse.lpfn = BrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(&state);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) {
        return std::nullopt;
    }
    wchar_t path[MAX_PATH] = L"";
    const bool ok = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (state.chosen) {
        return state.chosen; // typed and created
    }
    return ok ? std::optional<std::wstring>(path) : std::nullopt;
}

} // namespace kelmora::win32
