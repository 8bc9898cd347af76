#include "WinSubClass.h"

#include "Application.h"
#include "Bitmap.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "SkinPropertyNames.h"
#include "SysUtils.h"
#include "SystemFunction.h"
#include "WinControl.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSubClassGeometry.h"
#include "WindowRelay.h"

#include <algorithm>
#include <cctype>

// ---- Relays

// Stands in a program control's WindowProc for its adapter. A plain object, so that the
// control's handler never points at the adapter itself: once the adapter is gone, a relay that
// somebody else hooked over stays as a pass-through, owned by the control from then on.
class TSkinControlRelay {
  public:
    TSkinControlRelay(TSkinControl* adapter, const TWndMethod& previous)
        : adapter_(adapter), previous_(previous) {}
    TWndMethod Method() { return Bind<&TSkinControlRelay::Dispatch>(this); }
    void Orphan() { adapter_ = nullptr; }
    const TWndMethod& Previous() const { return previous_; }

    void Dispatch(TMessage& message) {
        // Nothing of this object is read after the call: the call may free it.
        TSkinControl* adapter = adapter_;
        const TWndMethod previous = previous_;
        if (adapter)
            adapter->Route(message);
        else if (previous)
            previous(message);
    }

  private:
    TSkinControl* adapter_;
    TWndMethod previous_;
};

namespace {
// Keeps an orphaned relay alive for as long as its control lives.
class TSkinRelayKeeper : public TComponent {
  public:
    TSkinRelayKeeper(TComponent* owner, std::unique_ptr<TSkinControlRelay> relay)
        : TComponent(owner), relay_(std::move(relay)) {}
    const char* ClassName() const override { return "TSkinRelayKeeper"; }

  private:
    std::unique_ptr<TSkinControlRelay> relay_;
};

// The relay of a bare window skinned by an adapter.
constexpr char AdapterRelay[] = "PPSkinControlRelay";

// Image lists belong to the common controls, which are loaded with the first of them.
const TSystemFunction<decltype(&::ImageList_GetIconSize)> imageListIconSize{"comctl32.dll",
                                                                            "ImageList_GetIconSize"};
const TSystemFunction<decltype(&::ImageList_GetImageCount)> imageListCount{"comctl32.dll",
                                                                           "ImageList_GetImageCount"};
const TSystemFunction<decltype(&::ImageList_Draw)> imageListDraw{"comctl32.dll", "ImageList_Draw"};
} // namespace

// ---- Shared drawing

void DrawStripCell(HDC dc, const RECT& dest, const TBitmap& image, int cells, int cell) {
    if (!dc)
        return;
    const TFrameRect source = StripCellRect(image.Width(), image.Height(), cells, cell);
    DrawNineSlice(dc, dest, image, RECT{source.Left, source.Top, source.Right, source.Bottom}, RECT{}, false,
                  true);
}

void DrawCellOf(HDC dc, const RECT& dest, const TDataSkinObject& element, int cells, int cell, bool tile,
                bool transparent) {
    const TFrameRect source = StripCellRect(element.Bitmap.Width(), element.Bitmap.Height(), cells, cell);
    DrawNineSlice(dc, dest, element.Bitmap, RECT{source.Left, source.Top, source.Right, source.Bottom},
                  RECT{element.LeftWidth, element.TopHeight, element.RightWidth, element.BottomHeight}, tile,
                  transparent);
}

bool PropertyIsTrue(const TPersistent& object, std::string_view name) {
    std::string value;
    return object.GetPropText(name, value) && SameText(value, "true");
}

HBRUSH ButtonFaceBrush(const TSkinData& skin, TOwnedBrush& spare) {
    if (HBRUSH brush = skin.ButtonFaceBrush())
        return brush;
    spare.Reset(CreateSolidBrush(ColorToRGB(skin.Colour(scButtonFace))));
    return spare.Get();
}

void FillButtonFace(HDC dc, const RECT& rect, const TSkinData& skin) {
    TOwnedBrush spare;
    FillRect(dc, &rect, ButtonFaceBrush(skin, spare));
}

bool ListImageSize(HIMAGELIST images, int& width, int& height) {
    width = height = 0;
    const auto iconSize = imageListIconSize.Find();
    return images && iconSize && iconSize(images, &width, &height) && width > 0 && height > 0;
}

void DrawListImage(HDC dc, HIMAGELIST images, int index, int x, int y) {
    const auto count = imageListCount.Find();
    const auto draw = imageListDraw.Find();
    if (!dc || !images || !count || !draw || index < 0 || index >= count(images))
        return;
    draw(images, index, dc, x, y, ILD_TRANSPARENT);
}

