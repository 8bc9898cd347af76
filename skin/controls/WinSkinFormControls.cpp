// Control discovery: which adapter each control of a skinned window gets. The decisions are the
// plain rules of ControlDiscoveryRules; this part gathers the facts from the toolkit's controls
// and the window system, and carries the decisions out.

#include "WinSkinForm.h"

#include "Buttons.h"
#include "ComCtrls.h"
#include "ControlDiscoveryRules.h"
#include "Edit.h"
#include "Form.h"
#include "GlyphButtons.h"
#include "GroupBox.h"
#include "ListControls.h"
#include "Menus.h"
#include "Panel.h"
#include "SkinPropertyNames.h"
#include "SysUtils.h"
#include "ToolBar.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinMenuPaint.h"
#include "WinSubClass.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// The toolkit families a control belongs to.
TControlKinds KindsOf(TControl& control) {
    TControlKinds kinds = 0;
    const auto add = [&kinds](bool member, TControlKind kind) {
        if (member)
            kinds |= KindBit(kind);
    };
    add(dynamic_cast<TCheckBox*>(&control) != nullptr, ckCheckBox);
    add(dynamic_cast<TRadioButton*>(&control) != nullptr, ckRadioButton);
    add(dynamic_cast<TButton*>(&control) != nullptr, ckPushButton);
    add(dynamic_cast<TCustomPanel*>(&control) != nullptr, ckPanel);
    add(dynamic_cast<TEdit*>(&control) != nullptr, ckEdit);
    add(dynamic_cast<TCustomListBox*>(&control) != nullptr, ckListBox);
    add(dynamic_cast<TCustomComboBox*>(&control) != nullptr, ckComboBox);
    add(dynamic_cast<TCustomForm*>(&control) != nullptr, ckForm);
    // The tab control's tabs are plain tabs of the family that may draw them as buttons.
    const bool tabs = dynamic_cast<TTabControl*>(&control) != nullptr;
    add(tabs, ckTabControl);
    add(tabs, ckTabButtons);
    add(tabs, ckPlainTabs);
    add(dynamic_cast<TRadioGroup*>(&control) != nullptr, ckRadioGroup);
    add(dynamic_cast<TCustomGroupBox*>(&control) != nullptr && !dynamic_cast<TRadioGroup*>(&control),
        ckGroupBox);
    add(dynamic_cast<TTrackBar*>(&control) != nullptr, ckTrackBar);
    add(dynamic_cast<TToolBar*>(&control) != nullptr, ckToolBar);
    add(dynamic_cast<TCoolBar*>(&control) != nullptr, ckBandContainer);
    add(dynamic_cast<TStatusBar*>(&control) != nullptr, ckStatusBar);
    add(dynamic_cast<TProgressBar*>(&control) != nullptr, ckProgress);
    add(dynamic_cast<TScrollBar*>(&control) != nullptr, ckScrollBar);
    add(dynamic_cast<TListView*>(&control) != nullptr, ckListView);
    add(dynamic_cast<TBitBtn*>(&control) != nullptr, ckBitBtn);
    add(dynamic_cast<TSpeedButton*>(&control) != nullptr, ckSpeedButton);
    if (auto* picker = dynamic_cast<TDateTimePicker*>(&control)) {
        add(true, ckDateTimePicker);
        // A time, or a date stepped by arrows: no drop-down, an edit with a border.
        add(picker->Kind() == dtkTime || picker->DateMode() == dmUpDown, ckDateTimeEditMode);
    }
    return kinds;
}

HWND WindowOf(TControl& control) {
    auto* windowed = dynamic_cast<TWinControl*>(&control);
    return windowed && windowed->HandleAllocated() ? windowed->WindowHandle() : nullptr;
}

bool AnswersSkinned(HWND window) {
    return window && SendMessageA(window, SKM_ISSKINNED, 0, 0) == 1;
}

bool HasBorder(HWND window) {
    RECT outer{}, client{};
    if (!window || !GetWindowRect(window, &outer) || !GetClientRect(window, &client))
        return false;
    return outer.right - outer.left != client.right || outer.bottom - outer.top != client.bottom;
}

} // namespace

