#pragma once
// The arithmetic of the skinned-control adapters: which cell of a skin image shows a control's
// state, where the check or radio image and the caption go, and the two-line caption. Plain
// functions without windows.h, so that they are checked natively under the sanitizers; every
// function takes hostile image sizes and cell counts without dividing by zero or leaving the
// image.

#include "WinSkinFormGeometry.h"

#include <string>

// The push button's cell of the five-cell Buttons strip: pressed 2, hot 4, focused or default 5,
// else 1; a disabled button always 3.
int ButtonCell(bool pressed, bool hot, bool focusedOrDefault, bool enabled);

// What decides a check box's cell.
struct TCheckFacts {
    bool NativeChecked = false;       // BM_GETSTATE: the checked bit
    bool NativeIndeterminate = false; // BM_GETSTATE: the indeterminate value
    bool Disabled = false;            // WS_DISABLED
    int PropertyCell = 0;             // 1, 2 or 4 from the control's "State"/"Checked"; 0: none
    bool HasDataField = false;        // the control has a "DataField" property
    int LastCheckState = 0;           // 0 until the first BM_SETCHECK, then its wParam + 1
    bool HasDataBinding = false;      // the control has a "DataBinding" property
    int ImageCells = 4;               // cells of the check image
};
// The cell (from 1) of the check image, or 0 when the image has no cell.
int CheckBoxCell(const TCheckFacts& facts);
// The cell of a check box from the text of its "State" property: "uncheck" 1, "check" 2,
// "gray" 4 (case-insensitive, in that order), else 0.
int CheckStateCell(const std::string& stateText);

// The cell (from 1) of the radio image, or 0 when the image has no cell.
int RadioButtonCell(bool checked, bool disabled, int imageCells);

// Width of one of cells side-by-side cells of an image; 0 when there is none.
int StripCellWidth(int imageWidth, int cells);
// The source rectangle of cell (from 1) of such an image; empty (all 0) when the cell is not in
// the image. It never reaches past the image.
TFrameRect StripCellRect(int imageWidth, int imageHeight, int cells, int cell);

// Where a check box or radio button puts its image and its caption inside the window rectangle
// (width by height, origin 0). The image is one cell wide, as high as the image and centred
// vertically (the offset rounds toward zero); it sits at the left, or with left text at the
// right (a radio button's one pixel inside). The caption rectangle starts (ends) 2 pixels beside
// the image and spans the window's height.
struct TCheckLayout {
    TFrameRect Image;
    TFrameRect Text;
};
TCheckLayout CheckLayoutFor(int width, int height, int cellWidth, int imageHeight, bool leftText, bool radio);

// The margins (left, top, right, bottom) a cell of cellWidth x cellHeight is nine-sliced with
// into a destination of destWidth x destHeight: negative ones count as 0; a pair that leaves the
// cell no centre, or that does not fit the destination, is dropped, so that the cell is stretched
// whole along that axis instead of leaving a hole or reading outside the cell.
TFrameRect NineSliceMargins(int cellWidth, int cellHeight, int destWidth, int destHeight,
                            const TFrameRect& margins);

// Offset that centres a length inside another (negative when it is longer); rounds toward zero.
int CentreOffset(int outer, int inner);

// Every "||" of a caption becomes a line break (CR LF).
std::wstring SplitCaptionLines(const std::wstring& caption);