void PaintParentBackground(HWND window, HDC dc, TColor fallback) {
    HWND parent = GetParent(window);
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    {
        TOwnedBrush brush(CreateSolidBrush(ColorToRGB(fallback)));
        RECT all{0, 0, width, height};
        FillRect(dc, &all, brush.Get());
    }
    if (!parent)
        return;
    POINT origin{rect.left, rect.top};
    ScreenToClient(parent, &origin);
    TSaveDCGuard saved(dc);
    IntersectClipRect(dc, 0, 0, width, height);
    POINT old{};
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    if (FindControl(parent))
        SendMessageA(parent, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    else
        SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
}

// ---- TSkinControl

TSkinControl::TSkinControl(TComponent* owner) : TComponent(owner) {}

TSkinControl::~TSkinControl() {
    *alive_ = false;
    try {
        Unhook();
    } catch (...) {
        // Nothing may escape a destructor.
        TraceSwallowed("TSkinControl::~TSkinControl");
    }
    if (frame_)
        frame_->UnregisterAdapter(this);
}

void TSkinControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component && component == control_) {
        // The control is going: it is not touched any more, and no message reaches us.
        controlGone_ = true;
        if (controlRelay_)
            controlRelay_->Orphan();
    }
}

void TSkinControl::Unhook() {
    if (controlRelay_) {
        controlRelay_->Orphan();
        if (controlGone_ || !control_ || control_->IsDestroying()) {
            controlRelay_.reset();
        } else if (control_->WindowProc() == controlRelay_->Method()) {
            control_->SetWindowProc(oldWndMethod_);
            controlRelay_.reset();
        } else {
            // Somebody hooked the control after us and calls our relay: it stays with the control.
            new TSkinRelayKeeper(control_, std::move(controlRelay_));
        }
    }
    if (control_ && !controlGone_)
        control_->RemoveFreeNotification(this);
    // A bare window's procedure goes back, or stays behind as a pass-through under a later subclasser.
    windowRelay_.reset();
}

LRESULT TSkinControl::RelayedMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Nothing of the adapter is read after the call: the call may free it.
    TMessage message{msg, wParam, lParam, 0};
    Route(message);
    return message.Result;
}

void TSkinControl::AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) {
    if (attached_)
        return;
    auto* control = dynamic_cast<TControl*>(Owner());
    if (!control || control->IsDestroying())
        return;
    useSkinColour_ = useSkinColour;
    skin_ = skin;
    frame_ = frame;
    canvas_ = canvas;
    control_ = control;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    handle_ = windowed ? windowed->WindowHandle() : nullptr;
    isUnicode_ = handle_ && IsWindowUnicode(handle_);
    control_->FreeNotification(this);
    oldWndMethod_ = control_->WindowProc();
    controlRelay_ = std::make_unique<TSkinControlRelay>(this, oldWndMethod_);
    control_->SetWindowProc(controlRelay_->Method());
    if (frame_)
        frame_->RegisterAdapter(this);
    if (useSkinColour_) {
        ApplyParentBackgroundRule();
        savedColour_ = control_->Color();
        if (skin_)
            control_->SetColor(skin_->Colour(scButtonFace));
    }
    control_->Invalidate();
    attached_ = true;
    state_ = asAttached;
}

void TSkinControl::AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) {
    if (attached_ || !window || !IsWindow(window))
        return;
    skin_ = skin;
    canvas_ = canvas;
    frame_ = frame;
    handle_ = window;
    enabled_ = true;
    if (frame_)
        frame_->RegisterAdapter(this);
    isUnicode_ = IsWindowUnicode(window) != FALSE;
    caption_ = WindowTextOf(window);
    auto relay =
        std::make_unique<TWindowRelay>(RelayKind<AdapterRelay>, Bind<&TSkinControl::RelayedMessage>(this));
    if (relay->Install(window)) {
        windowRelay_ = std::move(relay);
        oldWindowProc_ = windowRelay_->Previous();
    }
    InvalidateRect(window, nullptr, TRUE);
    attached_ = true;
    state_ = asAttached;
}

void TSkinControl::ApplyParentBackgroundRule() {
    if (!control_ || SkinOption(xoParentBackGround) ||
        !PropertyIsTrue(*control_, SkinProperty::ParentBackground))
        return;
    control_->SetPropText(SkinProperty::ParentBackground, "False");
    parentBackgroundWasOn_ = true;
}

void TSkinControl::UndoParentBackgroundRule() {
    if (!control_ || !parentBackgroundWasOn_)
        return;
    control_->SetPropText(SkinProperty::ParentBackground, "True");
    parentBackgroundWasOn_ = false;
}

