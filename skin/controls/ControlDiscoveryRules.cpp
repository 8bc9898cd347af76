#include "ControlDiscoveryRules.h"

#include "SkinPropertyNames.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace {

bool Has(TSkinControlTypes gates, TSkinControlType type) {
    return (gates & SkinControlBit(type)) != 0;
}

char LowerChar(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char UpperChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

TDiscoveryDecision Take(TAdapterClass adapter = acNone, bool skinColour = false, int mode = 0) {
    TDiscoveryDecision decision;
    decision.Matched = true;
    decision.Adapter = adapter;
    decision.SkinColour = skinColour;
    decision.Mode = mode;
    return decision;
}

TDiscoveryDecision Pass() {
    return TDiscoveryDecision{};
}

} // namespace

std::string LowerAscii(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), LowerChar);
    return result;
}

std::string UpperAscii(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), UpperChar);
    return result;
}

const char* AdapterClassName(TAdapterClass adapter) {
    static constexpr std::array<const char*, acSizer + 1> names{"",
                                                                "TSkinButton",
                                                                "TSkinCheckBox",
                                                                "TSkinRadioButton",
                                                                "TSkinBox",
                                                                "TSkinBoxH",
                                                                "TSkinGroupBox",
                                                                "TSkinComBox",
                                                                "TSkinEdit",
                                                                "TSkinDateTime",
                                                                "TSkinTrackBar",
                                                                "TSkinUpDown",
                                                                "TSkinMP",
                                                                "TSkinScrollbar",
                                                                "TSkinScControl",
                                                                "TSkinListView",
                                                                "TSkinTab",
                                                                "TSkinTabBtn",
                                                                "TSkinTab31",
                                                                "TSkinTabSheet",
                                                                "TSkinAdvPage",
                                                                "TSkinHeader",
                                                                "TSkinStatusBar",
                                                                "TSkinProgress",
                                                                "TSkinObjImage",
                                                                "TSkinBitButton",
                                                                "TSkinSpeedButton",
                                                                "TSkinMenuButton",
                                                                "TSkinSizer"};
    return adapter >= acNone && adapter <= acSizer ? names[adapter] : "";
}

// ---- Skin3rd

