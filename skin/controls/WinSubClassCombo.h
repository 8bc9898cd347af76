#pragma once
// The edit-like adapters: combo boxes, edits and date-time pickers. All three work over the
// control's own painting: the control draws its text area, the adapter replaces the border and,
// for the combo box and the picker, the drop-down button.
#include "WinSubClass.h"
#include "WinSubClassScroll.h"
#include "WindowRelay.h"

#include <memory>

// Draws cell `cell` of a glyph image (magenta transparent) at its own size into dest; when its
// colour would not stand out from background (contrast below 4.5:1) the glyph is drawn in black
// or white instead, whichever is legible there.
void DrawLegibleGlyph(HDC dc, const RECT& dest, const TBitmap& image, const RECT& cell, TColor background);

// Combo boxes (program controls and bare "combobox" windows).
class TSkinComBox : public TSkinControl {
  public:
    explicit TSkinComBox(TComponent* owner);
    ~TSkinComBox() override;
    const char* ClassName() const override { return "TSkinComBox"; }

    void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) override;
    void AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) override;
    void AfterMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
    // The list's adapters follow the skin as well.
    void SkinChanged() override;

    // Set before attaching for an extended combo box ("comboboxex").
    void SetExtended(bool value) { extended_ = value; }
    bool Extended() const { return extended_; }
    DWORD ComboStyle() const { return comboStyle_; }
    DWORD ComboExStyle() const { return comboExStyle_; }
    HWND ListWindow() const { return listWindow_; }
    HWND EditWindow() const { return editWindow_; }
    bool DroppedDown() const { return droppedDown_; }
    const COMBOBOXINFO& ComboInfo() const { return comboInfo_; }
    // Window coordinates, as at the last paint.
    const RECT& ButtonRect() const { return buttonRect_; }
    // The cell the last paint showed (0 before the first).
    int LastCell() const { return lastCell_; }
    TSkinControl* ListScrollAdapter() const { return listScrollAdapter_; }
    TSkinControl* ChildListAdapter() const { return childListAdapter_; }

  protected:
    void DoRestore() override;

  private:
    friend class TWindowRelay;
    void AttachParts(bool programControl);
    // After the control made its window anew, its parts are new windows: skinned again.
    void RefreshParts();
    void HookEdit(HWND edit);
    void UnhookEdit();
    // The edit part's messages: its own procedure first, then EditMessage.
    LRESULT EditRelayMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void ReleaseListAdapters();
    // The edit part saw a message (after its own procedure).
    void EditMessage(UINT msg);
    void SetPressed(bool pressed);
    void SetHot(bool hot);
    bool PointOnButton(int clientX, int clientY) const;
    void PaintPlain(HDC dc, const RECT& rect, int cell);
    void PaintExtended(HDC dc, const RECT& rect, int cell);
    void PaintParts(HDC dc, const RECT& rect, int cell, bool leftButton);

    DWORD comboStyle_ = 0;
    DWORD comboExStyle_ = 0;
    HWND listWindow_ = nullptr;
    HWND editWindow_ = nullptr;
    std::unique_ptr<TWindowRelay> editRelay_;
    bool droppedDown_ = false;
    COMBOBOXINFO comboInfo_{};
    RECT buttonRect_{};
    bool extended_ = false;
    bool partsAttached_ = false;
    int lastCell_ = 0;
    TSkinControl* listScrollAdapter_ = nullptr;
    TSkinControl* childListAdapter_ = nullptr;
};

// Edits with a border (single- and multi-line): one dark and two white rings.
class TSkinEdit : public TSkinControl {
  public:
    explicit TSkinEdit(TComponent* owner);
    ~TSkinEdit() override;
    const char* ClassName() const override { return "TSkinEdit"; }
    void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) override;
    void AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
    // The up-down follows the skin as well.
    void SkinChanged() override;
    // The up-down control inside a spin edit, once skinned; none until then.
    TSkinControl* UpDownAdapter() const { return upDownAdapter_; }

  protected:
    void DoRestore() override;

  private:
    void PrintBorder(HDC dc);
    // Gives an up-down child (a spin edit's) the skin's up-down, drawn inside the border; an
    // adapter whose window went away is replaced.
    void AttachUpDown();
    void ReleaseUpDown();
    TSkinControl* upDownAdapter_ = nullptr;
};

class TSkinDateTime;

// The skinned drop-down arrow a date-time picker shows: a child window of the picker over the
// picker's own button. A press on it is handed to the picker, which opens its calendar.
class TArrowButton {
  public:
    TArrowButton(TSkinDateTime* adapter, HWND picker);
    ~TArrowButton();
    TArrowButton(const TArrowButton&) = delete;
    TArrowButton& operator=(const TArrowButton&) = delete;

    HWND Handle() const { return window_; }
    HWND PickerWindow() const { return picker_; }
    TSkinDateTime* Adapter() const { return adapter_; }
    int ArrowWidth() const { return arrowWidth_; }
    bool Hot() const { return (state_ & 1) != 0; }
    // Puts the arrow where it belongs for the picker's present size.
    void Place();
    void Invalidate();
    void Repaint();

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void PaintOn(HDC dc);

    TSkinDateTime* adapter_;
    HWND picker_;
    HWND window_ = nullptr;
    int arrowWidth_ = 0;
    unsigned char state_ = 0;
};

// Date-time pickers: the border and the arrow window.
class TSkinDateTime : public TSkinControl {
  public:
    explicit TSkinDateTime(TComponent* owner);
    ~TSkinDateTime() override;
    const char* ClassName() const override { return "TSkinDateTime"; }
    void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) override;
    void AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) override;
    void AfterMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
    // The arrow window is a child the picker's repaint does not reach: it is repainted too.
    void SkinChanged() override;
    TArrowButton* Arrow() const { return arrow_.get(); }

  protected:
    void DoRestore() override;
    // The arrow went with the old window, and the new one lacks the clipping of its children.
    void WindowRecreated() override;

  private:
    void MakeArrow();
    std::unique_ptr<TArrowButton> arrow_;
    bool addedClipChildren_ = false;
};
