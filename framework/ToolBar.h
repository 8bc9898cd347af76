#pragma once
// The tool bar: a row of buttons that show pictures of an image list, with separators between
// groups and drop-down buttons that open a popup menu, flat or raised. It is the system's common
// control under its own class name. Its two custom-draw events let the program paint the bar's
// background and each button's face under the pictures and texts the control draws itself.
// The cool bar holds controls (tool bars, say) in bands that the user can move and size.

#include "WinControl.h"

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

class TImageList;
class TPopupMenu;
class TToolBar;

enum TToolButtonStyle { tbsButton, tbsSeparator, tbsDropDown };

// The custom-draw state of a button: the CDIS_* bits the control reports (selected when
// pressed, hot under the mouse, disabled, ...).
using TCustomDrawState = UINT;

// What the control still draws of a button after its custom-draw event.
struct TToolButtonDraw {
    // The picture and the caption (false: nothing at all).
    bool DefaultDraw = true;
    // The raised or sunken edges of a hot or pressed button.
    bool Edges = true;
    // The control's own face of a hot, pressed or checked button.
    bool Background = true;
};

using TToolBarCustomDrawEvent = TMethod<void(TToolBar* sender, const RECT& rect, bool& defaultDraw)>;
using TToolBarCustomDrawButtonEvent =
    TMethod<void(TToolBar* sender, int button, TCustomDrawState state, TToolButtonDraw& draw)>;

// One button of the bar.
struct TToolButton {
    TToolButtonStyle Style = tbsButton;
    int ImageIndex = -1;
    std::string Caption;
    bool Enabled = true;
    // The menu a drop-down button opens under itself (not owned).
    TPopupMenu* DropdownMenu = nullptr;
    TNotifyEvent OnClick;
};

class TToolBar : public TWinControl {
  public:
    explicit TToolBar(TComponent* owner);
    ~TToolBar() override;
    const char* ClassName() const override { return "TToolBar"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    // The pictures the buttons' ImageIndex picks from (not owned; null for none).
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    // Buttons without edges until the mouse is over them.
    bool Flat() const { return flat_; }
    void SetFlat(bool value);

    // Adds a button at the end; answers its index.
    int AddButton(const TToolButton& button);
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    const TToolButton& Button(int index) const { return buttons_.at(static_cast<size_t>(index)); }
    void SetButtonEnabled(int index, bool enabled);
    // The button's rectangle in client coordinates (empty before the window exists).
    RECT ButtonRect(int index) const;

    // The canvas the custom-draw events paint on (only valid during them); its font colour is
    // the colour of the button's caption.
    TCanvas& Canvas() { return *canvas_; }

    TToolBarCustomDrawEvent OnCustomDraw;
    TToolBarCustomDrawButtonEvent OnCustomDrawButton;

    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    void InsertButton(int index);
    LRESULT CustomDraw(NMTBCUSTOMDRAW& draw);
    void DropDown(int index);

    std::vector<TToolButton> buttons_;
    TImageList* images_ = nullptr;
    bool flat_ = false;
    TCanvas* canvas_;
};

// One band of a cool bar: the control it holds (not owned), its title, width and colour.
struct TCoolBand {
    TWinControl* Control = nullptr;
    std::string Text;
    int Width = 100;
    TColor Color = clBtnFace;
};

class TCoolBar : public TWinControl {
  public:
    explicit TCoolBar(TComponent* owner);
    const char* ClassName() const override { return "TCoolBar"; }

    // Adds a band at the end holding control (which the bar places from now on); answers its
    // index.
    int AddBand(TWinControl* control, const std::string& text, int width);
    int BandCount() const { return static_cast<int>(bands_.size()); }
    const TCoolBand& Band(int index) const { return bands_.at(static_cast<size_t>(index)); }
    void SetBandColor(int index, TColor color);

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    void InsertBand(int index);
    std::vector<TCoolBand> bands_;
};
