#include "ControlDiscoveryRules.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr TSkinControlTypes AllGates = (TSkinControlTypes(1) << (xcFastReport + 1)) - 1;
constexpr std::uint32_t WsVScroll = 0x00200000, WsHScroll = 0x00100000;

TSkinControlTypes Without(std::initializer_list<TSkinControlType> off) {
    TSkinControlTypes gates = AllGates;
    for (TSkinControlType type : off)
        gates &= ~SkinControlBit(type);
    return gates;
}

std::string Describe(const TDiscoveryDecision& d) {
    std::string text = d.Matched ? "matched " : "open ";
    text += AdapterClassName(d.Adapter);
    if (d.SkinColour)
        text += " colour";
    if (d.Mode)
        text += " mode" + std::to_string(d.Mode);
    return text;
}

// ---- The default Skin3rd list

TEST(Skin3rdList, HoldsEveryEntryWithAKnownKindAndRepeatsOnlyWithTheSameKind) {
    const std::vector<std::string>& lines = DefaultSkin3rd();
    ASSERT_EQ(lines.size(), 118u);
    const std::set<std::string> kinds{"scrollbar",   "pngspeedbutton", "pngbitbtn",  "panel",
                                      "combobox",    "speedbutton",    "button",     "bitbtn",
                                      "menubtn",     "checkgroup",     "radiogroup", "edit",
                                      "radiobutton", "groupbox",       "checkbox"};
    std::map<std::string, std::string> seen;
    std::set<std::string> repeated;
    for (const std::string& line : lines) {
        const auto equals = line.find('=');
        ASSERT_NE(equals, std::string::npos) << line;
        // Repeated lines are exact repeats; a name that differs only in case is another line.
        const std::string name = line.substr(0, equals);
        const std::string kind = LowerAscii(line.substr(equals + 1));
        EXPECT_TRUE(kinds.count(kind)) << line;
        const auto [it, added] = seen.emplace(name, kind);
        if (!added) {
            repeated.insert(name);
            EXPECT_EQ(it->second, kind) << line;
        }
    }
    EXPECT_EQ(repeated, (std::set<std::string>{"TLMDFontSizeCombobox", "TWWDBCombobox", "TDBCheckboxEh"}));
}

