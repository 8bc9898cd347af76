#pragma once
// Keeping a saved window position reachable after the monitors changed.

#include <vector>

struct TScreenRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TScreenRect&) const = default;
};

struct TMonitorArea {
    TScreenRect Bounds;   // the whole monitor
    TScreenRect WorkArea; // without task bars
};

// A window that shows on some monitor, even partly, stays exactly where it
// is. One that lies entirely outside every monitor moves onto the work area
// of the nearest monitor, keeping its size (top-left corner of the work area
// when it is larger than it).
TScreenRect KeepOnScreen(const TScreenRect& window, const std::vector<TMonitorArea>& monitors);
