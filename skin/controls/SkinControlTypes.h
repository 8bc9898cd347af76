#pragma once
// The kinds of controls a skin component skins, as a bit set. Kept apart from the component so
// that code without windows.h (the discovery rules) can name them.

#include <cstdint>

// Which kinds of controls are skinned (bit 0 first).
enum TSkinControlType {
    xcMainMenu,
    xcPopupMenu,
    xcMenuItem,
    xcToolbar,
    xcControlbar,
    xcCombo,
    xcCheckBox,
    xcRadioButton,
    xcProgress,
    xcScrollbar,
    xcEdit,
    xcButton,
    xcBitBtn,
    xcSpeedButton,
    xcSpin,
    xcPanel,
    xcGroupBox,
    xcStatusBar,
    xcTab,
    xcTrackBar,
    xcSystemMenu,
    xcFastReport
};
using TSkinControlTypes = std::uint32_t;
constexpr TSkinControlTypes SkinControlBit(TSkinControlType type) {
    return TSkinControlTypes(1) << type;
}
