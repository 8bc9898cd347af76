#pragma once
// Which adapter a control gets. Control discovery gathers facts about a control (its class
// name, the toolkit families it belongs to, its window style, a few properties) or about a bare
// child window (its Windows class and style), and these functions turn them into a decision.
// No windows are needed here: the frame carries the decisions out.

#include "SkinControlTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The adapter classes a decision can name.
enum TAdapterClass {
    acNone,
    acButton, // push button
    acCheckBox,
    acRadioButton,
    acBox,  // panel-like container painted in the skin's colour
    acBoxH, // the same for a bare window
    acGroupBox,
    acComBox,
    acEdit,
    acDateTime,
    acTrackBar,
    acUpDown,
    acMP,        // media player
    acScrollbar, // the scroll bars of a scrolling control
    acScControl, // a stand-alone scroll bar
    acListView,
    acTab,
    acTabBtn,
    acTab31,
    acTabSheet,
    acAdvPage,
    acHeader,
    acStatusBar,
    acProgress,
    acObjImage, // a foreign check box or radio button drawn from the skin's images
    acBitButton,
    acSpeedButton,
    acMenuButton,
    acSizer // a size grip
};

// The adapter's class name as the program knows it ("TSkinButton", ...); "" for acNone.
const char* AdapterClassName(TAdapterClass adapter);

// The modes of the object-image adapter.
constexpr int ObjImageCheckMode = 1, ObjImageRadioMode = 2, ObjImageThirdMode = 3;
// The scroll-bar adapter's single-bar mode; the tab adapter's mode for the other tab controls.
constexpr int ScrollbarSingleMode = 1, TabOtherMode = 2;

// What a pass over the control's own children does.
enum TChildPass {
    cpNone,
    cpChildControls, // every child control through the rule chain
    cpComponents     // every owned component that is a control through the rule chain
};

// What discovery does with one control or window.
struct TDiscoveryDecision {
    // Some rule or Skin3rd entry took the control: later rules are not tried.
    bool Matched = false;
    TAdapterClass Adapter = acNone;
    // The adapter paints the control's background in the skin's ButtonFace colour.
    bool SkinColour = false;
    int Mode = 0;
    // An extended combo box.
    bool Extended = false;
    // The property a glyph button takes its glyph from ("" for the standard ones).
    std::string GlyphProperty;
    // Attached by window handle instead of through the control's message hook.
    bool AttachByWindow = false;
    // Passes over the control's children before and after the adapter is attached.
    TChildPass Before = cpNone;
    TChildPass After = cpNone;
    // Every child control goes through the whole rule chain (after the adapter).
    bool ChildrenThroughRules = false;
    // Every child control gets this adapter (before the control's own).
    TAdapterClass ChildAdapter = acNone;
    int ChildMode = 0;
    bool ChildSkinColour = false;
    // Each child gets the adapter its kind asks for: a stand-alone scroll bar, or scroll bars when
    // it passes the scroll-bar test.
    bool EmbeddedScrollbars = false;
    // A published property set before attaching ("Transparent" := "True", "Flat" := "True").
    std::string Property;
    std::string PropertyValue;
    // Band colours, drop-down menu items, tool-bar painters: set up without an adapter.
    bool BandColours = false;
    bool MenuItems = false;
    bool ToolbarPainters = false;

    // Bare windows: the child windows first, the program control's colour, the first child window
    // as the adapter's target.
    bool ChildWindowsFirst = false;
    bool ControlColour = false;
    bool FirstChildWindow = false;
};

// ---- Skin3rd

// The list the skin component starts with: foreign class names and the kind each one gets.
const std::vector<std::string>& DefaultSkin3rd();

// The kind of the first line that begins with the class name and "=" (both sides compared in
// lower case): the text after the first "=", at most 50 characters, in lower case. Nothing when
// no line names the class.
std::optional<std::string> LookupSkin3rd(const std::vector<std::string>& lines, std::string_view className);

// Facts about a control that the Skin3rd kinds read.
struct TSkin3rdFacts {
    std::string ClassName;       // upper case
    TSkinControlTypes Gates = 0; // the component's SkinControls
    bool SkinHasTabs = false;
    // The window rectangle and the client rectangle differ in size.
    bool HasBorder = false;
    // The enumerated property "Kind" reads "cxbkDropDownButton".
    bool DropDownKind = false;
};

// The decision for a control whose class has a Skin3rd line of that kind (any text; it is
// compared in lower case). Always Matched: a listed class is never offered to the built-in rules.
TDiscoveryDecision Skin3rdDecision(std::string_view kind, const TSkin3rdFacts& facts);

// ---- The built-in rules

// The families of the host toolkit a control belongs to (a control may belong to several).
enum TControlKind {
    ckTabControl,
    ckTabButtons,      // tab control whose tabs are drawn as buttons
    ckPlainTabs,       // its plain-tab members
    ckOwnDropDownMenu, // carries a drop-down menu of its own
    ckBandContainer,
    ckTabSheet,
    ckStyledTabControl, // a tab control with a Style property
    ckHeader,
    ckCheckBox,
    ckTrackBar,
    ckRadioGroup,
    ckGroupBox,
    ckRadioButton,
    ckToolBar,
    ckStatusBar,
    ckProgress,
    ckScrollBar, // a stand-alone scroll bar
    ckComboBox,
    ckDateTimePicker,
    ckDateTimeEditMode, // a picker in one of its edit-like modes
    ckBitBtn,
    ckSpeedButton,
    ckPanel,
    ckListView,
    ckScrollingList, // the two further scrolling lists
    ckListBox,
    ckPushButton,
    ckEdit,
    ckFrame,
    ckForm
};
using TControlKinds = std::uint32_t;
constexpr TControlKinds KindBit(TControlKind kind) {
    return TControlKinds(1) << kind;
}

struct TControlFacts {
    std::string ClassName; // upper case
    TControlKinds Kinds = 0;
    bool Windowed = false;
    std::uint32_t Style = 0; // window style
    TSkinControlTypes Gates = 0;
    bool SkinHasTabs = false;
    // The frame skins its window's own menus.
    bool FrameMenuSkinning = false;
    // The tab control's Style property reads "tsTabs".
    bool TabsStyle = true;
    // The ordinal property "NumButtons", -1 when absent.
    int NumButtons = -1;
};

// The built-in rules in their order; first match wins. Not Matched: the control is left alone.
TDiscoveryDecision BuiltInDecision(const TControlFacts& facts);

// The scroll-bar test: a windowed control with WS_VSCROLL or WS_HSCROLL, or a list box.
bool PassesScrollbarTest(const TControlFacts& facts);

// Classes that discovery never skins.
bool IsExcludedClass(std::string_view upperClassName);

// A group of buttons with the disabling tag passes the tag on to its buttons.
bool IsButtonGroupClass(std::string_view className);

// ---- Bare child windows

// The decision for a child window of class className (any case, at most 100 characters) and
// that window style. Matched with acNone and nothing else set: the window stays as it is.
TDiscoveryDecision WindowClassDecision(std::string_view className, std::uint32_t style,
                                       TSkinControlTypes gates);

// The ASCII lower and upper case of a text.
std::string LowerAscii(std::string_view text);
std::string UpperAscii(std::string_view text);