void TWinSkinForm::SkinFormControls(TCustomForm* form) {
    if (!form || !skin_)
        return;
    // Adapters whose control went away since the last pass.
    PurgeAdapters();
    SkinComponents(form);
    // Windowed controls that other components own (made at run time, say) are reached through
    // the tab order, nested ones included.
    std::vector<TWinControl*> tabOrder;
    form->GetTabOrderList(tabOrder);
    for (TWinControl* control : tabOrder) {
        if (!control->HandleAllocated() || control->Tag() == skin_->DisableTag() ||
            AnswersSkinned(control->WindowHandle()))
            continue;
        SkinControl(control, form);
    }
}

void TWinSkinForm::SkinComponents(TComponent* container) {
    if (!container)
        return;
    // A copy: skinning may make components (adapters) owned by the container's controls.
    const std::vector<TComponent*> components = container->Components();
    for (TComponent* component : components)
        if (auto* control = dynamic_cast<TControl*>(component))
            SkinControl(control, dynamic_cast<TControl*>(container));
}

void TWinSkinForm::SkinChildControls(TWinControl* parent) {
    if (!parent)
        return;
    std::vector<TControl*> children;
    for (int i = 0; i < parent->ControlCount(); ++i)
        children.push_back(parent->Controls(i));
    for (TControl* child : children)
        SkinControl(child, parent);
}

void TWinSkinForm::SkinControl(TControl* control, TControl* form) {
    if (!control || !skin_)
        return;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    // 1. The disabling tag; a group of buttons passes it on to its buttons.
    if (control->Tag() == skin_->DisableTag()) {
        if (windowed && windowed->ControlCount() > 0 && IsButtonGroupClass(control->ClassName()))
            for (int i = 0; i < windowed->ControlCount(); ++i)
                windowed->Controls(i)->SetTag(skin_->DisableTag());
        return;
    }
    // 2. Nothing to do for a control without a parent or one that is skinned already.
    if (!control->Parent() || AnswersSkinned(WindowOf(*control)) ||
        ServedByAdapter(control, WindowOf(*control)))
        return;
    // 3. The rules compare the upper-case class name; a windowed control needs its window.
    const std::string className = UpperAscii(control->ClassName());
    if (windowed && !windowed->HandleAllocated()) {
        try {
            windowed->HandleNeeded();
        } catch (...) {
            TraceSwallowed("TWinSkinForm::SkinControl");
            return;
        }
        if (!windowed->HandleAllocated())
            return;
    }
    // 4. The application's own adapter.
    if (skin_->OnSkinControl) {
        TComponent* supplied = nullptr;
        skin_->OnSkinControl(this, skin_, form, control, className, supplied);
        if (supplied) {
            AttachSupplied(supplied);
            if (dynamic_cast<TCustomPanel*>(control))
                SkinChildControls(windowed);
            return;
        }
    }
    // 5. and 6. The Skin3rd list, then the classes never skinned.
    if (ApplySkin3rd(className, control) || IsExcludedClass(className))
        return;
    // 7. The built-in rules.
    TControlFacts facts;
    facts.ClassName = className;
    facts.Kinds = KindsOf(*control);
    facts.Windowed = windowed != nullptr;
    facts.Style =
        windowed ? static_cast<std::uint32_t>(GetWindowLongA(windowed->WindowHandle(), GWL_STYLE)) : 0;
    facts.Gates = skin_->SkinControls();
    facts.SkinHasTabs = skin_->Tabs() != nullptr;
    facts.FrameMenuSkinning = skin_->Skins(xcMainMenu);
    std::string text;
    if (control->GetPropText(SkinProperty::Style, text))
        facts.TabsStyle = text == "tsTabs";
    if (control->GetPropText(SkinProperty::NumButtons, text))
        facts.NumButtons = std::atoi(text.c_str());
    CarryOut(BuiltInDecision(facts), control);
}

