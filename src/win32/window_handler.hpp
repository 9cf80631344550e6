#pragma once

// The pieces every window of the face shares: the object that handles a
// window's messages, kept as a property of the window, and the pointers and
// ids the system's messages carry as integers.

#include <windows.h>

namespace quorvane::win32 {

inline constexpr wchar_t kHandlerProperty[] = L"Quorvane.Handler";

// Makes `handler` the one that handles the window's messages; null: none.
inline void setHandler(HWND window, void* handler) {
    if (handler) {
        ::SetPropW(window, kHandlerProperty, handler);
    } else {
        ::RemovePropW(window, kHandlerProperty);
    }
}

template <class Handler>
Handler* handlerOf(HWND window) {
    return static_cast<Handler*>(::GetPropW(window, kHandlerProperty));
}

// The structure a message's parameter points to.
template <class Pointee>
Pointee& messageData(LPARAM parameter) {
    return *reinterpret_cast<Pointee*>(parameter);  // NOLINT(performance-no-int-to-ptr): the message holds a pointer
}

// The handle a message's parameter holds.
template <class Handle>
Handle messageHandle(WPARAM parameter) {
    return reinterpret_cast<Handle>(parameter);  // NOLINT(performance-no-int-to-ptr): the message holds a handle
}

// A child window's id, where CreateWindowEx takes it in place of a menu.
inline HMENU childId(int id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));  // NOLINT(performance-no-int-to-ptr): as the API wants
}

// Registers a window class of the program; false when it cannot be. `icon`
// names an icon resource of the program, if any.
inline bool registerClass(const wchar_t* name, WNDPROC procedure, LPCWSTR cursor = IDC_ARROW, LPCWSTR icon = nullptr) {
    WNDCLASSEXW type{};
    type.cbSize = sizeof(type);
    type.lpfnWndProc = procedure;
    type.hInstance = ::GetModuleHandleW(nullptr);
    type.hCursor = ::LoadCursorW(nullptr, cursor);
    if (icon) {
        type.hIcon = ::LoadIconW(type.hInstance, icon);
        type.hIconSm =
            static_cast<HICON>(::LoadImageW(type.hInstance, icon, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                            ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    }
    type.lpszClassName = name;
    return ::RegisterClassExW(&type) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace quorvane::win32