const std::vector<std::string>& DefaultSkin3rd() {
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> result;
        const auto add = [&result](const char* kind, std::initializer_list<const char*> classes) {
            for (const char* name : classes)
                result.push_back(std::string(name) + "=" + kind);
        };
        add("scrollbar",
            {"TCategoryButtons", "TVirtualStringTree", "TVirtualDrawTree", "TAdvPanelGroup", "THTMLViewer",
             "TDBCtrlGrid", "TImageEnMView", "TImageEnView", "TAdvMemo", "TDBAdvMemo"});
        add("pngspeedbutton", {"TPngSpeedbutton"});
        add("pngbitbtn", {"TPngBitBtn"});
        add("Panel", {"TTBXDockablePanel", "TControlBar", "TTBDock", "TTBToolbar", "TRzGroup"});
        add("panel",
            {"TLMDCalculator", "TLMDGROUPBOX", "TLMDSIMPLEPANEL", "TLMDDBCalendar", "TLMDButtonPanel",
             "TLMDLMDCalculator", "TLMDHeaderPanel", "TLMDTechnicalLine", "TLMDLMDClock", "TLMDTrackbar"});
        add("combobox",
            {"TComboboxex", "TcxDBLookupComboBox", "TcxDBComboBox", "TcxDBDateEdit", "TcxDBImageComboBox",
             "TcxDBCalcEdit", "TcxDBBlobEdit", "TcxDBPopupEdit", "TcxDBFontNameComboBox",
             "TcxDBShellComboBox", "TRxLookupEdit", "TRxDBLookupCombo", "TRzDateTimeEdit", "TRzColorEdit",
             "TRzDateTimePicker", "TRzDBDateTimeEdit", "TRzDbColorEdit", "TRzDBDateTimePicker"});
        add("Combobox", {"TLMDListCombobox",     "TLMDCheckListCombobox",  "TLMDHeaderListCombobox",
                         "TLMDImageCombobox",    "TLMDColorCombobox",      "TLMDFontCombobox",
                         "TLMDFontSizeCombobox", "TLMDFontSizeCombobox",   "TLMDPrinterCombobox",
                         "TLMDDriveCombobox",    "TLMDCalculatorComboBox", "TLMDTrackBarComboBox",
                         "TLMDCalendarComboBox", "TLMDTreeComboBox",       "TDBLookupCombobox",
                         "TWWDBCombobox",        "TWWDBCombobox",          "TWWDBLookupCombo",
                         "TWWKeyCombo",          "TWWTempKeyCombo",        "TWWDBDateTimePicker"});
        add("speedbutton", {"TRxSpeedButton", "TfrSpeedButton", "TfrTBButton"});
        add("button", {"TRzButton"});
        add("bitbtn", {"TRzBitbtn", "TLMDButton", "TcxButton"});
        add("menubtn", {"TRzMenuButton"});
        add("CheckGroup", {"TRzCheckGroup", "TLMDCheckGroup", "TLMDDBCheckGroup"});
        add("Radiogroup", {"TRzRadioGroup", "TRzDBRadioGroup", "TLMDRADIOGROUP", "TLMDDBRADIOGROUP"});
        add("radiogroup", {"TWWRADIOGROUP", "TcxDBRadioGroup", "TcxRadioGroup"});
        add("Edit", {"TRzButtonEdit", "TLMDCalculatorEdit", "TLMDEDIT", "TLMDMASKEDIT", "TLMDBROWSEEDIT",
                     "TLMDEXTSPINEDIT", "TLMDCALENDAREDIT", "TLMDFILEOPENEDIT", "TLMDFILESAVEEDIT",
                     "TLMDCOLOREDIT", "TLMDDBEDIT", "TLMDDBMASKEDIT", "TLMDDBEXTSPINEDIT", "TLMDDBSPINEDIT",
                     "TLMDDBEDITDBLookup", "TLMDEDITDBLookup", "TWWDBEDIT"});
        add("edit", {"TOVCPICTUREFIELD", "TOVCDBPICTUREFIELD", "TOVCSLIDEREDIT", "TOVCDBSLIDEREDIT",
                     "TOVCSIMPLEFIELD", "TOVCDBSIMPLEFIELD", "TO32DBFLEXEDIT", "TOVCNUMERICFIELD",
                     "TOVCDBNUMERICFIELD"});
        add("Radiobutton", {"TRzDBRadioButton", "TLMDRadiobutton"});
        add("Groupbox", {"TLMDGroupBox"});
        add("groupbox", {"TcxGroupbox"});
        add("Checkbox", {"TDBCheckboxEh", "TDBCheckboxEh", "TLMDCHECKBOX", "TLMDDBCHECKBOX"});
        return result;
    }();
    return lines;
}

std::optional<std::string> LookupSkin3rd(const std::vector<std::string>& lines, std::string_view className) {
    // Every control of every skinned window is looked up: compared in place, nothing allocated.
    const auto beginsWithKey = [className](const std::string& line) {
        if (line.size() <= className.size() || line[className.size()] != '=')
            return false;
        for (std::size_t i = 0; i < className.size(); ++i)
            if (LowerChar(line[i]) != LowerChar(className[i]))
                return false;
        return true;
    };
    for (const std::string& line : lines) {
        if (!beginsWithKey(line))
            continue;
        // The key holds the line's first "=" only when the class name has none; take the first one.
        const std::size_t equals = line.find('=');
        return LowerAscii(std::string_view(line).substr(equals + 1, 50));
    }
    return std::nullopt;
}

