#include "HintWindow.h"

#include "Screen.h"

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
    SetVisible(false);
    SetColor(clInfoBk);
    SetParentFont(false);
    if (HFONT font = Screen->StatusFont())
        Font().SetHandle(font);
    Font().SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    params.WndParent = nullptr;
    params.ClassStyle |= CS_SAVEBITS;
}

RECT THintWindow::CalcHintRect(int maxWidth, const std::string& text) {
    RECT r{0, 0, maxWidth, 0};
    HDC dc = GetDC(nullptr);
    {
        TSelectGuard select(dc, Font().Handle());
        DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
    ReleaseDC(nullptr, dc);
    r.right += 6;
    r.bottom += 2;
    return r;
}

void THintWindow::ActivateHint(const RECT& rect, const std::string& text) {
    SetCaption(text);
    HWND window = Handle();
    SetWindowPos(window, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
}

void THintWindow::ReleaseHandle() {
    if (WindowHandle())
        ShowWindow(WindowHandle(), SW_HIDE);
}

void THintWindow::Paint() {
    TCanvas& canvas = Canvas();
    RECT r = ClientRect();
    canvas.Brush().SetColor(Color());
    canvas.FillRect(r);
    canvas.Font().Assign(Font());
    canvas.Brush().SetStyle(bsClear);
    r.left += 2;
    r.top += 1;
    canvas.DrawText(Caption().c_str(), -1, r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}
