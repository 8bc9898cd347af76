#include "Menus.h"

#include "Application.h"
#include "Control.h"
#include "Form.h"
#include "Handles.h"
#include "SysUtils.h"

#include <algorithm>
#include <map>

namespace {
std::map<WORD, TMenuItem*>& Commands() {
    static std::map<WORD, TMenuItem*> commands;
    return commands;
}

WORD NextCommand() {
    static WORD next = 100;
    auto& commands = Commands();
    for (int tries = 0; tries < 0xFF00; ++tries) {
        WORD candidate = next++;
        if (next >= 0xF000) // above: system commands
            next = 100;
        if (!commands.count(candidate))
            return candidate;
    }
    throw Exception("Too many menu items");
}

// The menu item of a measured or drawn entry travels in its item data.
TMenuItem* ItemFromData(ULONG_PTR data) {
    auto* item = reinterpret_cast<TMenuItem*>(data);
    for (auto& entry : Commands())
        if (entry.second == item)
            return item;
    return nullptr;
}
} // namespace

// ---- TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {
    command_ = NextCommand();
    Commands()[command_] = this;
}

TMenuItem::~TMenuItem() {
    Commands().erase(command_);
    while (!items_.empty()) {
        TMenuItem* child = items_.back();
        items_.pop_back();
        child->parentItem_ = nullptr;
        if (!child->Owner())
            TComponent::Free(child);
    }
    if (parentItem_)
        parentItem_->Remove(this);
}

const TPropertyInfo* TMenuItem::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TMenuItem::Caption, &TMenuItem::SetCaption>("Caption"),
        Prop<&TMenuItem::Checked, &TMenuItem::SetChecked>("Checked"),
        Prop<&TMenuItem::Enabled, &TMenuItem::SetEnabled>("Enabled"),
        Prop<&TMenuItem::Visible, &TMenuItem::SetVisible>("Visible"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TComponent::FindProperty(name);
}

TMenu* TMenuItem::Menu() const {
    const TMenuItem* item = this;
    while (item->parentItem_)
        item = item->parentItem_;
    return item->menu_;
}

void TMenuItem::Changed() {
    if (TMenu* menu = Menu())
        menu->MenuChanged();
}

void TMenuItem::SetCaption(const std::string& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    Changed();
}

void TMenuItem::SetChecked(bool checked) {
    if (checked == checked_)
        return;
    checked_ = checked;
    // A radio item switches the others of its group off.
    if (checked && radioItem_ && parentItem_)
        for (TMenuItem* sibling : parentItem_->items_)
            if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_)
                sibling->checked_ = false;
    Changed();
}

void TMenuItem::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Changed();
}

void TMenuItem::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    Changed();
}

void TMenuItem::SetRadioItem(bool value) {
    if (value == radioItem_)
        return;
    radioItem_ = value;
    Changed();
}

void TMenuItem::SetImageIndex(int value) {
    if (value == imageIndex_)
        return;
    imageIndex_ = value;
    Changed();
}

void TMenuItem::SetDefault(bool value) {
    if (value == default_)
        return;
    default_ = value;
    Changed();
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (item->parentItem_)
        throw Exception("Menu item is already in a menu");
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parentItem_ = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end())
        return;
    items_.erase(it);
    item->parentItem_ = nullptr;
    Changed();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Click() {
    if (!enabled_)
        return;
    if (autoCheck_)
        SetChecked(!checked_);
    if (OnClick)
        OnClick(this);
}

void TMenuItem::AppendTo(HMENU menu, bool ownerDraw) const {
    for (TMenuItem* item : items_) {
        if (!item->visible_)
            continue;
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_STRING;
        info.fType = item->IsLine() ? MFT_SEPARATOR : MFT_STRING;
        if (ownerDraw)
            info.fType |= MFT_OWNERDRAW;
        if (item->radioItem_)
            info.fType |= MFT_RADIOCHECK;
        info.fState = (item->checked_ ? MFS_CHECKED : 0u) | (item->enabled_ ? 0u : MFS_GRAYED) |
                      (item->default_ ? MFS_DEFAULT : 0u);
        info.wID = item->command_;
        info.dwItemData = reinterpret_cast<ULONG_PTR>(item);
        info.dwTypeData = const_cast<char*>(item->caption_.c_str());
        if (!item->items_.empty()) {
            HMENU sub = CreatePopupMenu();
            item->AppendTo(sub, ownerDraw);
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = sub;
        }
        InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &info);
    }
}

TMenuItem* TMenuItem::FindByCommand(WORD command) {
    auto& commands = Commands();
    auto it = commands.find(command);
    return it == commands.end() ? nullptr : it->second;
}

// ---- TMenu

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {
    items_->menu_ = this;
}

