// Thin window and dialog classes: one C++ object per HWND, bound when the window is created.
// The window procedure only finds the object and hands the message to its OnMessage, which
// dispatches to small OnXxx handlers.
#pragma once

#include <windows.h>

namespace quotrix {

class CWnd {
  public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    HWND GetSafeHwnd() const { return hwnd_; }
    static CWnd* FromHandle(HWND hwnd);

  protected:
    // Handles a message; returns the result. The default passes it on.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Registers (once) and creates a window of class `className` bound to this object.
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, HWND parent);

    // The procedure of every class registered for CWnd objects; creation data is the object.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

// A dialog from a resource template, modeless (Create) or modal (DoModal). It and its controls get
// the UI font (UiFont.h) before OnInitDialog; controls made later call ApplyUiFont themselves.
class CDialog {
  public:
    explicit CDialog(UINT templateId) : templateId_(templateId) {}
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;
    virtual ~CDialog();

    bool Create(HWND parent);
    INT_PTR DoModal(HWND parent);
    HWND GetSafeHwnd() const { return hwnd_; }
    static CDialog* FromHandle(HWND hwnd);

  protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // Returns TRUE when the message was handled; the result goes to DWLP_MSGRESULT.
    virtual BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void EndDialog(INT_PTR code);

    HWND hwnd_ = nullptr;
    bool modal_ = false;

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    UINT templateId_;
};

}  // namespace quotrix
