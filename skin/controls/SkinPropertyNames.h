#pragma once
// The published properties the skin engine reads and writes by name. Reaching them by name lets
// the engine treat foreign controls like the toolkit's own, but a name that no longer matches
// its class is no error: the property simply is not found and the control keeps the system's
// look. So every name lives in the lists below, and the engine reads them only through the
// constants made from them.

#include <string_view>

// Names the toolkit's classes publish, each with the toolkit classes the engine reads it on. The
// adapter tests make an instance of every class listed and check that it finds the name.
#define PP_SKIN_TOOLKIT_PROPERTIES(X)                                                                        \
    X(AutoScroll, TForm)                                                                                     \
    X(Caption, TButton, TBitBtn, TSpeedButton, TCheckBox, TRadioButton, TGroupBox, TRadioGroup)              \
    X(Checked, TCheckBox)                                                                                    \
    X(Color, TForm, TPanel, TGroupBox)                                                                       \
    X(Default, TButton, TBitBtn)                                                                             \
    X(Flat, TToolBar)                                                                                        \
    X(Kind, TScrollBar)                                                                                      \
    X(ParentBackground, TCheckBox, TPanel)                                                                   \
    X(Transparent, TPanel)

// Names only other controls publish: grids and scroll boxes (BorderStyle, FixedColor), data-aware
// and three-state check boxes (State, DataField, DataBinding), other button, tab and edit
// families (MultiLine, PngImage, OwnerDraw, Style, NumButtons), media players
// (VisibleButtons, EnabledButtons, ColoredButtons), check boxes that draw their own glyphs
// (UseCustomGlyphs, CustomGlyphs, TransparentColor, Properties with its Glyph) and advanced page
// controls (TabBackGround, TabBackGroundActive). No toolkit class has them; a toolkit control
// simply lacks them.
#define PP_SKIN_FOREIGN_PROPERTIES(X)                                                                        \
    X(BorderStyle)                                                                                           \
    X(ColoredButtons)                                                                                        \
    X(CustomGlyphs)                                                                                          \
    X(DataBinding)                                                                                           \
    X(DataField)                                                                                             \
    X(EnabledButtons)                                                                                        \
    X(FixedColor)                                                                                            \
    X(Glyph)                                                                                                 \
    X(MultiLine)                                                                                             \
    X(NumButtons)                                                                                            \
    X(OwnerDraw)                                                                                             \
    X(PngImage)                                                                                              \
    X(Properties)                                                                                            \
    X(State)                                                                                                 \
    X(Style)                                                                                                 \
    X(TabBackGround)                                                                                         \
    X(TabBackGroundActive)                                                                                   \
    X(TransparentColor)                                                                                      \
    X(UseCustomGlyphs)                                                                                       \
    X(VisibleButtons)

namespace SkinProperty {
#define PP_SKIN_PROPERTY_NAME(name, ...) inline constexpr std::string_view name = #name;
PP_SKIN_TOOLKIT_PROPERTIES(PP_SKIN_PROPERTY_NAME)
PP_SKIN_FOREIGN_PROPERTIES(PP_SKIN_PROPERTY_NAME)
#undef PP_SKIN_PROPERTY_NAME
} // namespace SkinProperty
