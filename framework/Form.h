#pragma once
// Top-level windows: frame style, position, opacity, focus within the form,
// key preview, closing and modal showing.

#include "WinControl.h"

class TMainMenu;
class TMenuItem;

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
template <> struct TEnumNames<TBorderStyle> {
    static constexpr const char* Names[] = {"bsNone",   "bsSingle",     "bsSizeable",
                                            "bsDialog", "bsToolWindow", "bsSizeToolWin"};
    static constexpr size_t Count = 6;
};

enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
// fsMDIForm: the form holds the system's MDI client window, whose children are the forms of
// style fsMDIChild.
enum TFormStyle { fsNormal, fsStayOnTop, fsMDIChild, fsMDIForm };
// How Tile lays out the MDI children: side by side across (horizontal) or down (vertical).
enum TTileMode { tbHorizontal, tbVertical };
enum TPosition { poDesigned, poScreenCenter, poDefault };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;

using TCloseEvent = TMethod<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = TMethod<void(TObject* sender, bool& canClose)>;

class TCustomForm;

// Whoever draws a form's frame in place of the system (the skin engine) answers how wide it is
// on each side (left, top, right, bottom) for a form whose window is about to be made with
// these parameters; false leaves the answer to the system's metrics.
using TFrameInsetsQuery = bool (*)(TCustomForm& form, const TCreateParams& params, RECT& insets);
void SetFrameInsetsQuery(TFrameInsetsQuery query);

class TCustomForm : public TWinControl {
  public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;
    const char* ClassName() const override { return "TForm"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }
    bool AlphaBlend() const { return alphaBlend_; }
    void SetAlphaBlend(bool value);
    BYTE AlphaBlendValue() const { return alphaBlendValue_; }
    void SetAlphaBlendValue(BYTE value);
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool value) { autoScroll_ = value; }
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);

    // Multiple documents. An MDI form makes the MDI client window in its client area (the part
    // its aligned controls leave) and lists its children in the submenu of WindowMenu, an item of
    // its main menu that needs a sub-item of its own. An MDI child is made in the client of its
    // owner when that is an MDI form, else of the first MDI form on the screen; closing it frees
    // it, and freeing the MDI form frees its children first.
    HWND ClientHandle() const { return clientHandle_; }
    // The MDI form whose client holds this child's window (null for other forms).
    TCustomForm* MDIFrame() const;
    TCustomForm* ActiveMDIChild() const;
    // Whether the active MDI child is maximized.
    bool ActiveMDIChildMaximized() const;
    // The MDI children, the one on top first.
    int MDIChildCount() const;
    TCustomForm* MDIChildren(int index) const;
    TMenuItem* WindowMenu() const { return windowMenu_; }
    void SetWindowMenu(TMenuItem* item);
    TTileMode TileMode() const { return tileMode_; }
    void SetTileMode(TTileMode mode) { tileMode_ = mode; }
    void Tile();
    void Cascade();
    void ArrangeIcons();
    // Activates the next (previous) MDI child.
    void Next();
    void Previous();

    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // Moves the focus to the next (or previous) tab stop.
    void SelectNext(TWinControl* current, bool forward, bool checkTabStop);
    // Called by a control that received the focus.
    void SetFocusedControl(TWinControl* control);

    void SetClientSize(int width, int height) override;
    // The least client height, whatever frame the window wears (0: none). Dragging an edge and
    // setting the bounds both stop there.
    int MinClientHeight() const { return minClientHeight_; }
    void SetMinClientHeight(int value);
    // The least window height for MinClientHeight under the frame the window is to wear.
    int MinFrameHeight();
    // The frame's width on each side for the window as it would be made now; drawnByOthers
    // tells whether whoever draws the frame in place of the system answered.
    RECT FrameInsets();
    RECT FrameInsets(bool& drawnByOthers);
    void SetBounds(int left, int top, int width, int height) override;
    RECT ClientRect() const override;

    void Show();
    void Close();
    // Runs a nested message loop until ModalResult is set.
    TModalResult ShowModal();
    bool Modal() const { return modal_; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    // Frees the form once the current message is done.
    void Release();

    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    // The cues (UISF_HIDEFOCUS, UISF_HIDEACCEL) that the window's WM_CHANGEUISTATE requests left
    // hidden. Kept here as well as by the system, because not every system keeps them: Wine
    // answers WM_QUERYUISTATE with 0 whatever was asked.
    WORD HiddenCues() const { return hiddenCues_; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnDestroy;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TMouseWheelUpDownEvent OnMouseWheelDown;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void CreateHandleFinished() override;
    void DestroyWnd() override;
    void AlignControls(TControl* control, RECT& rect) override;
    void Loaded() override;
    void BeforeDestruction() override;
    void Notification(TComponent* component, TOperation operation) override;
    bool DoMouseWheel(TShiftState shift, int delta, POINT mousePos) override;
    void VisibleChanged() override;
    // Runs OnCreate; forms call it at the end of their constructor.
    void DoCreate();
    virtual bool CloseQuery();
    virtual void DoClose(TCloseAction& action);
    void ApplyAlpha();
    void PlaceOnScreen();

  private:
    void DialogKey(TMessage& message);
    void MinMaxInfo(TMessage& message);
    // Gives the focus to the active control, else to the first tab stop, else to the window.
    void FocusActiveControl();
    TCustomForm* FindMDIFrame() const;
    void MDIChildParams(TCreateParams& params);
    void CreateMDIClient();
    // Tells the MDI client the frame's menu and the submenu that lists the children.
    void UpdateMDIMenu();
    HMENU WindowMenuHandle();
    void FreeMDIChildren();

    TBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TFormStyle formStyle_ = fsNormal;
    TPosition position_ = poDesigned;
    bool keyPreview_ = false;
    bool alphaBlend_ = false;
    BYTE alphaBlendValue_ = 255;
    bool autoScroll_ = false;
    TMainMenu* menu_ = nullptr;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
    int clientWidth_ = -1, clientHeight_ = -1;
    int minClientHeight_ = 0;
    bool placed_ = false;
    WORD hiddenCues_ = 0;
    HWND clientHandle_ = nullptr;
    TMenuItem* windowMenu_ = nullptr;
    TTileMode tileMode_ = tbHorizontal;
};

class TForm : public TCustomForm {
  public:
    using TCustomForm::TCustomForm;
    const char* ClassName() const override { return "TForm"; }
};
