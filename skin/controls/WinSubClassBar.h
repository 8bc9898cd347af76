#pragma once
// The adapters of display bars and small step controls: progress bars and status bars (full
// paint from Progress/ProgressChunk and StatusBarEdges/ExtraImages), up-down controls (full
// paint from UpDownVert/UpDownHorz) and track bars (channel and thumb through the control's own
// custom drawing, the tick marks stay native).
#include "WinSubClass.h"

#include <memory>

class TSkinProgress : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;
    const char* ClassName() const override { return "TSkinProgress"; }
    bool BeforeMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
};

class TSkinStatusBar : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;
    const char* ClassName() const override { return "TSkinStatusBar"; }
    bool BeforeMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;

  private:
    void DrawEdge(HDC dc, const RECT& rect, int cell) const;
    // The bar's font without bold, italics, underline or strike-out.
    HFONT PlainFont();
    // Has the bar's owner draw an owner-drawn panel into rect of dc, as the bar itself asks it.
    void DrawOwnerPanel(HDC dc, int panel, const RECT& rect) const;
    TOwnedFont plainFont_;
    LOGFONTW plainLog_{};
};

class TSkinUpDown : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;
    const char* ClassName() const override { return "TSkinUpDown"; }
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
    // The up-down of a spin edit: drawn inside its field's frame.
    bool Embedded() const { return embedded_; }
    void SetEmbedded(bool value) { embedded_ = value; }
    // Left and right halves whatever the window's style says (a tab row's scroller).
    bool HorizontalHint() const { return horizontalHint_; }
    void SetHorizontalHint(bool value) { horizontalHint_ = value; }

  private:
    // The half (1 or 2) the cursor is over, 0 outside; in the whole window or in rect.
    int HoverHalf() const;
    int HoverHalf(const RECT& rect) const;
    bool embedded_ = false;
    bool horizontalHint_ = false;
    // The half the last picture showed under the cursor.
    int paintedHover_ = -1;
};

// An up-down inside another control (a spin edit's, a tab row's scroller), drawn from the skin's
// up-down by an adapter that the holding control's adapter owns. Keeps `adapter` on `window`;
// an adapter whose window went away or was made anew is released first, and an already skinned
// window gets none.
void KeepChildUpDown(TComponent* owner, TSkinData* skin, TCanvas* canvas, TSkinControl*& adapter, HWND window,
                     bool embedded, bool horizontal);
// Gives the child up-down its own look back and frees its adapter.
void ReleaseChildUpDown(TSkinControl*& adapter);

class TSkinTrackBar : public TSkinControl {
  public:
    using TSkinControl::TSkinControl;
    const char* ClassName() const override { return "TSkinTrackBar"; }
    bool BeforeMessage(TMessage& message) override;
    void SkinChanged() override;
};