bool TWinSkinForm::ApplySkin3rd(const std::string& upperClassName, TControl* control) {
    if (!skin_ || !control)
        return false;
    const auto kind = LookupSkin3rd(skin_->Skin3rd().Lines(), upperClassName);
    if (!kind)
        return false;
    TSkin3rdFacts facts;
    facts.ClassName = upperClassName;
    facts.Gates = skin_->SkinControls();
    facts.SkinHasTabs = skin_->Tabs() != nullptr;
    facts.HasBorder = HasBorder(WindowOf(*control));
    std::string text;
    facts.DropDownKind = control->GetPropText(SkinProperty::Kind, text) && text == "cxbkDropDownButton";
    const TDiscoveryDecision decision = Skin3rdDecision(*kind, facts);
    if (decision.EmbeddedScrollbars) {
        if (auto* windowed = dynamic_cast<TWinControl*>(control))
            for (int i = 0; i < windowed->ControlCount(); ++i) {
                TControl* child = windowed->Controls(i);
                TControlFacts childFacts;
                childFacts.Kinds = KindsOf(*child);
                childFacts.Windowed = WindowOf(*child) != nullptr;
                childFacts.Style =
                    childFacts.Windowed
                        ? static_cast<std::uint32_t>(GetWindowLongA(WindowOf(*child), GWL_STYLE))
                        : 0;
                if (childFacts.Kinds & KindBit(ckScrollBar))
                    AttachAdapter(acScControl, false, child, nullptr);
                else if (PassesScrollbarTest(childFacts))
                    AttachAdapter(acScrollbar, false, child, nullptr);
            }
        return true;
    }
    CarryOut(decision, control);
    return true;
}

void TWinSkinForm::CarryOut(const TDiscoveryDecision& decision, TControl* control) {
    if (!decision.Matched)
        return;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    const auto pass = [&](TChildPass what) {
        if (what == cpChildControls)
            SkinChildControls(windowed);
        else if (what == cpComponents)
            SkinComponents(control);
    };
    pass(decision.Before);
    if (decision.ChildAdapter != acNone && windowed) {
        std::vector<TControl*> children;
        for (int i = 0; i < windowed->ControlCount(); ++i)
            children.push_back(windowed->Controls(i));
        for (TControl* child : children)
            AttachAdapter(decision.ChildAdapter, decision.ChildSkinColour, child, nullptr,
                          decision.ChildMode);
    }
    if (!decision.Property.empty() && decision.Adapter != acNone)
        control->SetPropText(decision.Property, decision.PropertyValue);
    // A cool bar's bands take the skin's colour; a tool bar gets the painters and its drop-down
    // menus drawn by the skin. No control of this toolkit has a drop-down menu of its own.
    if (decision.BandColours)
        if (auto* coolBar = dynamic_cast<TCoolBar*>(control))
            for (int i = 0; i < coolBar->BandCount(); ++i)
                coolBar->SetBandColor(i, skin_->Colour(scButtonFace));
    if (decision.ToolbarPainters)
        if (auto* toolbar = dynamic_cast<TToolBar*>(control))
            HookToolbar(toolbar, decision.MenuItems);
    if (decision.Adapter != acNone) {
        TSkinControl* adapter = AttachAdapter(
            decision.Adapter, decision.SkinColour, decision.AttachByWindow ? nullptr : control,
            decision.AttachByWindow ? WindowOf(*control) : nullptr, decision.Mode, decision.Extended);
        if (auto* glyphButton = dynamic_cast<TSkinBitButton*>(adapter);
            glyphButton && !decision.GlyphProperty.empty()) {
            glyphButton->SetGlyphProperty(decision.GlyphProperty);
            glyphButton->Repaint();
        }
    }
    if (decision.ChildrenThroughRules && windowed)
        SkinChildControls(windowed);
    pass(decision.After);
}

