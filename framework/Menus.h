#pragma once
// Menus: items with captions, ticks, groups and owner-draw events; popup
// menus opened on controls and main menus on forms.

#include "Component.h"
#include "Graphics.h"
#include "Handles.h"
#include "Messages.h"

#include <windows.h>

#include <string>
#include <vector>

class TMenu;
class TControl;
class TImageList;

using TMenuDrawItemEvent = TMethod<void(TObject* sender, TCanvas& canvas, RECT rect, bool selected)>;
using TMenuMeasureItemEvent = TMethod<void(TObject* sender, TCanvas& canvas, int& width, int& height)>;

class TMenuItem : public TComponent {
  public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;
    const char* ClassName() const override { return "TMenuItem"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool IsLine() const { return caption_ == "-"; }
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool value) { autoCheck_ = value; }
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value) { groupIndex_ = value; }
    bool Default() const { return default_; }
    void SetDefault(bool value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);

    // Sub-items.
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
    TMenuItem* operator[](int index) const { return Items(index); }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* ParentItem() const { return parentItem_; }
    TMenu* Menu() const;

    // The command number the system reports when the item is chosen.
    WORD Command() const { return command_; }
    // The item as the user chooses it: AutoCheck toggles, then OnClick.
    virtual void Click();

    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;

    // Fills a system menu with the visible sub-items.
    void AppendTo(HMENU menu, bool ownerDraw) const;
    static TMenuItem* FindByCommand(WORD command);

  private:
    void Changed();

    std::string caption_;
    bool checked_ = false, enabled_ = true, visible_ = true, autoCheck_ = false, radioItem_ = false;
    bool default_ = false;
    int groupIndex_ = 0;
    int imageIndex_ = -1;
    std::vector<TMenuItem*> items_;
    TMenuItem* parentItem_ = nullptr;
    TMenu* menu_ = nullptr;
    WORD command_ = 0;
    friend class TMenu;
};

class TMenu : public TComponent {
  public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;
    const char* ClassName() const override { return "TMenu"; }
    TMenuItem& Items() { return *items_; }
    const TMenuItem& Items() const { return *items_; }
    // The system menu built from the items (built again after changes).
    virtual HMENU Handle();
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool value);
    // Captions show exactly as given when off (no letters are added).
    bool AutoHotkeys() const { return false; }
    virtual void MenuChanged();
    // The pictures the items' ImageIndex picks from (not owned; null for none).
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);

  protected:
    void InvalidateHandle() { handle_.Reset(); }
    TOwnedMenu handle_;
    bool ownerDraw_ = false;

  private:
    TMenuItem* items_;
    TImageList* images_ = nullptr;
};

class TPopupMenu : public TMenu {
  public:
    explicit TPopupMenu(TComponent* owner);
    const char* ClassName() const override { return "TPopupMenu"; }
    HMENU Handle() override;
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool value) { autoPopup_ = value; }
    TControl* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TControl* control) { popupComponent_ = control; }
    // Shows the menu at a screen point; a chosen item's click follows once
    // the menu has closed.
    virtual void Popup(int x, int y);
    TNotifyEvent OnPopup;

  private:
    bool autoPopup_ = true;
    TControl* popupComponent_ = nullptr;
};

class TMainMenu : public TMenu {
  public:
    using TMenu::TMenu;
    const char* ClassName() const override { return "TMainMenu"; }
    HMENU Handle() override;
    void MenuChanged() override;
};

// The window that owns popup menus while they are tracked.
HWND PopupListWindow();
// Runs the click of the item with that command; false when there is none.
bool DispatchMenuCommand(WORD command);
// WM_DRAWITEM / WM_MEASUREITEM of owner-drawn items; false when not ours.
bool DispatchMenuOwnerDraw(TMessage& message);
