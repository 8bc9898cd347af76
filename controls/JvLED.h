#pragma once
// A small round indicator lamp without a window of its own: a 17 x 17 LED
// picture in the on colour or the off colour, optionally blinking. The lamp
// is cut out of the background with a mask, so it sits on any parent colour.

#include "Bitmap.h"
#include "Control.h"
#include "Timer.h"

class TJvCustomLED : public TGraphicControl {
  public:
    explicit TJvCustomLED(TComponent* owner);
    ~TJvCustomLED() override;
    const char* ClassName() const override { return "TJvCustomLED"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    // Blinking: Status flips every Interval milliseconds while Active.
    bool Active() const { return active_; }
    void SetActive(bool value);
    unsigned Interval() const { return blinkTimer_->Interval(); }
    void SetInterval(unsigned ms);
    TColor ColorOn() const { return colorOn_; }
    void SetColorOn(TColor value);
    TColor ColorOff() const { return colorOff_; }
    void SetColorOff(TColor value);
    bool Status() const { return status_; }
    void SetStatus(bool value);
    // On, the control takes the picture's size whatever it is asked for
    // (unless it is aligned).
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);

    void SetBounds(int left, int top, int width, int height) override;

    // Status changed.
    TNotifyEvent OnChange;

  protected:
    void Paint() override;
    void ColorChanged() override;

  private:
    void BlinkTimer(TObject* sender);

    TBitmap ledPicture_;
    TBitmap maskPicture_;
    TOwnedComponent<TTimer> blinkTimer_;
    TColor colorOn_ = clLime;
    TColor colorOff_ = clRed;
    bool active_ = false;
    bool status_ = true;
    bool autoSize_ = false;
};

class TJvLED : public TJvCustomLED {
  public:
    using TJvCustomLED::TJvCustomLED;
    const char* ClassName() const override { return "TJvLED"; }
};
