#pragma once
// The skinned system menu: a popup menu of the program's own built from the window's system menu,
// drawn by the skinned item painter with the program's menu glyphs, whose items send the window
// the system commands.

#include "Delegate.h"
#include "WinSkinMenuGeometry.h"

#include <windows.h>

class TImageList;
class TPopupMenu;
class TSkinData;
class TObject;

// The Tag of the skinned system menu.
constexpr int SystemMenuPopupTag = 33333;

// Fills the list with the program's MENUGLYPHS bitmap (16 x 16 cells, white transparent); leaves
// it empty when the program carries no such bitmap.
void LoadMenuGlyphs(TImageList& list);

// Empties popup and fills it with one item per entry of the system menu: its text ("-" for
// none), its command as Tag, enabled, checked and glyph as SystemMenuEntry says, onClick as click.
// The popup is owner-drawn by the skin's painter with the skin's menu glyphs.
void BuildSystemMenuPopup(TPopupMenu& popup, HMENU systemMenu, const TSystemMenuFacts& facts, TSkinData* skin,
                          const TMethod<void(TObject*)>& onClick);
