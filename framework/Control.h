#pragma once
// Visual controls: bounds, alignment, constraints, colour, font, visibility,
// hints, popup menus and mouse events, and the replaceable message handler
// through which every message of a control passes.

#include "Component.h"
#include "Graphics.h"
#include "Messages.h"

#include <windows.h>

#include <string>

class TWinControl;
class TCustomForm;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
template <> struct TEnumNames<TAlign> {
    static constexpr const char* Names[] = {"alNone",  "alTop",    "alBottom", "alLeft",
                                            "alRight", "alClient", "alCustom"};
    static constexpr size_t Count = 7;
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
using TShiftState = unsigned;

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crHandPoint = -21;

using TWndMethod = TMethod<void(TMessage&)>;
using TMouseEvent = TMethod<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = TMethod<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = TMethod<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = TMethod<void(TObject* sender, char& key)>;
using TMouseWheelUpDownEvent =
    TMethod<void(TObject* sender, TShiftState shift, POINT mousePos, bool& handled)>;

// Shift state from the mouse-message keys in wParam.
TShiftState MouseShiftState(WPARAM keys);
// Shift state from the keyboard now.
TShiftState KeyboardShiftState();

class TSizeConstraints : public TPersistent {
  public:
    const char* ClassName() const override { return "TSizeConstraints"; }
    int MinWidth() const { return minWidth_; }
    int MinHeight() const { return minHeight_; }
    int MaxWidth() const { return maxWidth_; }
    int MaxHeight() const { return maxHeight_; }
    void SetMinWidth(int value);
    void SetMinHeight(int value);
    void SetMaxWidth(int value);
    void SetMaxHeight(int value);
    // Width and height brought within the limits (0 = no limit).
    void Apply(int& width, int& height) const;
    TNotifyEvent OnChange;

  private:
    void Changed();
    int minWidth_ = 0, minHeight_ = 0, maxWidth_ = 0, maxHeight_ = 0;
};

class TControl : public TComponent {
  public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    const char* ClassName() const override { return "TControl"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    // ---- messages
    // Every message of the control goes through WindowProc; by default it is
    // the control's own WndProc. Hooks save it, put their own in its place and
    // later restore it.
    const TWndMethod& WindowProc() const { return windowProc_; }
    void SetWindowProc(const TWndMethod& method) { windowProc_ = method; }
    TWndMethod DefaultWindowProc() { return Bind<&TControl::WndProc>(this); }
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual void WndProc(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

    // ---- tree and geometry
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    TCustomForm* ParentForm() const;
    virtual bool IsWindowed() const { return false; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    virtual RECT ClientRect() const;
    int ClientWidth() const;
    int ClientHeight() const;
    virtual void SetClientSize(int width, int height);
    POINT ClientToScreen(POINT point) const;
    POINT ScreenToClient(POINT point) const;
    // Offset of the client origin in the nearest windowed control (itself
    // when windowed).
    virtual POINT ClientOrigin() const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    TSizeConstraints& Constraints() { return constraints_; }

    // ---- appearance
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    const std::string& Text() const { return caption_; }
    void SetText(const std::string& text) { SetCaption(text); }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool value);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor) { cursor_ = cursor; }
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);

    virtual void Invalidate();
    virtual void Update();
    void Repaint();
    // A click as the user makes it (fires OnClick).
    virtual void Click();

    // ---- events
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

  protected:
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;
    void BeforeDestruction() override;

    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DblClick();
    virtual void Resize();
    // The control's bounds changed (before the parent realigns).
    virtual void BoundsChanged() {}
    void RequestAlign();
    // Bounds as the owner of the window reports them.
    void StoreBounds(int left, int top, int width, int height);
    // The caption as the window already shows it (no change notice).
    void StoreCaption(const std::string& caption) { caption_ = caption; }
    // Mouse-wheel handling; true when handled.
    virtual bool DoMouseWheel(TShiftState shift, int delta, POINT mousePos);

    // Message handlers shared by all controls.
    virtual void HandleMouse(TMessage& message);
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void TextChanged();
    virtual void VisibleChanged();
    virtual void EnabledChanged();
    virtual void ParentFontChanged();
    virtual void ParentColorChanged();
    virtual void ShowHintChanged();

    bool captureMouse_ = true;
    bool mouseInControl_ = false;

  private:
    friend class TWinControl;
    void FontObjectChanged(TObject* sender);
    void ConstraintsChanged(TObject* sender);

    TWndMethod windowProc_;
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    TSizeConstraints constraints_;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    TFont font_;
    bool parentFont_ = true;
    std::string caption_;
    bool visible_ = true;
    bool enabled_ = true;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TCursor cursor_ = crDefault;
    TPopupMenu* popupMenu_ = nullptr;
    bool settingParentFont_ = false;
};

// A control without a window of its own: its parent paints it and hands it
// the mouse messages that fall on it.
class TGraphicControl : public TControl {
  public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    const char* ClassName() const override { return "TGraphicControl"; }
    TCanvas& Canvas() { return canvas_; }
    void WndProc(TMessage& message) override;

  protected:
    // Paints on Canvas, whose origin is the control's top-left corner.
    virtual void Paint() {}

  private:
    TCanvas canvas_;
};
