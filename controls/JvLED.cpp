#include "JvLED.h"

#include "Application.h"
#include "Form.h"

namespace {
const char* const GreenPictureName = "JvCustomLEDGREEN";
const char* const MaskPictureName = "JvCustomLEDMASK";
constexpr TColor PictureLampColor = clLime;
constexpr unsigned DefaultInterval = 1000;

bool ApplicationMinimized() {
    if (!Application)
        return false;
    if (IsIconic(Application->Handle()))
        return true;
    TCustomForm* mainForm = Application->MainForm();
    return mainForm && mainForm->HandleAllocated() && IsIconic(mainForm->WindowHandle());
}
} // namespace

TJvCustomLED::TJvCustomLED(TComponent* owner)
    : TGraphicControl(owner), blinkTimer_(MakeComponent<TTimer>(nullptr)) {
    maskPicture_.LoadFromResourceName(GetModuleHandleA(nullptr), MaskPictureName);
    blinkTimer_->SetEnabled(false);
    blinkTimer_->OnTimer = Bind<&TJvCustomLED::BlinkTimer>(this);
    blinkTimer_->SetInterval(DefaultInterval);
    SetColor(clLime);
    SetWidth(17);
    SetHeight(17);
    SetColorOn(clLime);
    SetColorOff(clRed);
    SetActive(false);
    SetStatus(true);
}

TJvCustomLED::~TJvCustomLED() {
    blinkTimer_->SetEnabled(false);
}

const TPropertyInfo* TJvCustomLED::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TJvCustomLED::Active, &TJvCustomLED::SetActive>("Active"),
        Prop<&TJvCustomLED::ColorOn, &TJvCustomLED::SetColorOn>("ColorOn"),
        Prop<&TJvCustomLED::ColorOff, &TJvCustomLED::SetColorOff>("ColorOff"),
        Prop<&TJvCustomLED::Status, &TJvCustomLED::SetStatus>("Status"),
        Prop<&TJvCustomLED::AutoSize, &TJvCustomLED::SetAutoSize>("AutoSize"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TGraphicControl::FindProperty(name);
}

void TJvCustomLED::SetActive(bool value) {
    if (value == active_)
        return;
    active_ = value;
    if (!IsDesigning())
        blinkTimer_->SetEnabled(value);
}

void TJvCustomLED::SetInterval(unsigned ms) {
    if (ms != blinkTimer_->Interval())
        blinkTimer_->SetInterval(ms);
}

void TJvCustomLED::SetColorOn(TColor value) {
    if (value == colorOn_)
        return;
    colorOn_ = value;
    if (status_)
        SetColor(value);
}

void TJvCustomLED::SetColorOff(TColor value) {
    if (value == colorOff_)
        return;
    colorOff_ = value;
    if (!status_)
        SetColor(value);
}

void TJvCustomLED::SetStatus(bool value) {
    if (value == status_)
        return;
    status_ = value;
    SetColor(value ? colorOn_ : colorOff_);
    if (OnChange)
        OnChange(this);
}

void TJvCustomLED::SetAutoSize(bool value) {
    if (value == autoSize_)
        return;
    autoSize_ = value;
    if (value)
        SetBounds(Left(), Top(), Width(), Height());
}

void TJvCustomLED::SetBounds(int left, int top, int width, int height) {
    if (autoSize_ && (Align() == alNone || Align() == alCustom) && !ledPicture_.Empty()) {
        width = ledPicture_.Width();
        height = ledPicture_.Height();
    }
    TGraphicControl::SetBounds(left, top, width, height);
}

void TJvCustomLED::ColorChanged() {
    ledPicture_.LoadFromResourceName(GetModuleHandleA(nullptr), GreenPictureName);
    ledPicture_.SetPixelFormat(pf24bit);
    const auto lamp = static_cast<TColor>(ColorToRGB(Color()));
    for (int y = 0; y < ledPicture_.Height(); ++y)
        for (int x = 0; x < ledPicture_.Width(); ++x)
            if (ledPicture_.PixelColor(x, y) == PictureLampColor)
                ledPicture_.SetPixelColor(x, y, lamp);
    Repaint();
}

void TJvCustomLED::Paint() {
    const int width = ledPicture_.Width();
    const int height = ledPicture_.Height();
    const int x = (ClientWidth() - width) / 2;
    const int y = (ClientHeight() - height) / 2;
    HDC dc = Canvas().Handle();
    // The mask blackens the lamp's shape and keeps the background around it;
    // the picture, black outside the lamp, is then laid into that hole.
    BitBlt(dc, x, y, width, height, maskPicture_.MemoryDC(), 0, 0, SRCAND);
    BitBlt(dc, x, y, width, height, ledPicture_.MemoryDC(), 0, 0, SRCPAINT);
}

void TJvCustomLED::BlinkTimer(TObject*) {
    if (!ApplicationMinimized())
        SetStatus(!Status());
}