TDiscoveryDecision Skin3rdDecision(std::string_view kindText, const TSkin3rdFacts& facts) {
    const std::string kind = LowerAscii(kindText);
    const TSkinControlTypes gates = facts.Gates;
    const auto gated = [&](TSkinControlType gate, TAdapterClass adapter, bool skinColour = false,
                           int mode = 0) {
        return Has(gates, gate) ? Take(adapter, skinColour, mode) : Take();
    };
    const auto transparent = [](TDiscoveryDecision decision) {
        if (decision.Adapter != acNone) {
            decision.Property = SkinProperty::Transparent;
            decision.PropertyValue = "True";
        }
        return decision;
    };
    if (kind == "nil")
        return Take();
    if (kind == "combobox")
        return gated(xcCombo, acComBox);
    if (kind == "comboboxex") {
        TDiscoveryDecision decision = gated(xcCombo, acComBox);
        decision.Extended = decision.Adapter != acNone;
        return decision;
    }
    if (kind == "edit")
        return facts.HasBorder ? gated(xcEdit, acEdit) : Take();
    if (kind == "radiobutton")
        return gated(xcRadioButton, acRadioButton);
    if (kind == "panel")
        return transparent(gated(xcPanel, acBox, true));
    if (kind == "trackbar")
        return transparent(gated(xcButton, acTrackBar));
    if (kind == "button")
        return gated(xcButton, acButton);
    if (kind == "datetimepicker")
        return gated(xcCombo, acDateTime);
    if (kind == "mediaplayer")
        return gated(xcButton, acMP);
    if (kind == "bitbtn")
        return gated(xcButton,
                     facts.ClassName == "TCXBUTTON" && facts.DropDownKind ? acMenuButton : acBitButton);
    if (kind == "pngbitbtn" || kind == "pngspeedbutton") {
        TDiscoveryDecision decision = gated(xcButton, kind == "pngbitbtn" ? acBitButton : acSpeedButton);
        if (decision.Adapter != acNone)
            decision.GlyphProperty = SkinProperty::PngImage;
        return decision;
    }
    if (kind == "menubtn")
        return gated(xcButton, acMenuButton);
    if (kind == "speedbutton")
        return gated(xcSpeedButton, acSpeedButton);
    if (kind == "tab")
        return facts.SkinHasTabs ? gated(xcTab, acTab) : Take();
    if (kind == "progress")
        return gated(xcProgress, acProgress);
    if (kind == "scrollbar") {
        TDiscoveryDecision decision = gated(xcScrollbar, acScrollbar);
        if (decision.Adapter != acNone)
            decision.After = cpChildControls;
        return decision;
    }
    if (kind == "singlescrollbar")
        return gated(xcScrollbar, acScrollbar, false, ScrollbarSingleMode);
    if (kind == "embedscrollbar") {
        TDiscoveryDecision decision = Take();
        decision.EmbeddedScrollbars = Has(gates, xcScrollbar);
        return decision;
    }
    if (kind == "container") {
        TDiscoveryDecision decision = Take();
        decision.After = cpChildControls;
        return decision;
    }
    if (kind == "groupbox")
        return gated(xcGroupBox, acGroupBox, true);
    if (kind == "advpagecontrol")
        return gated(xcTab, acAdvPage, true);
    const bool foreignImages = facts.ClassName.find("TRZ") != std::string::npos;
    if (kind == "radiogroup") {
        if (!Has(gates, xcGroupBox))
            return Take();
        TDiscoveryDecision decision = Take(acGroupBox, true);
        if (Has(gates, xcRadioButton)) {
            decision.ChildAdapter = foreignImages ? acObjImage : acRadioButton;
            decision.ChildMode = foreignImages ? ObjImageRadioMode : 0;
            decision.ChildSkinColour = foreignImages;
        }
        return decision;
    }
    if (kind == "checkgroup") {
        if (!Has(gates, xcPanel))
            return Take();
        TDiscoveryDecision decision =
            Take(Has(gates, xcGroupBox) ? acGroupBox : acNone, Has(gates, xcGroupBox));
        if (Has(gates, xcRadioButton)) {
            decision.ChildAdapter = foreignImages ? acObjImage : acCheckBox;
            decision.ChildMode = foreignImages ? ObjImageCheckMode : 0;
            decision.ChildSkinColour = foreignImages;
        }
        return decision;
    }
    if (kind == "checkbox")
        return gated(xcCheckBox, acCheckBox);
    // A kind nobody knows (a misspelling): the control stays as it is.
    return Take();
}

