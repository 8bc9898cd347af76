#pragma once
// A single-line text field made from the system's EDIT class.

#include "WinControl.h"

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);
    const char* ClassName() const override { return "TEdit"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    // What the field holds now (the user may have typed since).
    std::string Text() const;
    void SetText(const std::string& text) { SetCaption(text); }
    void SelectAll();
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    TNotifyEvent OnChange;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;

private:
    int maxLength_ = 0;
    bool readOnly_ = false;
};
