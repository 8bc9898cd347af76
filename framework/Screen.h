#pragma once
// The screen: the cursor shown for the whole application, the forms that
// exist, and the display's density.

#include "Control.h"

#include <vector>

class TCustomForm;

class TScreen {
  public:
    TCursor Cursor() const { return cursor_; }
    // Anything but crDefault overrides every control's own cursor.
    void SetCursor(TCursor cursor);
    HCURSOR CursorHandle(TCursor cursor) const;

    const std::vector<TCustomForm*>& Forms() const { return forms_; }
    int FormCount() const { return static_cast<int>(forms_.size()); }
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);
    TCustomForm* ActiveForm() const;

    int PixelsPerInch() const { return ScreenPixelsPerInch(); }
    // The system's fonts for message boxes, status text (hints) and menus;
    // null when the system does not say.
    HFONT MessageFont();
    HFONT StatusFont();
    HFONT MenuFont();
    int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
    int Height() const { return GetSystemMetrics(SM_CYSCREEN); }

  private:
    void ReadSystemFonts();

    TCursor cursor_ = crDefault;
    bool fontsRead_ = false;
    TOwnedFont messageFont_, statusFont_, menuFont_;
    std::vector<TCustomForm*> forms_;
};

extern TScreen* const Screen;