// ---- The built-in rules

namespace {

enum TRowMatch { rmKind, rmNames, rmScrollTest };
enum TRowResult {
    rrAdapter,      // the row's adapter, mode and colour
    rrTabFamily,    // buttons, plain tabs or the other tab mode
    rrMenuItems,    // the control's own menu set up for skinned drawing
    rrBandColours,  // every band in the skin's colour
    rrChildrenOnly, // the children through the rules, nothing else
    rrTabStyle,     // by the Style property
    rrRadioGroup,   // radio buttons for the children, a group box for the group
    rrNavigator,    // a box, then every child through the rules
    rrGroupBox,     // the children first, then a group box
    rrToolBar,      // flat, painters, a box, its menu
    rrDateTime,     // picker or edit by mode
    rrBitBtn,       // matched whatever the gate; skinned only with xcBitBtn
    rrPanel,        // the children first, then a box
    rrFrame,        // the owned components through the rules
    rrEmbeddedForm, // a box, then the owned components
    rrDcEdit        // by the number of buttons
};

// A row matches by kind, by class name (Kind then unused) or by the scroll-bar test, and needs
// its gate (a SkinControls member, none when gate is -1), the skin's tabs, or the
// frame's own menu skinning.
struct TRule {
    TRowMatch Match;
    TControlKind Kind;
    std::array<const char*, 3> Names;
    int Gate;
    bool NeedsTabs;
    bool NeedsFrameMenus;
    TRowResult Result;
    TAdapterClass Adapter;
    int Mode;
    bool SkinColour;
};

constexpr int NoGate = -1;
constexpr std::array<const char*, 3> NoNames{nullptr, nullptr, nullptr};

// The rules in their order.
constexpr TRule Rules[] = {
    {rmKind, ckTabControl, NoNames, xcTab, true, false, rrTabFamily, acTab, 0, false},
    {rmKind, ckOwnDropDownMenu, NoNames, NoGate, false, true, rrMenuItems, acNone, 0, false},
    {rmKind, ckBandContainer, NoNames, xcToolbar, false, false, rrBandColours, acNone, 0, false},
    {rmNames, ckTabControl, {"TTABSET", nullptr, nullptr}, xcTab, true, false, rrAdapter, acTab31, 0, false},
    {rmKind, ckTabSheet, NoNames, xcTab, true, false, rrAdapter, acTabSheet, 0, false},
    {rmNames,
     ckTabControl,
     {"TTABBEDNOTEBOOK", nullptr, nullptr},
     xcTab,
     true,
     false,
     rrAdapter,
     acTab,
     0,
     false},
    {rmNames,
     ckPanel,
     {"TMVCPANEL", nullptr, nullptr},
     NoGate,
     false,
     false,
     rrChildrenOnly,
     acNone,
     0,
     false},
    {rmKind, ckStyledTabControl, NoNames, xcTab, true, false, rrTabStyle, acTab, 0, false},
    {rmKind, ckHeader, NoNames, xcPanel, false, false, rrAdapter, acHeader, 0, false},
    {rmKind, ckCheckBox, NoNames, xcCheckBox, false, false, rrAdapter, acCheckBox, 0, false},
    {rmKind, ckTrackBar, NoNames, xcTrackBar, false, false, rrAdapter, acTrackBar, 0, false},
    {rmNames,
     ckPanel,
     {"TUPDOWN", "TSPINBUTTON", nullptr},
     xcSpin,
     false,
     false,
     rrAdapter,
     acUpDown,
     0,
     false},
    {rmNames, ckPanel, {"TMEDIAPLAYER", nullptr, nullptr}, xcButton, false, false, rrAdapter, acMP, 0, false},
    {rmKind, ckRadioGroup, NoNames, xcRadioButton, false, false, rrRadioGroup, acGroupBox, 0, true},
    {rmNames,
     ckPanel,
     {"TDBNAVIGATOR", nullptr, nullptr},
     xcPanel,
     false,
     false,
     rrNavigator,
     acBox,
     0,
     true},
    {rmNames,
     ckPanel,
     {"TRZDBCHECKBOX", "TRZCHECKBOX", nullptr},
     xcCheckBox,
     false,
     false,
     rrAdapter,
     acObjImage,
     ObjImageCheckMode,
     true},
    {rmNames,
     ckPanel,
     {"TRZRADIOBUTTON", "TRZDBRADIOBUTTON", nullptr},
     xcRadioButton,
     false,
     false,
     rrAdapter,
     acObjImage,
     ObjImageRadioMode,
     true},
    {rmNames,
     ckPanel,
     {"TCXDBCHECKBOX", "TCXCHECKBOX", nullptr},
     xcCheckBox,
     false,
     false,
     rrAdapter,
     acObjImage,
     ObjImageThirdMode,
     true},
    {rmKind, ckGroupBox, NoNames, xcPanel, false, false, rrGroupBox, acGroupBox, 0, false},
    {rmKind, ckRadioButton, NoNames, xcRadioButton, false, false, rrAdapter, acRadioButton, 0, false},
    {rmKind, ckToolBar, NoNames, xcToolbar, false, false, rrToolBar, acBox, 0, false},
    {rmKind, ckStatusBar, NoNames, xcStatusBar, false, false, rrAdapter, acStatusBar, 0, false},
    {rmKind, ckProgress, NoNames, xcProgress, false, false, rrAdapter, acProgress, 0, false},
    {rmKind, ckScrollBar, NoNames, xcScrollbar, false, false, rrAdapter, acScControl, 0, false},
    {rmNames,
     ckPanel,
     {"TTNTCOMBOBOX", nullptr, nullptr},
     xcCombo,
     false,
     false,
     rrAdapter,
     acComBox,
     0,
     false},
    {rmKind, ckComboBox, NoNames, xcCombo, false, false, rrAdapter, acComBox, 0, false},
    {rmKind, ckDateTimePicker, NoNames, xcEdit, false, false, rrDateTime, acDateTime, 0, false},
    {rmNames,
     ckPanel,
     {"TRICHEDIT", nullptr, nullptr},
     xcScrollbar,
     false,
     false,
     rrAdapter,
     acScrollbar,
     0,
     false},
    {rmNames,
     ckPanel,
     {"TWWDBRICHEDIT", "TDXDBMEMO", nullptr},
     xcScrollbar,
     false,
     false,
     rrAdapter,
     acScrollbar,
     0,
     false},
    {rmKind, ckBitBtn, NoNames, NoGate, false, false, rrBitBtn, acBitButton, 0, false},
    {rmKind, ckSpeedButton, NoNames, xcSpeedButton, false, false, rrAdapter, acSpeedButton, 0, false},
    {rmKind, ckPanel, NoNames, xcPanel, false, false, rrPanel, acBox, 0, true},
    {rmNames,
     ckPanel,
     {"TDXTREELIST", "TDXDBTREELIST", "TDXDBGRID"},
     xcScrollbar,
     false,
     false,
     rrAdapter,
     acScrollbar,
     0,
     false},
    {rmKind, ckListView, NoNames, xcScrollbar, false, false, rrAdapter, acListView, 0, false},
    {rmKind, ckScrollingList, NoNames, xcScrollbar, false, false, rrAdapter, acScrollbar, 0, false},
    {rmScrollTest, ckListBox, NoNames, xcScrollbar, false, false, rrAdapter, acScrollbar, 0, false},
    {rmKind, ckPushButton, NoNames, xcButton, false, false, rrAdapter, acButton, 0, false},
    {rmKind, ckEdit, NoNames, xcEdit, false, false, rrAdapter, acEdit, 0, false},
    {rmKind, ckFrame, NoNames, NoGate, false, false, rrFrame, acNone, 0, false},
    {rmKind, ckForm, NoNames, NoGate, false, false, rrEmbeddedForm, acBox, 0, true},
    {rmNames, ckPanel, {"TDCEDIT", "TDCDBEDIT", nullptr}, NoGate, false, false, rrDcEdit, acNone, 0, false},
};

bool IsDcEdit(const std::string& name) {
    return name == "TDCEDIT" || name == "TDCDBEDIT";
}

bool Fits(const TRule& rule, const TControlFacts& facts) {
    switch (rule.Match) {
    case rmKind:
        // Frames and embedded forms of the two edit classes go to the last row.
        if ((rule.Kind == ckFrame || rule.Kind == ckForm) && IsDcEdit(facts.ClassName))
            return false;
        return (facts.Kinds & KindBit(rule.Kind)) != 0;
    case rmNames:
        return std::any_of(rule.Names.begin(), rule.Names.end(),
                           [&](const char* name) { return name && facts.ClassName == name; });
    case rmScrollTest:
        return PassesScrollbarTest(facts);
    }
    return false;
}

bool GateOpen(const TRule& rule, const TControlFacts& facts) {
    if (rule.Gate != NoGate && !Has(facts.Gates, static_cast<TSkinControlType>(rule.Gate)))
        return false;
    if (rule.NeedsTabs && !facts.SkinHasTabs)
        return false;
    if (rule.NeedsFrameMenus && !facts.FrameMenuSkinning)
        return false;
    return true;
}

TDiscoveryDecision Result(const TRule& rule, const TControlFacts& facts) {
    TDiscoveryDecision decision = Take(rule.Adapter, rule.SkinColour, rule.Mode);
    switch (rule.Result) {
    case rrAdapter:
        break;
    case rrTabFamily:
        if (facts.Kinds & KindBit(ckTabButtons))
            decision.Adapter = (facts.Kinds & KindBit(ckPlainTabs)) ? acTab : acTabBtn;
        else
            decision.Mode = TabOtherMode;
        break;
    case rrMenuItems:
        decision.MenuItems = true;
        break;
    case rrBandColours:
        decision.BandColours = true;
        break;
    case rrChildrenOnly:
        decision.After = cpChildControls;
        break;
    case rrTabStyle:
        decision.Adapter = facts.TabsStyle ? acTab : acTabBtn;
        break;
    case rrRadioGroup:
        decision.ChildAdapter = acRadioButton;
        break;
    case rrNavigator:
        decision.ChildrenThroughRules = true;
        break;
    case rrGroupBox:
        decision.Before = cpChildControls;
        break;
    case rrToolBar:
        decision.Property = SkinProperty::Flat;
        decision.PropertyValue = "True";
        decision.ToolbarPainters = true;
        decision.MenuItems = true;
        break;
    case rrDateTime:
        if (facts.Kinds & KindBit(ckDateTimeEditMode))
            decision.Adapter = acEdit;
        break;
    case rrBitBtn:
        if (!Has(facts.Gates, xcBitBtn))
            decision.Adapter = acNone;
        break;
    case rrPanel:
        decision.Before = cpChildControls;
        break;
    case rrFrame:
    case rrEmbeddedForm:
        decision.After = cpComponents;
        break;
    case rrDcEdit:
        if (facts.NumButtons == 1 && Has(facts.Gates, xcCombo)) {
            decision.Adapter = acComBox;
        } else if (facts.NumButtons == 0 && Has(facts.Gates, xcEdit)) {
            decision.Adapter = acEdit;
            decision.AttachByWindow = true;
        }
        break;
    }
    return decision;
}

} // namespace

