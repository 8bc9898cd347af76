#include "WinSubClassGeometry.h"

#include <algorithm>
#include <cctype>
#include <climits>

int ButtonCell(bool pressed, bool hot, bool focusedOrDefault, bool enabled) {
    if (!enabled)
        return 3;
    if (pressed)
        return 2;
    if (hot)
        return 4;
    if (focusedOrDefault)
        return 5;
    return 1;
}

int CheckStateCell(const std::string& stateText) {
    std::string lower(stateText);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.find("uncheck") != std::string::npos)
        return 1;
    if (lower.find("check") != std::string::npos)
        return 2;
    if (lower.find("gray") != std::string::npos)
        return 4;
    return 0;
}

int CheckBoxCell(const TCheckFacts& facts) {
    if (facts.ImageCells < 1)
        return 0;
    int cell = facts.NativeChecked ? 2 : 1;
    if (facts.PropertyCell >= 1 && facts.PropertyCell <= 4)
        cell = facts.PropertyCell;
    if (facts.HasDataField && facts.LastCheckState >= 1 && facts.LastCheckState <= 3)
        cell = facts.LastCheckState == 3 ? 4 : facts.LastCheckState;
    if (facts.HasDataBinding)
        cell = 1;
    if (facts.Disabled)
        cell += 2;
    // Greyed by its property and disabled as well: the last of the four states.
    cell = std::min(cell, 4);
    if (facts.NativeIndeterminate)
        cell = 4;
    if (facts.ImageCells == 12) {
        if (facts.NativeIndeterminate)
            cell = facts.Disabled ? 12 : 9;
        else if (cell == 2)
            cell = 5;
        else if (cell == 3)
            cell = 4;
        else if (cell == 4)
            cell = 8;
    }
    return std::min(cell, facts.ImageCells);
}

int RadioButtonCell(bool checked, bool disabled, int imageCells) {
    if (imageCells < 1)
        return 0;
    int cell = checked ? 2 : 1;
    if (disabled)
        cell += 2;
    if (imageCells == 8) {
        if (cell == 2)
            cell = 5;
        else if (cell == 3)
            cell = 4;
        else if (cell == 4)
            cell = 8;
    }
    return std::min(cell, imageCells);
}

int StripCellWidth(int imageWidth, int cells) {
    if (cells < 1 || imageWidth < 1)
        return 0;
    return imageWidth / cells;
}

TFrameRect StripCellRect(int imageWidth, int imageHeight, int cells, int cell) {
    const int width = StripCellWidth(imageWidth, cells);
    if (width < 1 || imageHeight < 1 || cell < 1 || cell > cells)
        return TFrameRect{};
    const long long left = static_cast<long long>(width) * (cell - 1);
    // width * cells <= imageWidth, so the cell lies inside the image.
    return TFrameRect{static_cast<int>(left), 0, static_cast<int>(left + width), imageHeight};
}

TFrameRect NineSliceMargins(int cellWidth, int cellHeight, int destWidth, int destHeight,
                            const TFrameRect& margins) {
    TFrameRect m{std::max(margins.Left, 0), std::max(margins.Top, 0), std::max(margins.Right, 0),
                 std::max(margins.Bottom, 0)};
    const long long across = static_cast<long long>(m.Left) + m.Right;
    if (across >= cellWidth || across > destWidth)
        m.Left = m.Right = 0;
    const long long down = static_cast<long long>(m.Top) + m.Bottom;
    if (down >= cellHeight || down > destHeight)
        m.Top = m.Bottom = 0;
    return m;
}

int CentreOffset(int outer, int inner) {
    return static_cast<int>((static_cast<long long>(outer) - inner) / 2);
}

TCheckLayout CheckLayoutFor(int width, int height, int cellWidth, int imageHeight, bool leftText,
                            bool radio) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    cellWidth = std::max(cellWidth, 0);
    imageHeight = std::max(imageHeight, 0);
    TCheckLayout layout;
    const int top = CentreOffset(height, imageHeight);
    layout.Image.Top = top;
    layout.Image.Bottom =
        static_cast<int>(std::min<long long>(static_cast<long long>(top) + imageHeight, 1LL << 30));
    layout.Text.Top = 0;
    layout.Text.Bottom = height;
    if (leftText) {
        const int right = radio ? width - 1 : width;
        const long long imageLeft = static_cast<long long>(right) - cellWidth;
        layout.Image.Right = right;
        // An image wider than the window overhangs its left edge (by at most an int's reach).
        layout.Image.Left = static_cast<int>(std::max<long long>(imageLeft, INT_MIN));
        layout.Text.Left = 0;
        layout.Text.Right = static_cast<int>(std::max<long long>(imageLeft - 2, 0));
    } else {
        layout.Image.Left = 0;
        layout.Image.Right = cellWidth;
        layout.Text.Left =
            static_cast<int>(std::min<long long>(static_cast<long long>(cellWidth) + 2, width));
        layout.Text.Right = width;
    }
    return layout;
}

std::wstring SplitCaptionLines(const std::wstring& caption) {
    std::wstring result;
    result.reserve(caption.size() + 4);
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'|' && i + 1 < caption.size() && caption[i + 1] == L'|') {
            result += L"\r\n";
            ++i;
        } else {
            result += caption[i];
        }
    }
    return result;
}