void TSkinControl::Restore() {
    if (restored_)
        return;
    restored_ = true;
    DoRestore();
}

void TSkinControl::DoRestore() {
    active_ = false;
    if (state_ != asDestroyed && useSkinColour_ && control_ && !controlGone_ && !control_->IsDestroying()) {
        UndoParentBackgroundRule();
        control_->SetColor(savedColour_);
    }
}

void TSkinControl::SkinChanged() {
    if (useSkinColour_ && control_ && !controlGone_ && skin_)
        control_->SetColor(skin_->Colour(scButtonFace));
    Repaint();
}

void TSkinControl::PassOn(TMessage& message) {
    if (control_) {
        if (controlGone_)
            return;
        const TWndMethod previous = oldWndMethod_;
        if (previous)
            previous(message);
        return;
    }
    if (windowRelay_) {
        message.Result = windowRelay_->CallPrevious(message.Msg, message.WParam, message.LParam);
        return;
    }
    if (handle_ && IsWindow(handle_))
        message.Result = isUnicode_ ? DefWindowProcW(handle_, message.Msg, message.WParam, message.LParam)
                                    : DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
}

void TSkinControl::Route(TMessage& message) {
    const TAliveToken alive = AliveToken();
    if (message.Msg == SKM_SKINONOFF) {
        active_ = static_cast<INT_PTR>(message.WParam) > 0;
        if (active_)
            Repaint();
        return;
    }
    if (control_ && !handle_ && !controlGone_) {
        // Attached before the control had its window.
        if (auto* windowed = dynamic_cast<TWinControl*>(control_)) {
            handle_ = windowed->WindowHandle();
            isUnicode_ = handle_ && IsWindowUnicode(handle_);
        }
    }
    if (control_ && message.Msg == CM_RECREATEWND) {
        // The window goes and comes back; the skinning carries over to the new one.
        const HWND old = handle_;
        recreating_ = true;
        PassOn(message);
        if (!alive)
            return;
        recreating_ = false;
        if (auto* windowed = dynamic_cast<TWinControl*>(control_); windowed && !controlGone_) {
            handle_ = windowed->WindowHandle();
            isUnicode_ = handle_ && IsWindowUnicode(handle_);
        }
        if (handle_ && handle_ != old && active_ && !controlGone_)
            WindowRecreated();
        if (!alive)
            return;
        if (handle_)
            InvalidateRect(handle_, nullptr, TRUE);
        return;
    }
    if (!active_) {
        PassOn(message);
        return;
    }
    if (BeforeMessage(message)) {
        PassOn(message);
        if (!alive)
            return;
        AfterMessage(message);
    }
}

bool TSkinControl::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_NCDESTROY: {
        if (recreating_) {
            mouseState_ = 0;
            return true;
        }
        const TAliveToken alive = AliveToken();
        state_ = asDestroyed;
        PassOn(message);
        if (!alive)
            return false;
        if (active_)
            Restore();
        // The window is gone: a bare window's procedure goes back now, a dying control gets its
        // handler back while it is still whole.
        if (windowRelay_ || (control_ && !controlGone_ && control_->IsDestroying()))
            Unhook();
        // A handle of a window that is gone may come back for another window.
        if (!control_)
            handle_ = nullptr;
        return false;
    }
    case SKM_ISSKINNED:
        message.Result = 1;
        return false;
    default:
        return true;
    }
}

void TSkinControl::AfterMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case CM_ENABLEDCHANGED:
        Repaint();
        break;
    case WM_PAINT:
        PaintFrame(reinterpret_cast<HDC>(message.WParam));
        break;
    case SKM_SKINONOFF:
        active_ = static_cast<INT_PTR>(message.WParam) > 0;
        break;
    default:
        break;
    }
}

void TSkinControl::Repaint() {
    if (repaintTarget_) {
        if (auto* control = dynamic_cast<TControl*>(repaintTarget_))
            control->Invalidate();
        return;
    }
    if (!handle_ || !IsWindow(handle_))
        return;
    InvalidateRect(handle_, nullptr, TRUE);
    // A frame taking a new skin repaints its whole window once when every adapter has changed.
    if (!FrameRepaintsAll())
        UpdateWindow(handle_);
}

bool TSkinControl::FrameRepaintsAll() const {
    if (frame_)
        return frame_->FrameState() == fsReskinning;
    // An adapter inside another adapter's control (a spin edit's up-down) goes with its frame.
    const auto* host = dynamic_cast<const TSkinControl*>(Owner());
    return host && host->FrameRepaintsAll();
}

