#pragma once
// Controls with a window of their own. The window class carries the
// control's class name; standard controls are superclassed under their own
// names ("TButton" from BUTTON, ...). The control is found from any window
// handle through a window property named by a process-wide atom.

#include "Control.h"

#include <vector>

struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    std::string WinClassName;  // the class to register, normally ClassName()
    std::string BaseClassName; // the system class it is made from (superclassing), or empty
    UINT ClassStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
};

// The window-property atom under which controls are stored on their windows.
ATOM ControlAtom();
// The program's control for a window, or null.
TWinControl* FindControl(HWND window);
// The window procedure of every control class.
LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// The control a window is being created for, from its creation record (as a creation hook
// sees it), or null when the window is not one of our controls.
TWinControl* ControlFromCreation(HWND window, const CREATESTRUCTA* creation);
// The control under a screen point, descending into child windows.
TWinControl* FindVCLWindow(POINT screenPoint);

class TWinControl : public TControl {
  public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    const char* ClassName() const override { return "TWinControl"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;
    bool IsWindowed() const override { return true; }
    void SetParent(TWinControl* parent) override;

    // The window, made (with the parents' windows) when first asked for.
    HWND Handle();
    HWND WindowHandle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    // Destroys and makes the window again (the window re-created notice).
    void RecreateWnd();

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }
    const std::vector<TControl*>& ControlList() const { return controls_; }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // Sends the message to every child control.
    void Broadcast(TMessage& message);
    // The windowless child under a client point, or null.
    TControl* ControlAtPos(POINT point, bool allowDisabled = false) const;

    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value) { tabStop_ = value; }
    int TabOrder() const;
    void SetTabOrder(int order);
    // Windowed controls in tab order, nested ones included.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    bool Focused() const;
    virtual bool CanFocus() const;
    virtual void SetFocus();

    bool ParentBackground() const { return parentBackground_; }
    void SetParentBackground(bool value);

    void SetBounds(int left, int top, int width, int height) override;
    RECT ClientRect() const override;
    POINT ClientOrigin() const override;
    void Invalidate() override;
    void Update() override;
    // Lays out the aligned children again.
    void Realign();
    // Paints the windowless children onto a device context whose origin is
    // this control's client origin.
    void PaintControls(HDC dc, const RECT& clip);
    // Paints the whole client area (own drawing and children) into dc.
    void PaintTo(HDC dc, int x, int y);

    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    // The window procedure the control's window class came with.
    WNDPROC DefWndProc() const { return defWndProc_; }

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

  protected:
    virtual void CreateParams(TCreateParams& params);
    // Superclasses a system window class under this control's class name.
    void CreateSubClass(TCreateParams& params, const char* systemClass);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    // Window-dependent state is applied here, after the window exists.
    virtual void CreateHandleFinished() {}
    virtual void DestroyWnd();
    void DestroyHandle();
    void BeforeDestruction() override;

    virtual void AlignControls(TControl* control, RECT& rect);
    virtual void AdjustClientRect(RECT& rect) const;
    // Painting: the control's own drawing into a device context.
    virtual void PaintWindow(HDC dc);
    virtual void PaintHandler(TMessage& message);
    virtual bool EraseBackground(HDC dc);

    // Key handling; true when the key was consumed.
    virtual bool DoKeyDown(WORD& key, TShiftState shift);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void DoEnter();
    virtual void DoExit();

    void FontChanged() override;
    void ColorChanged() override;
    void TextChanged() override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    void UpdateBoundsFromWindow();
    void BoundsChanged() override;

    bool tabStop_ = false;
    // Windows whose painting we do fully skip the erase step.
    bool opaquePaint_ = false;

  private:
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend class TCustomForm;
    void AttachWindow(HWND window);
    void DetachWindow();
    void ReflectNotification(TMessage& message, HWND child);
    bool HandleKeyNavigation(TMessage& message);
    void CreateChildHandles();
    void SetMouseChild(TControl* child);

    HWND handle_ = nullptr;
    WNDPROC defWndProc_ = DefWindowProcA;
    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    bool parentBackground_ = false;
    bool creating_ = false;
    bool aligning_ = false;
    bool recreating_ = false;
    bool trackingLeave_ = false;
    // The windowless child the mouse is over (told of the mouse's coming and going).
    TControl* mouseChild_ = nullptr;
    TBrush background_;
};

// A windowed control that paints itself on a canvas, double-buffered.
class TCustomControl : public TWinControl {
  public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    const char* ClassName() const override { return "TCustomControl"; }
    // Draws on the control: during painting the off-screen buffer, at other
    // times the window itself.
    TCanvas& Canvas();
    // Gives back a device context the canvas took outside painting.
    void ReleaseCanvas();
    void WndProc(TMessage& message) override;

  protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;
    bool EraseBackground(HDC dc) override;

  private:
    class TControlCanvas;
    std::unique_ptr<TControlCanvas> canvas_;
};
