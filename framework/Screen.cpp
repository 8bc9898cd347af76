#include "Screen.h"

#include "Form.h"
#include "WinControl.h"

#include <algorithm>

namespace {
TScreen theScreen;
}

TScreen* const Screen = &theScreen;

void TScreen::SetCursor(TCursor cursor) {
    if (cursor == cursor_)
        return;
    cursor_ = cursor;
    if (cursor != crDefault) {
        ::SetCursor(CursorHandle(cursor));
    } else {
        // Let the window under the mouse choose again.
        POINT p{};
        GetCursorPos(&p);
        SetCursorPos(p.x, p.y);
    }
}

HCURSOR TScreen::CursorHandle(TCursor cursor) const {
    LPCSTR id = IDC_ARROW;
    switch (cursor) {
    case crHourGlass:
        id = IDC_WAIT;
        break;
    case crHandPoint:
        id = IDC_HAND;
        break;
    default:
        break;
    }
    return LoadCursorA(nullptr, id);
}

void TScreen::ReadSystemFonts() {
    if (fontsRead_)
        return;
    fontsRead_ = true;
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return;
    messageFont_.Reset(CreateFontIndirectA(&metrics.lfMessageFont));
    statusFont_.Reset(CreateFontIndirectA(&metrics.lfStatusFont));
    menuFont_.Reset(CreateFontIndirectA(&metrics.lfMenuFont));
}

HFONT TScreen::MessageFont() {
    ReadSystemFonts();
    return messageFont_.Get();
}

HFONT TScreen::StatusFont() {
    ReadSystemFonts();
    return statusFont_.Get();
}

HFONT TScreen::MenuFont() {
    ReadSystemFonts();
    return menuFont_.Get();
}

void TScreen::AddForm(TCustomForm* form) {
    if (std::find(forms_.begin(), forms_.end(), form) == forms_.end())
        forms_.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

TCustomForm* TScreen::ActiveForm() const {
    HWND active = GetActiveWindow();
    for (TCustomForm* form : forms_)
        if (form->WindowHandle() == active)
            return form;
    return nullptr;
}
