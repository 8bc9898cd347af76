#pragma once
// The objects of a skinned caption: caption buttons that the skin defines (close, maximize,
// minimize, help, the window icon, custom buttons). Each knows its rectangle in the frame's
// window coordinates, its state and how to paint itself; the frame drives them with the
// non-client mouse messages.

#include "WinSkinFormGeometry.h"

#include <windows.h>

class TWinSkinForm;
struct TDataSkinSysButton;

// Button states (cells of the image, counted from 1).
enum TNCState { ncNormal = 1, ncPressed = 2, ncHot = 3 };

class TNCObject {
  public:
    explicit TNCObject(TWinSkinForm* owner) : owner_(owner) {}
    virtual ~TNCObject() = default;
    TNCObject(const TNCObject&) = delete;
    TNCObject& operator=(const TNCObject&) = delete;

    virtual void MouseDown();
    virtual void MouseUp();
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void Paint() {}

    TWinSkinForm* OwnerFrame() const { return owner_; }
    TFrameRect BoundsRect;
    bool Visible = false;
    int State = ncNormal;
    bool Enabled = true;

  private:
    TWinSkinForm* owner_;
};

class TWinSysButton : public TNCObject {
  public:
    TWinSysButton(TWinSkinForm* owner, TDataSkinSysButton* element) : TNCObject(owner), element_(element) {}
    void Paint() override;
    TDataSkinSysButton& Element() const { return *element_; }
    // The button's description for the visibility and layout rules.
    TCaptionButtonInfo Info() const;
    bool IsIcon() const;
    // Draws the button's cell (or the icon) into its rectangle on dc.
    void PaintCell(HDC dc, int cell);

  private:
    TDataSkinSysButton* element_;
};