TEST(Skin3rdList, LookupOfTheDefaultListFindsEachKindByItsFirstEntry) {
    const struct {
        const char* ClassName;
        const char* Kind; // nullptr: no entry
    } cases[] = {
        {"TVIRTUALSTRINGTREE", "scrollbar"},
        {"TAdvMemo", "scrollbar"},
        {"TPngBitBtn", "pngbitbtn"},
        {"TControlBar", "panel"},
        // Named as a panel first, as a group box later: the first line wins.
        {"TLMDGroupBox", "panel"},
        {"TcxGroupBox", "groupbox"},
        // A line for a longer name that begins with this one is no line for this one.
        {"TLMDDBEDIT", "edit"},
        {"TLMDDBEDITDBLOOKUP", "edit"},
        {"TDBAdvMemo", "scrollbar"},
        {"TComboBoxEx", "combobox"},
        {"TRzMenuButton", "menubtn"},
        {"TRzCheckGroup", "checkgroup"},
        {"TDBCheckBoxEh", "checkbox"},
        // The program's own classes are not listed.
        {"TButton", nullptr},
        {"TPanel", nullptr},
        {"TLMD", nullptr},
        {"TAdvMem", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const auto kind = LookupSkin3rd(DefaultSkin3rd(), c.ClassName);
        if (c.Kind) {
            ASSERT_TRUE(kind.has_value()) << c.ClassName;
            EXPECT_EQ(*kind, c.Kind) << c.ClassName;
        } else {
            EXPECT_FALSE(kind.has_value()) << c.ClassName << " -> " << kind.value_or("");
        }
    }
}

TEST(Skin3rdList, LookupMatchesTheWholeNameBeforeTheEqualsSignInAnyCase) {
    const std::vector<std::string> lines{
        "TFooBar=nil",
        "tfoo=Panel",
        "TFoo=button", // never reached: the line above names the class first
        "TLong=" + std::string(60, 'X'),
        "TTwo=a=b",
        "TEmpty=",
        "no equals sign here",
        "TSpaced = edit",
    };
    EXPECT_EQ(LookupSkin3rd(lines, "TFOO").value_or("?"), "panel");
    EXPECT_EQ(LookupSkin3rd(lines, "tfoobar").value_or("?"), "nil");
    EXPECT_FALSE(LookupSkin3rd(lines, "TFo").has_value());
    EXPECT_FALSE(LookupSkin3rd(lines, "TFooBarBaz").has_value());
    // At most 50 characters of kind, lower-cased.
    EXPECT_EQ(LookupSkin3rd(lines, "TLong").value_or("?"), std::string(50, 'x'));
    // The kind is everything after the first "=".
    EXPECT_EQ(LookupSkin3rd(lines, "TTwo").value_or("?"), "a=b");
    EXPECT_EQ(LookupSkin3rd(lines, "TEmpty").value_or("?"), "");
    EXPECT_FALSE(LookupSkin3rd(lines, "no equals sign here").has_value());
    // Blanks are part of the name.
    EXPECT_FALSE(LookupSkin3rd(lines, "TSpaced").has_value());
    EXPECT_EQ(LookupSkin3rd(lines, "TSpaced ").value_or("?"), " edit");
    EXPECT_FALSE(LookupSkin3rd({}, "TFoo").has_value());
}

// ---- Skin3rd kinds

TEST(Skin3rdKinds, EachKindGivesItsAdapterBehindItsGate) {
    const struct {
        const char* Kind;
        TSkinControlTypes Gates;
        TAdapterClass Adapter;
        bool SkinColour;
        int Mode;
    } cases[] = {
        {"nil", AllGates, acNone, false, 0},
        {"combobox", AllGates, acComBox, false, 0},
        {"combobox", Without({xcCombo}), acNone, false, 0},
        {"comboboxex", AllGates, acComBox, false, 0},
        {"radiobutton", AllGates, acRadioButton, false, 0},
        {"radiobutton", Without({xcRadioButton}), acNone, false, 0},
        {"panel", AllGates, acBox, true, 0},
        {"Panel", AllGates, acBox, true, 0},
        {"PANEL", Without({xcPanel}), acNone, false, 0},
        {"trackbar", AllGates, acTrackBar, false, 0},
        // The track-bar kind goes by the button switch, not the track-bar one.
        {"trackbar", Without({xcButton}), acNone, false, 0},
        {"trackbar", Without({xcTrackBar}), acTrackBar, false, 0},
        {"button", AllGates, acButton, false, 0},
        {"button", Without({xcButton}), acNone, false, 0},
        {"datetimepicker", AllGates, acDateTime, false, 0},
        {"datetimepicker", Without({xcCombo}), acNone, false, 0},
        {"mediaplayer", AllGates, acMP, false, 0},
        {"MediaPlayer", Without({xcButton}), acNone, false, 0},
        {"bitbtn", AllGates, acBitButton, false, 0},
        {"bitbtn", Without({xcBitBtn}), acBitButton, false, 0},
        {"bitbtn", Without({xcButton}), acNone, false, 0},
        {"menubtn", AllGates, acMenuButton, false, 0},
        {"speedbutton", AllGates, acSpeedButton, false, 0},
        {"speedbutton", Without({xcButton}), acSpeedButton, false, 0},
        {"speedbutton", Without({xcSpeedButton}), acNone, false, 0},
        {"tab", AllGates, acTab, false, 0},
        {"tab", Without({xcTab}), acNone, false, 0},
        {"progress", AllGates, acProgress, false, 0},
        {"scrollbar", AllGates, acScrollbar, false, 0},
        {"scrollbar", Without({xcScrollbar}), acNone, false, 0},
        {"singlescrollbar", AllGates, acScrollbar, false, ScrollbarSingleMode},
        {"groupbox", AllGates, acGroupBox, true, 0},
        {"groupbox", Without({xcGroupBox}), acNone, false, 0},
        {"advpagecontrol", AllGates, acAdvPage, true, 0},
        {"advpagecontrol", Without({xcTab}), acNone, false, 0},
        {"checkbox", AllGates, acCheckBox, false, 0},
        {"checkbox", Without({xcCheckBox}), acNone, false, 0},
        // Misspelled or unknown kinds leave the control alone.
        {"pannel", AllGates, acNone, false, 0},
        {"check box", AllGates, acNone, false, 0},
        {"", AllGates, acNone, false, 0},
    };
    for (const auto& c : cases) {
        TSkin3rdFacts facts;
        facts.ClassName = "TFOREIGN";
        facts.Gates = c.Gates;
        facts.SkinHasTabs = true;
        facts.HasBorder = true;
        const TDiscoveryDecision d = Skin3rdDecision(c.Kind, facts);
        const std::string where = std::string("kind \"") + c.Kind + "\": " + Describe(d);
        EXPECT_TRUE(d.Matched) << where;
        EXPECT_EQ(d.Adapter, c.Adapter) << where;
        EXPECT_EQ(d.SkinColour, c.SkinColour) << where;
        EXPECT_EQ(d.Mode, c.Mode) << where;
    }
}

TEST(Skin3rdKinds, KindsWithSideConditions) {
    TSkin3rdFacts facts;
    facts.ClassName = "TFOREIGN";
    facts.Gates = AllGates;

    // An edit without a border is left alone; a tab kind needs the skin's tabs.
    EXPECT_EQ(Skin3rdDecision("edit", facts).Adapter, acNone);
    EXPECT_EQ(Skin3rdDecision("tab", facts).Adapter, acNone);
    // Advanced page controls take the tab cells into their own images, whatever the skin has.
    EXPECT_EQ(Skin3rdDecision("advpagecontrol", facts).Adapter, acAdvPage);
    facts.HasBorder = true;
    facts.SkinHasTabs = true;
    EXPECT_EQ(Skin3rdDecision("Edit", facts).Adapter, acEdit);
    EXPECT_EQ(Skin3rdDecision("tab", facts).Adapter, acTab);

    // Transparent panels and track bars.
    for (const char* kind : {"panel", "trackbar"}) {
        const TDiscoveryDecision d = Skin3rdDecision(kind, facts);
        EXPECT_EQ(d.Property, "Transparent") << kind;
        EXPECT_EQ(d.PropertyValue, "True") << kind;
    }
    EXPECT_TRUE(Skin3rdDecision("comboboxex", facts).Extended);
    EXPECT_FALSE(Skin3rdDecision("combobox", facts).Extended);
    EXPECT_EQ(Skin3rdDecision("pngbitbtn", facts).GlyphProperty, "PngImage");
    EXPECT_EQ(Skin3rdDecision("pngspeedbutton", facts).Adapter, acSpeedButton);
    EXPECT_EQ(Skin3rdDecision("pngspeedbutton", facts).GlyphProperty, "PngImage");
    EXPECT_EQ(Skin3rdDecision("bitbtn", facts).GlyphProperty, "");
    EXPECT_EQ(Skin3rdDecision("scrollbar", facts).After, cpChildControls);
    EXPECT_EQ(Skin3rdDecision("singlescrollbar", facts).After, cpNone);
    EXPECT_EQ(Skin3rdDecision("container", facts).After, cpChildControls);
    EXPECT_EQ(Skin3rdDecision("container", facts).Adapter, acNone);
    EXPECT_TRUE(Skin3rdDecision("embedscrollbar", facts).EmbeddedScrollbars);
    EXPECT_FALSE(
        Skin3rdDecision("embedscrollbar", TSkin3rdFacts{"TX", Without({xcScrollbar})}).EmbeddedScrollbars);

    // The drop-down cx button is a menu button; the kind property only counts for that class.
    facts.DropDownKind = true;
    facts.ClassName = "TCXBUTTON";
    EXPECT_EQ(Skin3rdDecision("bitbtn", facts).Adapter, acMenuButton);
    facts.ClassName = "TRZBITBTN";
    EXPECT_EQ(Skin3rdDecision("bitbtn", facts).Adapter, acBitButton);
}

TEST(Skin3rdKinds, ButtonGroupsGiveTheirChildrenButtonsAndThemselvesAGroupBox) {
    const struct {
        const char* Kind;
        const char* ClassName;
        TSkinControlTypes Gates;
        TAdapterClass Group;
        TAdapterClass Child;
        int ChildMode;
    } cases[] = {
        {"radiogroup", "TWWRADIOGROUP", AllGates, acGroupBox, acRadioButton, 0},
        {"radiogroup", "TRZRADIOGROUP", AllGates, acGroupBox, acObjImage, ObjImageRadioMode},
        {"radiogroup", "TWWRADIOGROUP", Without({xcRadioButton}), acGroupBox, acNone, 0},
        {"radiogroup", "TWWRADIOGROUP", Without({xcGroupBox}), acNone, acNone, 0},
        {"checkgroup", "TLMDCHECKGROUP", AllGates, acGroupBox, acCheckBox, 0},
        {"checkgroup", "TRZCHECKGROUP", AllGates, acGroupBox, acObjImage, ObjImageCheckMode},
        {"checkgroup", "TLMDCHECKGROUP", Without({xcGroupBox}), acNone, acCheckBox, 0},
        // Check-group children are gated by the radio-button switch.
        {"checkgroup", "TLMDCHECKGROUP", Without({xcRadioButton}), acGroupBox, acNone, 0},
        {"checkgroup", "TLMDCHECKGROUP", Without({xcPanel}), acNone, acNone, 0},
    };
    for (const auto& c : cases) {
        const TDiscoveryDecision d = Skin3rdDecision(c.Kind, TSkin3rdFacts{c.ClassName, c.Gates});
        const std::string where = std::string(c.Kind) + " " + c.ClassName;
        EXPECT_TRUE(d.Matched) << where;
        EXPECT_EQ(d.Adapter, c.Group) << where;
        EXPECT_EQ(d.SkinColour, c.Group != acNone) << where;
        EXPECT_EQ(d.ChildAdapter, c.Child) << where;
        EXPECT_EQ(d.ChildMode, c.ChildMode) << where;
        EXPECT_EQ(d.ChildSkinColour, c.Child == acObjImage) << where;
    }
}

// ---- The built-in rules

TControlFacts Facts(const char* className, std::initializer_list<TControlKind> kinds,
                    TSkinControlTypes gates = AllGates, std::uint32_t style = 0) {
    TControlFacts facts;
    facts.ClassName = className;
    for (TControlKind kind : kinds)
        facts.Kinds |= KindBit(kind);
    facts.Windowed = true;
    facts.Style = style;
    facts.Gates = gates;
    facts.SkinHasTabs = true;
    facts.FrameMenuSkinning = true;
    return facts;
}

TEST(BuiltInRules, TheProgramsControlsGetTheirAdapters) {
    const struct {
        TControlFacts Facts;
        bool Matched;
        TAdapterClass Adapter;
        bool SkinColour;
        TChildPass Before, After;
    } cases[] = {
        {Facts("TPANEL", {ckPanel}), true, acBox, true, cpChildControls, cpNone},
        {Facts("TITEMSPANEL", {ckPanel}), true, acBox, true, cpChildControls, cpNone},
        {Facts("TPANEL", {ckPanel}, Without({xcPanel})), false, acNone, false, cpNone, cpNone},
        {Facts("TCHECKBOX", {ckCheckBox}), true, acCheckBox, false, cpNone, cpNone},
        {Facts("TCHECKBOX", {ckCheckBox}, Without({xcCheckBox})), false, acNone, false, cpNone, cpNone},
        {Facts("TRADIOBUTTON", {ckRadioButton}), true, acRadioButton, false, cpNone, cpNone},
        {Facts("TBUTTON", {ckPushButton}), true, acButton, false, cpNone, cpNone},
        {Facts("TBUTTON", {ckPushButton}, Without({xcButton})), false, acNone, false, cpNone, cpNone},
        {Facts("TEDIT", {ckEdit}), true, acEdit, false, cpNone, cpNone},
        {Facts("TLISTBOX", {ckListBox}), true, acScrollbar, false, cpNone, cpNone},
        {Facts("TDIRECTORYLISTBOX", {ckListBox}), true, acScrollbar, false, cpNone, cpNone},
        {Facts("TLISTBOX", {ckListBox}, Without({xcScrollbar})), false, acNone, false, cpNone, cpNone},
        {Facts("TCOMBOBOX", {ckComboBox}), true, acComBox, false, cpNone, cpNone},
        {Facts("TDRIVECOMBOBOX", {ckComboBox}), true, acComBox, false, cpNone, cpNone},
        // Scroll bars come before the push button and the edit.
        {Facts("TEDIT", {ckEdit}, AllGates, WsVScroll), true, acScrollbar, false, cpNone, cpNone},
        {Facts("TBUTTON", {ckPushButton}, AllGates, WsHScroll), true, acScrollbar, false, cpNone, cpNone},
        {Facts("TEDIT", {ckEdit}, Without({xcScrollbar}), WsVScroll), true, acEdit, false, cpNone, cpNone},
        {Facts("TMESSAGEFORM", {ckForm}), true, acBox, true, cpNone, cpComponents},
        {Facts("TMYFRAME", {ckFrame}), true, acNone, false, cpNone, cpComponents},
        // Nothing fits.
        {Facts("TLABELISH", {}), false, acNone, false, cpNone, cpNone},
    };
    for (const auto& c : cases) {
        const TDiscoveryDecision d = BuiltInDecision(c.Facts);
        const std::string where = c.Facts.ClassName + ": " + Describe(d);
        EXPECT_EQ(d.Matched, c.Matched) << where;
        EXPECT_EQ(d.Adapter, c.Adapter) << where;
        EXPECT_EQ(d.SkinColour, c.SkinColour) << where;
        EXPECT_EQ(d.Before, c.Before) << where;
        EXPECT_EQ(d.After, c.After) << where;
    }
}

TEST(BuiltInRules, RowsOfOtherFamiliesInTheirOrderAndGates) {
    const struct {
        TControlFacts Facts;
        bool Matched;
        TAdapterClass Adapter;
        int Mode;
    } cases[] = {
        {Facts("TPAGECONTROL", {ckTabControl}), true, acTab, TabOtherMode},
        {Facts("TBUTTONTABS", {ckTabControl, ckTabButtons}), true, acTabBtn, 0},
        {Facts("TPLAINTABS", {ckTabControl, ckTabButtons, ckPlainTabs}), true, acTab, 0},
        {Facts("TPAGECONTROL", {ckTabControl}, Without({xcTab})), false, acNone, 0},
        {Facts("TTABSET", {}), true, acTab31, 0},
        {Facts("TTABSHEET", {ckTabSheet}), true, acTabSheet, 0},
        {Facts("TTABBEDNOTEBOOK", {}), true, acTab, 0},
        {Facts("THEADERCONTROL", {ckHeader}), true, acHeader, 0},
        {Facts("TTRACKBAR", {ckTrackBar}), true, acTrackBar, 0},
        {Facts("TTRACKBAR", {ckTrackBar}, Without({xcTrackBar})), false, acNone, 0},
        {Facts("TUPDOWN", {}), true, acUpDown, 0},
        {Facts("TSPINBUTTON", {}, Without({xcSpin})), false, acNone, 0},
        {Facts("TMEDIAPLAYER", {}), true, acMP, 0},
        {Facts("TRZCHECKBOX", {}), true, acObjImage, ObjImageCheckMode},
        {Facts("TRZDBRADIOBUTTON", {}), true, acObjImage, ObjImageRadioMode},
        {Facts("TCXCHECKBOX", {}), true, acObjImage, ObjImageThirdMode},
        {Facts("TRZDBCHECKBOX", {}), true, acObjImage, ObjImageCheckMode},
        {Facts("TRZRADIOBUTTON", {}), true, acObjImage, ObjImageRadioMode},
        {Facts("TCXDBCHECKBOX", {}), true, acObjImage, ObjImageThirdMode},
        {Facts("TMEDIAPLAYER", {}, Without({xcButton})), false, acNone, 0},
        {Facts("TRZCHECKBOX", {}, Without({xcCheckBox})), false, acNone, 0},
        {Facts("TRZRADIOBUTTON", {}, Without({xcRadioButton})), false, acNone, 0},
        {Facts("TCXDBCHECKBOX", {}, Without({xcCheckBox})), false, acNone, 0},
        {Facts("TSTATUSBAR", {ckStatusBar}), true, acStatusBar, 0},
        {Facts("TPROGRESSBAR", {ckProgress}), true, acProgress, 0},
        {Facts("TSCROLLBAR", {ckScrollBar}), true, acScControl, 0},
        {Facts("TTNTCOMBOBOX", {}), true, acComBox, 0},
        {Facts("TDATETIMEPICKER", {ckDateTimePicker}), true, acDateTime, 0},
        {Facts("TDATETIMEPICKER", {ckDateTimePicker, ckDateTimeEditMode}), true, acEdit, 0},
        {Facts("TRICHEDIT", {}), true, acScrollbar, 0},
        {Facts("TDXDBGRID", {}), true, acScrollbar, 0},
        {Facts("TSPEEDBUTTON", {ckSpeedButton}), true, acSpeedButton, 0},
        {Facts("TLISTVIEW", {ckListView}), true, acListView, 0},
        {Facts("TTREEVIEW", {ckScrollingList}), true, acScrollbar, 0},
        {Facts("TBITBTN", {ckBitBtn, ckPushButton}), true, acBitButton, 0},
        // With xcBitBtn off a bitmap button stays as it is, although it is a push button too.
        {Facts("TBITBTN", {ckBitBtn, ckPushButton}, Without({xcBitBtn})), true, acNone, 0},
        // A check box that is also a panel is a check box: the earlier row wins.
        {Facts("TODDCHECK", {ckCheckBox, ckPanel}), true, acCheckBox, 0},
        {Facts("TODDCHECK", {ckCheckBox, ckPanel}, Without({xcCheckBox})), true, acBox, 0},
    };
    for (const auto& c : cases) {
        const TDiscoveryDecision d = BuiltInDecision(c.Facts);
        const std::string where = c.Facts.ClassName + ": " + Describe(d);
        EXPECT_EQ(d.Matched, c.Matched) << where;
        EXPECT_EQ(d.Adapter, c.Adapter) << where;
        EXPECT_EQ(d.Mode, c.Mode) << where;
    }
}

TEST(BuiltInRules, ContainersAndSetUpsWithoutAdapters) {
    TControlFacts facts = Facts("TTABCONTROLX", {ckStyledTabControl});
    EXPECT_EQ(BuiltInDecision(facts).Adapter, acTab);
    facts.TabsStyle = false;
    EXPECT_EQ(BuiltInDecision(facts).Adapter, acTabBtn);
    facts.SkinHasTabs = false;
    EXPECT_FALSE(BuiltInDecision(facts).Matched);

    TDiscoveryDecision d = BuiltInDecision(Facts("TMENUHOLDER", {ckOwnDropDownMenu, ckPushButton}));
    EXPECT_TRUE(d.MenuItems);
    EXPECT_EQ(d.Adapter, acNone);
    facts = Facts("TMENUHOLDER", {ckOwnDropDownMenu, ckPushButton});
    facts.FrameMenuSkinning = false;
    EXPECT_EQ(BuiltInDecision(facts).Adapter, acButton);

    d = BuiltInDecision(Facts("TCOOLBAR", {ckBandContainer}));
    EXPECT_TRUE(d.BandColours);
    EXPECT_FALSE(BuiltInDecision(Facts("TCOOLBAR", {ckBandContainer}, Without({xcToolbar}))).Matched);

    d = BuiltInDecision(Facts("TMVCPANEL", {ckPanel}));
    EXPECT_EQ(d.Adapter, acNone);
    EXPECT_EQ(d.After, cpChildControls);

    d = BuiltInDecision(Facts("TRADIOGROUP", {ckRadioGroup, ckGroupBox}));
    EXPECT_EQ(d.Adapter, acGroupBox);
    EXPECT_TRUE(d.SkinColour);
    EXPECT_EQ(d.ChildAdapter, acRadioButton);
    // Without radio buttons a radio group is a plain group box.
    d = BuiltInDecision(Facts("TRADIOGROUP", {ckRadioGroup, ckGroupBox}, Without({xcRadioButton})));
    EXPECT_EQ(d.Adapter, acGroupBox);
    EXPECT_EQ(d.Before, cpChildControls);
    EXPECT_EQ(d.ChildAdapter, acNone);

    d = BuiltInDecision(Facts("TDBNAVIGATOR", {}));
    EXPECT_EQ(d.Adapter, acBox);
    EXPECT_TRUE(d.ChildrenThroughRules);

    d = BuiltInDecision(Facts("TTOOLBAR", {ckToolBar}));
    EXPECT_EQ(d.Adapter, acBox);
    EXPECT_EQ(d.Property, "Flat");
    EXPECT_TRUE(d.ToolbarPainters);
    EXPECT_TRUE(d.MenuItems);

    for (const char* name : {"TDCEDIT", "TDCDBEDIT"}) {
        facts = Facts(name, {ckFrame});
        facts.NumButtons = 1;
        EXPECT_EQ(BuiltInDecision(facts).Adapter, acComBox) << name;
        EXPECT_EQ(BuiltInDecision(facts).After, cpNone) << name;
        facts.NumButtons = 0;
        EXPECT_EQ(BuiltInDecision(facts).Adapter, acEdit) << name;
        EXPECT_TRUE(BuiltInDecision(facts).AttachByWindow) << name;
        facts.Gates = Without({xcEdit});
        EXPECT_EQ(BuiltInDecision(facts).Adapter, acNone) << name;
        facts.NumButtons = -1;
        EXPECT_EQ(BuiltInDecision(facts).Adapter, acNone) << name;
    }
}

TEST(BuiltInRules, ScrollbarTestAndExcludedClasses) {
    TControlFacts facts = Facts("TX", {}, AllGates, WsVScroll);
    EXPECT_TRUE(PassesScrollbarTest(facts));
    facts.Windowed = false;
    EXPECT_FALSE(PassesScrollbarTest(facts));
    facts.Kinds = KindBit(ckListBox);
    EXPECT_TRUE(PassesScrollbarTest(facts));

    for (const char* name : {"TDBCOMBOBOXEH", "TFRDESIGNERPAGE", "TFRPBOX"})
        EXPECT_TRUE(IsExcludedClass(name)) << name;
    for (const char* name : {"TDBCOMBOBOX", "TFRPBOXX", "tfrpbox", ""})
        EXPECT_FALSE(IsExcludedClass(name)) << name;

    for (const char* name : {"TRadioGroup", "TRZCHECKGROUP", "TMyRadioGroupEx", "tcxradiogroup"})
        EXPECT_TRUE(IsButtonGroupClass(name)) << name;
    for (const char* name : {"TGroupBox", "TRadioButton", "TCheckBox", "TRadio_Group"})
        EXPECT_FALSE(IsButtonGroupClass(name)) << name;
}

// ---- Bare child windows

TEST(WindowClassRules, ClassAndStyleDecideTheAdapter) {
    constexpr std::uint32_t Child = 0x40000000, Visible = 0x10000000, TabStop = 0x10000;
    const struct {
        const char* ClassName;
        std::uint32_t Style;
        TSkinControlTypes Gates;
        bool Matched;
        TAdapterClass Adapter;
    } cases[] = {
        {"Button", Child | Visible | 0x0, AllGates, true, acButton}, // push button
        {"BUTTON", Child | 0x1, AllGates, true, acButton},           // default push button
        {"button", Child | 0x1, Without({xcButton}), true, acNone},
        {"Button", Child | 0x2, AllGates, true, acCheckBox}, // check box
        {"Button", Child | 0x3, AllGates, true, acCheckBox}, // auto check box
        {"Button", Child | 0x5, AllGates, true, acCheckBox}, // three-state
        {"Button", Child | 0x6, AllGates, true, acCheckBox}, // auto three-state
        {"Button", Child | 0x3, Without({xcCheckBox}), true, acNone},
        {"Button", Child | 0x4, AllGates, true, acRadioButton}, // radio button
        {"Button", Child | 0x9, AllGates, true, acRadioButton}, // auto radio button
        {"Button", Child | 0x9, Without({xcRadioButton}), true, acNone},
        {"Button", Child | 0x7, AllGates, true, acNone},            // group box
        {"Button", Child | 0x80, AllGates, true, acNone},           // bitmap
        {"Button", Child | 0xB, AllGates, false, acNone},           // owner-drawn
        {"Button", Child | 0x20 | 0x3, AllGates, true, acCheckBox}, // left text
        {"ComboBox", Child | 0x2, AllGates, true, acComBox},
        {"ComboBox", Child | 0x1, AllGates, true, acNone}, // simple
        {"ComboBox", Child | 0x2, Without({xcCombo}), false, acNone},
        {"ComboBoxEx32", Child, AllGates, true, acComBox},
        // A size grip by its SBS_SIZEGRIP style, a tab stop or not; plain bars stay native.
        {"ScrollBar", Child | 0x10, AllGates, true, acSizer},
        {"ScrollBar", Child | TabStop | 0x10, AllGates, true, acSizer},
        {"ScrollBar", Child | TabStop, AllGates, false, acNone},
        {"ScrollBar", Child, AllGates, false, acNone},
        {"ScrollBar", Child | 0x1, AllGates, false, acNone}, // vertical
        {"SysTreeView32", Child, AllGates, true, acNone},
        {"#32770", Child, AllGates, true, acBoxH},
        {"#32770", Child | TabStop, AllGates, false, acNone},
        {"TPanel", Child, AllGates, true, acNone},
        {"TCheckBox", Child, AllGates, true, acCheckBox},
        {"TComboBox", Child, AllGates, true, acComBox},
        {"TButton", Child, AllGates, true, acButton},
        {"TButton", Child, Without({xcButton}), false, acNone},
        {"TProgressBar", Child, AllGates, true, acProgress},
        // The system's own progress bar (marquee bars included) keeps its native look.
        {"msctls_progress32", Child, AllGates, false, acNone},
        {"msctls_progress32", Child | 0x8, AllGates, false, acNone},
        {"TSilentPaintPanel", Child, AllGates, true, acNone},
        {"SysTabControl32", Child, AllGates, true, acTab},
        {"SysTabControl32", Child | 0x2000, AllGates, false, acNone},
        {"ToolbarWindow32", Child, AllGates, true, acBoxH},
        {"Edit", Child, AllGates, true, acEdit},
        {"Edit", Child, Without({xcEdit}), false, acNone},
        {"Static", Child, AllGates, false, acNone},
        {"SysListView32", Child, AllGates, false, acNone},
        // Whole names only.
        {"Buttons", Child, AllGates, false, acNone},
        {"Edit2", Child, AllGates, false, acNone},
    };
    for (const auto& c : cases) {
        const TDiscoveryDecision d = WindowClassDecision(c.ClassName, c.Style, c.Gates);
        const std::string where =
            std::string(c.ClassName) + " style " + std::to_string(c.Style & 0xFFFF) + ": " + Describe(d);
        EXPECT_EQ(d.Matched, c.Matched) << where;
        EXPECT_EQ(d.Adapter, c.Adapter) << where;
    }
}

TEST(WindowClassRules, ContainersWalkTheirChildWindows) {
    const TDiscoveryDecision dialog = WindowClassDecision("#32770", 0x40000000, AllGates);
    EXPECT_TRUE(dialog.ChildWindowsFirst);
    EXPECT_FALSE(dialog.ControlColour);
    for (const char* name : {"TPanel", "TTntPanel.UnicodeClass", "TTntSilentPaintPanel.UnicodeClass"}) {
        const TDiscoveryDecision d = WindowClassDecision(name, 0, 0);
        EXPECT_TRUE(d.ChildWindowsFirst) << name;
        EXPECT_TRUE(d.ControlColour) << name;
    }
    const TDiscoveryDecision silent = WindowClassDecision("TSilentPaintPanel", 0, 0);
    EXPECT_FALSE(silent.ChildWindowsFirst);
    EXPECT_TRUE(silent.ControlColour);
    EXPECT_TRUE(WindowClassDecision("ComboBoxEx32", 0, AllGates).FirstChildWindow);
    EXPECT_FALSE(WindowClassDecision("ComboBox", 0, AllGates).FirstChildWindow);
    // A class name is read to at most 100 characters.
    EXPECT_EQ(WindowClassDecision("edit" + std::string(200, ' '), 0, AllGates).Adapter, acNone);
}

TEST(AdapterNames, EveryAdapterHasItsClassName) {
    std::set<std::string> names;
    for (int a = acNone; a <= acSizer; ++a)
        names.insert(AdapterClassName(static_cast<TAdapterClass>(a)));
    EXPECT_EQ(names.size(), static_cast<size_t>(acSizer + 1));
    EXPECT_STREQ(AdapterClassName(acBox), "TSkinBox");
    EXPECT_STREQ(AdapterClassName(acSizer), "TSkinSizer");
}

} // namespace
