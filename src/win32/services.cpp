#include "win32/services.hpp"

#include <shobjidl.h>

#include "platform/files.hpp"
#include "win32/com_ptr.hpp"
#include "win32/wide_text.hpp"

namespace quorvane::win32 {

std::optional<std::string> SystemFolderPicker::pickFolder(const std::string& title, const std::string& startFolder) {
    if (!presetAnswers.empty()) {
        std::string answer = std::move(presetAnswers.front());
        presetAnswers.pop_front();
        return answer;
    }
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                  dialog.putVoid()))) {
        return std::nullopt;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog->SetTitle(widen(title).c_str());
    if (const std::string start = nearestFolder(startFolder); !start.empty()) {
        ComPtr<IShellItem> folder;
        if (SUCCEEDED(::SHCreateItemFromParsingName(widen(start).c_str(), nullptr, IID_IShellItem, folder.putVoid()))) {
            dialog->SetFolder(folder.get());
        }
    }
    if (FAILED(dialog->Show(owner))) return std::nullopt;  // cancelled
    ComPtr<IShellItem> chosen;
    if (FAILED(dialog->GetResult(chosen.put()))) return std::nullopt;
    PWSTR path = nullptr;
    if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path))) return std::nullopt;
    std::string answer = narrow(path);
    ::CoTaskMemFree(path);
    return answer;
}

void writeStandardError(const std::string& line) {
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    // A window program started from a console has none of its own: it
    // writes to the console it was started from.
    if ((error == nullptr || error == INVALID_HANDLE_VALUE) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        error = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        ::SetStdHandle(STD_ERROR_HANDLE, error);
    }
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void MessageBoxSink::showMessage(const std::string& text) {
    ++shown;
    if (toStandardError) {
        writeStandardError("quorvane-gui: " + text + "\n");
        return;
    }
    ::MessageBoxW(owner, widen(text).c_str(), kApplicationTitle, MB_OK | MB_ICONWARNING);
}

void MessagePump::processPendingEvents() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The loop that ends the program is main's: the quit waits there.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (translate && translate(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

void SleepPause::sleepMilliseconds(int milliseconds) {
    if (milliseconds > 0) ::Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace quorvane::win32