bool PassesScrollbarTest(const TControlFacts& facts) {
    constexpr std::uint32_t WsVScroll = 0x00200000, WsHScroll = 0x00100000;
    return (facts.Windowed && (facts.Style & (WsVScroll | WsHScroll)) != 0) ||
           (facts.Kinds & KindBit(ckListBox)) != 0;
}

TDiscoveryDecision BuiltInDecision(const TControlFacts& facts) {
    for (const TRule& rule : Rules)
        if (Fits(rule, facts) && GateOpen(rule, facts))
            return Result(rule, facts);
    return Pass();
}

bool IsExcludedClass(std::string_view upperClassName) {
    return upperClassName == "TDBCOMBOBOXEH" || upperClassName == "TFRDESIGNERPAGE" ||
           upperClassName == "TFRPBOX";
}

bool IsButtonGroupClass(std::string_view className) {
    const std::string lower = LowerAscii(className);
    return lower.find("radiogroup") != std::string::npos || lower.find("checkgroup") != std::string::npos;
}

// ---- Bare child windows

TDiscoveryDecision WindowClassDecision(std::string_view className, std::uint32_t style,
                                       TSkinControlTypes gates) {
    const std::string cls = LowerAscii(className.substr(0, 100));
    const auto gated = [&](TSkinControlType gate, TAdapterClass adapter) {
        return Has(gates, gate) ? Take(adapter) : Take();
    };
    // A scroll-bar window is a size grip by its SBS_SIZEGRIP style; 0x10000 (WS_TABSTOP) says
    // nothing about that. A nested dialog is walked when that bit is clear.
    constexpr std::uint32_t OwnerDraw = 0xB, SizeGrip = 0x10, NestedDialogClear = 0x10000,
                            NoTabLines = 0x2000;
    if (cls == "button" && (style & OwnerDraw) != OwnerDraw) {
        if ((style & 7) == 7 || (style & 0x80))
            return Take();
        if ((style & 3) == 3 || (style & 2) || (style & 5) == 5)
            return gated(xcCheckBox, acCheckBox);
        if ((style & 9) == 9 || (style & 4))
            return gated(xcRadioButton, acRadioButton);
        return gated(xcButton, acButton);
    }
    if (cls == "combobox" && Has(gates, xcCombo))
        return (style & 3) == 1 ? Take() : Take(acComBox);
    if (cls == "comboboxex32" && Has(gates, xcCombo)) {
        TDiscoveryDecision decision = Take(acComBox);
        decision.FirstChildWindow = true;
        return decision;
    }
    if (cls == "scrollbar" && (style & SizeGrip))
        return Take(acSizer);
    if (cls == "systreeview32")
        return Take();
    if (cls == "#32770" && !(style & NestedDialogClear)) {
        TDiscoveryDecision decision = Take(acBoxH);
        decision.ChildWindowsFirst = true;
        return decision;
    }
    if (cls == "tpanel" || cls == "ttntpanel.unicodeclass" || cls == "ttntsilentpaintpanel.unicodeclass") {
        TDiscoveryDecision decision = Take();
        decision.ChildWindowsFirst = true;
        decision.ControlColour = true;
        return decision;
    }
    if (cls == "tcheckbox" && Has(gates, xcCheckBox))
        return Take(acCheckBox);
    if (cls == "tcombobox" && Has(gates, xcCombo))
        return Take(acComBox);
    if (cls == "tbutton" && Has(gates, xcButton))
        return Take(acButton);
    if (cls == "tprogressbar")
        return Take(acProgress);
    if (cls == "tsilentpaintpanel") {
        TDiscoveryDecision decision = Take();
        decision.ControlColour = true;
        return decision;
    }
    if (cls == "systabcontrol32" && Has(gates, xcTab) && !(style & NoTabLines))
        return Take(acTab);
    if (cls == "toolbarwindow32")
        return Take(acBoxH);
    if (cls == "edit" && Has(gates, xcEdit))
        return Take(acEdit);
    return Pass();
}