TMenu::~TMenu() {
    // Items the menu owns go with it after this, and leave their parents as they go: they must
    // find no menu to tell by then.
    items_->menu_ = nullptr;
}

HMENU TMenu::Handle() {
    if (!handle_) {
        handle_.Reset(CreatePopupMenu());
        items_->AppendTo(handle_.Get(), ownerDraw_);
    }
    return handle_.Get();
}

void TMenu::SetOwnerDraw(bool value) {
    if (value == ownerDraw_)
        return;
    ownerDraw_ = value;
    MenuChanged();
}

void TMenu::MenuChanged() {
    InvalidateHandle();
}

void TMenu::SetImages(TImageList* images) {
    if (images == images_)
        return;
    images_ = images;
    MenuChanged();
}

// ---- TPopupMenu

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

HMENU TPopupMenu::Handle() {
    return TMenu::Handle();
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup)
        OnPopup(this);
    // Every change to an item rebuilds the menu (see Changed): an unchanged one is shown as it
    // was, with the item sizes the system measured before.
    HMENU menu = Handle();
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, PopupListWindow(), nullptr);
}

// ---- TMainMenu

HMENU TMainMenu::Handle() {
    if (!handle_) {
        handle_.Reset(CreateMenu());
        Items().AppendTo(handle_.Get(), ownerDraw_);
    }
    return handle_.Get();
}

void TMainMenu::MenuChanged() {
    bool hadHandle = static_cast<bool>(handle_);
    auto* form = dynamic_cast<TCustomForm*>(Owner());
    if (hadHandle && form && form->WindowHandle() && form->Menu() == this) {
        // The window shows the old menu until it gets the new one.
        ::SetMenu(form->WindowHandle(), nullptr);
        InvalidateHandle();
        ::SetMenu(form->WindowHandle(), Handle());
        form->Perform(CM_MENUCHANGED);
        return;
    }
    InvalidateHandle();
}

// ---- dispatch

bool DispatchMenuCommand(WORD command) {
    TMenuItem* item = TMenuItem::FindByCommand(command);
    if (!item)
        return false;
    item->Click();
    return true;
}

bool DispatchMenuOwnerDraw(TMessage& message) {
    if (message.Msg == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        TMenuItem* item = ItemFromData(measure->itemData);
        if (!item)
            return false;
        // Text is measured on a memory DC: it has the screen's metrics without the cost of a
        // screen DC (whose font selection goes through the display driver).
        TCanvas canvas;
        TMemoryDC dc(CreateCompatibleDC(nullptr));
        canvas.SetHandle(dc.Get());
        int width = 0, height = GetSystemMetrics(SM_CYMENU);
        if (item->OnMeasureItem)
            item->OnMeasureItem(item, canvas, width, height);
        else
            width = canvas.TextWidth(item->Caption()) + 24;
        canvas.SetHandle(nullptr);
        measure->itemWidth = static_cast<UINT>(width);
        measure->itemHeight = static_cast<UINT>(height);
        message.Result = 1;
        return true;
    }
    if (message.Msg == WM_DRAWITEM) {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
        TMenuItem* item = ItemFromData(draw->itemData);
        if (!item)
            return false;
        TCanvas canvas;
        canvas.SetHandle(draw->hDC);
        bool selected = (draw->itemState & ODS_SELECTED) != 0;
        if (item->OnDrawItem) {
            item->OnDrawItem(item, canvas, draw->rcItem, selected);
        } else {
            canvas.Brush().SetColor(selected ? clHighlight : clMenu);
            canvas.FillRect(draw->rcItem);
            canvas.Font().SetColor(selected ? clHighlightText : clMenuText);
            RECT text = draw->rcItem;
            text.left += 20;
            canvas.Brush().SetStyle(bsClear);
            canvas.DrawText(item->Caption().c_str(), -1, text, DT_SINGLELINE | DT_VCENTER);
        }
        canvas.SetHandle(nullptr);
        message.Result = 1;
        return true;
    }
    return false;
}

namespace {
LRESULT CALLBACK PopupListProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wParam) == 0 && DispatchMenuCommand(LOWORD(wParam)))
                return 0;
            break;
        case WM_DRAWITEM:
        case WM_MEASUREITEM: {
            TMessage message{msg, wParam, lParam, 0};
            if (DispatchMenuOwnerDraw(message))
                return message.Result;
            break;
        }
        default:
            break;
        }
    } catch (...) {
        HandleCurrentException(PaintingMessage(msg));
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}
} // namespace

HWND PopupListWindow() {
    static HWND window = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PopupListProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TPUtilWindow";
        RegisterClassA(&wc);
        return CreateWindowExA(WS_EX_TOOLWINDOW, "TPUtilWindow", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               wc.hInstance, nullptr);
    }();
    return window;
}