void TWinSkinForm::SkinChildWindows(HWND window) {
    if (!window)
        return;
    // The list first: skinning a child may add windows (a combo box's list, a size grip).
    std::vector<HWND> children;
    for (HWND child = GetTopWindow(window); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetWindowLongA(child, GWL_STYLE) & WS_CHILD)
            children.push_back(child);
    for (HWND child : children)
        if (IsWindow(child))
            SkinWindowByClass(child);
}

void TWinSkinForm::SkinWindowByClass(HWND window) {
    // A window that an adapter of another frame already serves gets no second one: two adapters
    // on one window would each take the other's messages for the control's.
    if (!window || !skin_ || ServedByAdapter(nullptr, window) || AnswersSkinned(window))
        return;
    const std::string className = WindowClassName(window);
    const auto style = static_cast<std::uint32_t>(GetWindowLongA(window, GWL_STYLE));
    const TDiscoveryDecision decision = WindowClassDecision(className, style, skin_->SkinControls());
    if (!decision.Matched)
        return;
    if (decision.ChildWindowsFirst)
        SkinChildWindows(window);
    if (decision.ControlColour)
        if (TWinControl* control = FindControl(window))
            control->SetColor(skin_->Colour(scButtonFace));
    if (decision.Adapter == acNone)
        return;
    HWND target = decision.FirstChildWindow ? GetWindow(window, GW_CHILD) : window;
    if (target)
        AttachAdapter(decision.Adapter, decision.SkinColour, nullptr, target, decision.Mode,
                      decision.Extended);
}

// ---- Tool bars

void TWinSkinForm::HookToolbar(TToolBar* toolbar, bool menuItems) {
    if (std::find(toolbars_.begin(), toolbars_.end(), toolbar) != toolbars_.end())
        return;
    toolbars_.push_back(toolbar);
    toolbar->FreeNotification(this);
    if (!toolbar->OnCustomDraw)
        toolbar->OnCustomDraw = Bind<&TWinSkinForm::PaintToolbarBackground>(this);
    if (!toolbar->OnCustomDrawButton)
        toolbar->OnCustomDrawButton = Bind<&TWinSkinForm::PaintToolbarButton>(this);
    if (menuItems)
        for (int i = 0; i < toolbar->ButtonCount(); ++i)
            if (TPopupMenu* menu = toolbar->Button(i).DropdownMenu;
                menu && menu->TagInt() != skin_->DisableTag())
                SetPopupMenuOwnerDraw(*menu, skin_, true);
    toolbar->Invalidate();
}

void TWinSkinForm::ReleaseToolbars() {
    const std::vector<TToolBar*> toolbars = std::move(toolbars_);
    toolbars_.clear();
    for (TToolBar* toolbar : toolbars) {
        toolbar->RemoveFreeNotification(this);
        if (toolbar->OnCustomDraw == Bind<&TWinSkinForm::PaintToolbarBackground>(this))
            toolbar->OnCustomDraw = nullptr;
        if (toolbar->OnCustomDrawButton == Bind<&TWinSkinForm::PaintToolbarButton>(this))
            toolbar->OnCustomDrawButton = nullptr;
        for (int i = 0; skin_ && i < toolbar->ButtonCount(); ++i)
            if (TPopupMenu* menu = toolbar->Button(i).DropdownMenu)
                SetPopupMenuOwnerDraw(*menu, skin_, false);
        if (frameState_ != fsClosing)
            toolbar->Invalidate();
    }
}

void TWinSkinForm::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove)
        std::erase(toolbars_, component);
}

// ---- The adapters

bool TWinSkinForm::ServedByAdapter(TControl* control, HWND window) const {
    for (TSkinControl* adapter : adapters_)
        if (adapter->State() != asDestroyed &&
            ((control && adapter->Control() == control) || (window && adapter->Handle() == window)))
            return true;
    return false;
}

void TWinSkinForm::AttachSupplied(TComponent* supplied) {
    // Anything else the handler returned only ends the rules for this control.
    auto* adapter = dynamic_cast<TSkinControl*>(supplied);
    if (!adapter || RegisterAdapter(adapter))
        return;
    // The adapter hooks its owner, which the handler made it for.
    adapter->AttachControl(this, skin_, adapter->UseSkinColour(), AdapterCanvas());
}

