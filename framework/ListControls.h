#pragma once
// List boxes and combo boxes, made from the system's LISTBOX and COMBOBOX
// classes under their own class names ("TListBox", "TComboBox", or the name
// of a descendant). The items live in a TStringList that the control keeps in
// step with its window, so the list can be filled before the window exists
// and survives the window being made again. Owner-drawn styles paint through
// the reflected CN_DRAWITEM / CN_MEASUREITEM on a canvas the control lends
// to its drawing events.

#include "StringList.h"
#include "WinControl.h"

#include <memory>
#include <string>
#include <vector>

// Bit values as the system's ODS_* flags, so the state passes through unchanged.
enum TOwnerDrawStateFlag : unsigned {
    odSelected = 0x0001,
    odGrayed = 0x0002,
    odDisabled = 0x0004,
    odChecked = 0x0008,
    odFocused = 0x0010,
    odDefault = 0x0020,
    odHotLight = 0x0040,
    odInactive = 0x0080,
    odNoAccel = 0x0100,
    odNoFocusRect = 0x0200,
    odComboBoxEdit = 0x1000,
};
using TOwnerDrawState = unsigned;

using TDrawItemEvent =
    TMethod<void(TWinControl* control, int index, const RECT& rect, TOwnerDrawState state)>;
using TMeasureItemEvent = TMethod<void(TWinControl* control, int index, int& height)>;

// lbVirtual: owner-drawn at one height, the lines kept in Items only (the
// window holds just their number), for lists of many thousand lines; typing
// a letter selects the next line that begins with it.
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual };
template <> struct TEnumNames<TListBoxStyle> {
    static constexpr const char* Names[] = {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable",
                                            "lbVirtual"};
    static constexpr size_t Count = 4;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
template <> struct TEnumNames<TComboBoxStyle> {
    static constexpr const char* Names[] = {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed",
                                            "csOwnerDrawVariable"};
    static constexpr size_t Count = 5;
};

namespace list_detail {
class TItemsMirror;
}

// ---- list boxes

class TCustomListBox : public TWinControl {
  public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;
    const char* ClassName() const override { return "TCustomListBox"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    // The lines shown. Any change reaches the window at once; bracket bulk
    // changes with BeginUpdate/EndUpdate so the window is filled once.
    TStringList& Items() { return items_; }
    const TStringList& Items() const { return items_; }
    int Count() const { return items_.Count(); }
    void Clear() { items_.Clear(); }

    // The selected line, -1 for none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    int TopIndex() const;
    void SetTopIndex(int index);

    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle style);
    // Height of a line (of every line unless lbOwnerDrawVariable).
    int ItemHeight() const;
    void SetItemHeight(int height);
    // The window's height is cut down to a whole number of lines.
    bool IntegralHeight() const { return integralHeight_; }
    void SetIntegralHeight(bool value);
    // Lines are kept in alphabetical order, case ignored.
    bool Sorted() const { return items_.Sorted(); }
    void SetSorted(bool value);

    // The line at a client point (-1 when there is none there).
    int ItemAtPos(POINT point) const;
    RECT ItemRect(int index) const;

    // The canvas that OnDrawItem draws on; valid during drawing only.
    TCanvas& Canvas() { return canvas_; }

    void SetBounds(int left, int top, int width, int height) override;
    void WndProc(TMessage& message) override;

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;
    void DestroyWnd() override;
    void FontChanged() override;
    void HandleMouse(TMessage& message) override;
    void KeyPress(char& key) override;
    // Draws one line; the default fills the rectangle and writes the text.
    virtual void DrawItem(int index, const RECT& rect, TOwnerDrawState state);
    virtual void MeasureItem(int index, int& height);
    bool IsOwnerDraw() const { return style_ != lbStandard; }

  private:
    void ItemsChanged(TObject* sender);
    void ApplyItemHeight();
    int IntegralHeightFor(int height) const;
    void DrawItemMessage(const DRAWITEMSTRUCT& draw);
    bool SelectByLetter(char letter);

    TStringList items_;
    std::unique_ptr<list_detail::TItemsMirror> mirror_;
    TCanvas canvas_;
    TListBoxStyle style_ = lbStandard;
    int itemHeight_ = 16;
    bool integralHeight_ = false;
    int itemIndex_ = -1; // kept while there is no window
    int requestedHeight_ = -1;
};

class TListBox : public TCustomListBox {
  public:
    using TCustomListBox::TCustomListBox;
    const char* ClassName() const override { return "TListBox"; }
};

// ---- combo boxes

class TCustomComboBox : public TWinControl {
  public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;
    const char* ClassName() const override { return "TCustomComboBox"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    TStringList& Items() { return items_; }
    const TStringList& Items() const { return items_; }
    void Clear() { items_.Clear(); }

    int ItemIndex() const;
    void SetItemIndex(int index);
    // What the combo box shows: the typed text, or the selected line.
    std::string Text() const;
    void SetText(const std::string& text);

    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    // Height of the lines of the list.
    int ItemHeight() const;
    void SetItemHeight(int height);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int count);
    bool Sorted() const { return items_.Sorted(); }
    void SetSorted(bool value);
    bool DroppedDown() const;
    void SetDroppedDown(bool value);

    TCanvas& Canvas() { return canvas_; }

    void SetBounds(int left, int top, int width, int height) override;
    void WndProc(TMessage& message) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;
    void DestroyWnd() override;
    void FontChanged() override;
    virtual void DrawItem(int index, const RECT& rect, TOwnerDrawState state);
    virtual void MeasureItem(int index, int& height);
    virtual void Change();
    bool IsOwnerDraw() const { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
    bool HasEdit() const { return style_ == csDropDown || style_ == csSimple; }

  private:
    void ItemsChanged(TObject* sender);
    void ApplyHeights();
    void PlaceWindow(int left, int top, int width);
    void DrawItemMessage(const DRAWITEMSTRUCT& draw);

    TStringList items_;
    std::unique_ptr<list_detail::TItemsMirror> mirror_;
    TCanvas canvas_;
    TComboBoxStyle style_ = csDropDown;
    int itemHeight_ = 16;
    int dropDownCount_ = 8;
    int itemIndex_ = -1;
    int requestedHeight_ = -1;
};

class TComboBox : public TCustomComboBox {
  public:
    using TCustomComboBox::TCustomComboBox;
    const char* ClassName() const override { return "TComboBox"; }
};
