#pragma once
// Where the items of a target panel lie, and what each shows. Plain
// functions, so the arithmetic can be checked without windows.

#include <string>
#include <string_view>

struct TItemRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TItemRect&) const = default;
};

struct TItemLayout {
    int Count = 0;      // number of lines
    int ItemHeight = 0; // extent along the item axis
    int Width = 0;      // control width
    int Height = 0;     // control height
    bool Vertical = true;
    int AxisLength() const { return Vertical ? Height : Width; }
};

// The rectangle of item i; empty (all zero) outside 0..Count-1.
TItemRect ItemRect(const TItemLayout& layout, int index);
// The item under (x, y), or -1. The bound along the axis is exclusive, the
// one across it inclusive; the last item's painted extension does not count.
int ItemIndexAt(const TItemLayout& layout, int x, int y);
// AutoSize: the item extent is axis length div count; the last item takes
// the remainder.
int AutoItemHeight(int axisLength, int count);
int AutoSizeRemainder(int axisLength, int count);
// Where the keyboard takes the focus among count items from current (-1, or an index past the
// end after items went away: none yet): the previous or next item, stopping at the ends, or the
// first or last. From none, previous and next both start at the first item, except past the end,
// where they come back to the last. -1 when there are no items.
enum class TItemStep { Previous, Next, First, Last };
int ItemAfterStep(int current, int count, TItemStep step);
// The item's text: for a line with "=", the part after the first "=" with
// short titles on, the part before it with them off.
std::string_view ItemDisplayText(std::string_view line, bool shortTitles);