TSkinControl* TWinSkinForm::AttachAdapter(TAdapterClass adapterClass, bool skinColour, TControl* control,
                                          HWND window, int mode, bool extended) {
    // A program control owns its adapter; the frame owns those of bare windows.
    TComponent* owner = control ? static_cast<TComponent*>(control) : static_cast<TComponent*>(this);
    TSkinControl* adapter = nullptr;
    switch (adapterClass) {
    case acButton:
        adapter = new TSkinButton(owner);
        break;
    case acCheckBox:
        adapter = new TSkinCheckBox(owner);
        break;
    case acRadioButton:
        adapter = new TSkinRadioButton(owner);
        break;
    case acBox:
        adapter = new TSkinBox(owner);
        break;
    case acBoxH:
        adapter = new TSkinBoxH(owner);
        break;
    case acGroupBox:
        adapter = new TSkinGroupBox(owner);
        break;
    case acSizer:
        adapter = new TSkinSizer(owner);
        break;
    case acProgress:
        adapter = new TSkinProgress(owner);
        break;
    case acStatusBar:
        adapter = new TSkinStatusBar(owner);
        break;
    case acUpDown:
        adapter = new TSkinUpDown(owner);
        break;
    case acTrackBar:
        adapter = new TSkinTrackBar(owner);
        break;
    case acBitButton:
        adapter = new TSkinBitButton(owner);
        break;
    case acSpeedButton:
        adapter = new TSkinSpeedButton(owner);
        break;
    case acMenuButton:
        adapter = new TSkinMenuButton(owner);
        break;
    case acComBox: {
        auto* combo = new TSkinComBox(owner);
        combo->SetExtended(extended);
        adapter = combo;
        break;
    }
    case acEdit:
        adapter = new TSkinEdit(owner);
        break;
    case acDateTime:
        adapter = new TSkinDateTime(owner);
        break;
    case acTab: {
        auto* tab = new TSkinTab(owner);
        tab->SetMember(mode == TabOtherMode ? TTabMember::tmOtherMember : TTabMember::tmTabControl);
        adapter = tab;
        break;
    }
    case acTabBtn:
        adapter = new TSkinTabBtn(owner);
        break;
    case acTab31:
        adapter = new TSkinTab31(owner);
        break;
    case acTabSheet:
        adapter = new TSkinTabSheet(owner);
        break;
    case acHeader:
        adapter = new TSkinHeader(owner);
        break;
    case acScrollbar:
    case acListView:
    case acScControl: {
        // Scroll bars attach through entries of their own; a bare window gets overlays by handle.
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (!windowed) {
            adapter = new TSkinScrollbarH(owner);
            break;
        }
        if (adapterClass == acScControl) {
            auto* bar = new TSkinScControl(owner);
            bar->AttachScControl(windowed, skin_, this, AdapterCanvas());
            adapter = bar;
        } else {
            auto* scroll = adapterClass == acListView ? new TSkinListView(owner) : new TSkinScrollbar(owner);
            scroll->SetBorder(mode == ScrollbarSingleMode ? TScrollBorder::sbNone : TScrollBorder::sbFlat);
            scroll->AttachScrollbar(windowed, skin_, this, AdapterCanvas());
            adapter = scroll;
        }
        if (!adapter->Attached()) {
            TComponent::Free(adapter);
            return nullptr;
        }
        return adapter;
    }
    case acMP:
        adapter = new TSkinMP(owner);
        break;
    case acObjImage:
        adapter = new TSkinObjImage(owner, mode);
        break;
    case acAdvPage:
        adapter = new TSkinAdvPage(owner);
        break;
    default:
        return nullptr;
    }
    if (control)
        adapter->AttachControl(this, skin_, skinColour, AdapterCanvas());
    else
        adapter->AttachWindow(window, skin_, this, AdapterCanvas());
    if (!adapter->Attached()) {
        TComponent::Free(adapter);
        return nullptr;
    }
    return adapter;
}
