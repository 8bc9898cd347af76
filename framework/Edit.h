#pragma once
// Text fields made from the system's EDIT class: the single-line edit and the memo.

#include "WinControl.h"

#include <string>
#include <vector>

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

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
template <> struct TEnumNames<TScrollStyle> {
    static constexpr const char* Names[] = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
    static constexpr size_t Count = 4;
};

// A multi-line text field; Enter starts a new line.
class TMemo : public TEdit {
  public:
    explicit TMemo(TComponent* owner);
    const char* ClassName() const override { return "TMemo"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // The lines as the field holds them now.
    std::vector<std::string> Lines() const;
    void SetLines(const std::vector<std::string>& lines);

  protected:
    void CreateParams(TCreateParams& params) override;

  private:
    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = true;
};
