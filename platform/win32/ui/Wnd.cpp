#include "platform/win32/ui/Wnd.h"

#include "platform/win32/ui/UiFont.h"

namespace quotrix {

namespace {
constexpr wchar_t kObjectProp[] = L"QuotrixObject";
}

CWnd* CWnd::FromHandle(HWND hwnd) { return reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

LRESULT CWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, HWND parent) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = className;
        if (!RegisterClassExW(&wc)) return false;
    }
    return CreateWindowExW(exStyle, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           parent, nullptr, instance, this) != nullptr;
}

LRESULT CALLBACK CWnd::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = FromHandle(hwnd);
    if (message == WM_NCCREATE) {
        self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

CDialog::~CDialog() {
    if (hwnd_ && !modal_) DestroyWindow(hwnd_);
}

CDialog* CDialog::FromHandle(HWND hwnd) { return static_cast<CDialog*>(GetPropW(hwnd, kObjectProp)); }

bool CDialog::Create(HWND parent) {
    modal_ = false;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR CDialog::DoModal(HWND parent) {
    modal_ = true;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR code) {
    if (modal_)
        ::EndDialog(hwnd_, code);
    else
        DestroyWindow(hwnd_);
}

BOOL CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
        EndDialog(LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = FromHandle(hwnd);
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->hwnd_ = hwnd;
        SetPropW(hwnd, kObjectProp, self);
        // The template's font may have no Japanese glyphs; OnInitDialog already measures with ours.
        ApplyUiFont(hwnd);
        return self->OnInitDialog();
    }
    if (!self) return FALSE;
    LRESULT result = 0;
    BOOL handled = self->OnMessage(message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        RemovePropW(hwnd, kObjectProp);
        self->hwnd_ = nullptr;
    }
    if (handled) SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return handled;
}

}  // namespace quotrix