void TSkinControl::PaintFrame(HDC dc) {
    try {
        if (!handle_)
            return;
        RECT rect{};
        if (!GetWindowRect(handle_, &rect))
            return;
        windowRect_ = rect;
        OffsetRect(&rect, -rect.left, -rect.top);
        if (dc) {
            Paint(dc, rect);
        } else {
            TWindowDC windowDc(handle_, TWindowDC::Area::Window);
            if (windowDc.Get())
                Paint(windowDc.Get(), rect);
        }
    } catch (...) {
        // The control keeps whatever was drawn.
        TraceSwallowed("TSkinControl::PaintFrame");
    }
}

void TSkinControl::Paint(HDC, const RECT&) {}

void TSkinControl::FullPaint(TMessage& message) {
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    PAINTSTRUCT paint{};
    const bool began = !dc && message.Msg == WM_PAINT;
    if (began)
        dc = BeginPaint(handle_, &paint);
    if (dc) {
        try {
            RECT rect{};
            if (GetWindowRect(handle_, &rect)) {
                windowRect_ = rect;
                OffsetRect(&rect, -rect.left, -rect.top);
                Paint(dc, rect);
            }
        } catch (...) {
            // The control keeps whatever was drawn.
            TraceSwallowed("TSkinControl::FullPaint");
        }
    }
    if (began)
        EndPaint(handle_, &paint);
    message.Result = 0;
}

void TSkinControl::EraseTransparent(HDC dc) {
    if (!dc)
        return;
    const TColor face = skin_ ? skin_->Colour(scButtonFace) : clBtnFace;
    if (control_) {
        PaintParentBackground(handle_, dc, face);
        return;
    }
    TColor colour = face;
    if (TWinControl* parent = FindControl(GetParent(handle_))) {
        std::string text;
        if (parent->GetPropText(SkinProperty::Color, text))
            colour = parent->Color();
    }
    RECT client{};
    GetClientRect(handle_, &client);
    TOwnedBrush brush(CreateSolidBrush(ColorToRGB(colour)));
    FillRect(dc, &client, brush.Get());
}

bool TSkinControl::TrackMouseHot(bool hot, HWND leaveWindow) {
    bool now = (mouseState_ & msHot) != 0;
    if (!TrackHot(now, hot, leaveWindow))
        return false;
    mouseState_ = now ? static_cast<unsigned char>(mouseState_ | msHot)
                      : static_cast<unsigned char>(mouseState_ & ~msHot);
    return true;
}

void TSkinControl::RefreshWindowState() {
    if (!handle_)
        return;
    focused_ = GetFocus() == handle_;
    enabled_ = (GetWindowLongA(handle_, GWL_STYLE) & WS_DISABLED) == 0;
}

HFONT TSkinControl::WindowFont() const {
    HFONT font = handle_ ? reinterpret_cast<HFONT>(SendMessageA(handle_, WM_GETFONT, 0, 0)) : nullptr;
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

bool TSkinControl::SkinOption(int option) const {
    return skin_ && skin_->HasOption(static_cast<TSkinOption>(option));
}

bool TSkinControl::RightToLeft() const {
    return handle_ && (GetWindowLongA(handle_, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;
}

// ---- The frame's adapter list

bool TWinSkinForm::RegisterAdapter(TSkinControl* adapter) {
    if (!adapter)
        return false;
    if (std::find(adapters_.begin(), adapters_.end(), adapter) != adapters_.end())
        return true;
    adapters_.push_back(adapter);
    return false;
}

void TWinSkinForm::UnregisterAdapter(TSkinControl* adapter) {
    auto it = std::find(adapters_.begin(), adapters_.end(), adapter);
    if (it != adapters_.end())
        adapters_.erase(it);
}

void TWinSkinForm::ReleaseAdapters() {
    ReleaseToolbars();
    // Taken out first: freeing an adapter unregisters it.
    std::vector<TSkinControl*> adapters = std::move(adapters_);
    adapters_.clear();
    for (TSkinControl* adapter : adapters) {
        if (frameState_ != fsClosing && adapter->State() != asDestroyed)
            adapter->Restore();
        TComponent::Free(adapter);
    }
}

void TWinSkinForm::PurgeAdapters() {
    std::vector<TSkinControl*> gone;
    for (TSkinControl* adapter : adapters_)
        if (adapter->State() == asDestroyed)
            gone.push_back(adapter);
    for (TSkinControl* adapter : gone) {
        UnregisterAdapter(adapter);
        TComponent::Free(adapter);
    }
}
