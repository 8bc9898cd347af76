#pragma once
// Mouse and keyboard input as real window messages. They are posted, so they travel through the
// application's message loop (hints, key preview, dialog keys) exactly like the user's own; pump
// afterwards (PumpPending) to have them handled. Coordinates are client coordinates of the window.

#include <windows.h>

// A single mouse message: WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_RBUTTONUP, ... keys are the MK_* flags
// of buttons held while it happens.
void PostMouse(HWND window, UINT message, int x, int y, WPARAM keys = 0);
// Press and release at one point.
void PostLeftClick(HWND window, int x, int y);
void PostRightClick(HWND window, int x, int y);
// Left press at one point, a move, and the release at another.
void PostLeftDrag(HWND window, POINT from, POINT to);
// One wheel notch per call: positive turns away from the user ("up"), negative towards.
void PostWheel(HWND window, int notches);
// A key press and release; with alt as the system keys Alt+key arrive.
void PostKey(HWND window, WORD virtualKey, bool alt = false);
// The keyboard's context-menu key (or Shift+F10), as the system reports it: a context-menu
// request at (-1, -1), with no mouse press before it.
void PostContextMenuKey(HWND window);
// Moves the real pointer to a point of the screen and waits until the system reports it there:
// Wine moves it asynchronously, and a check of hot pixels before it arrived would see the old
// place. False when it did not arrive within timeoutMs. Pumps no messages, so it may be called
// from inside a modal loop.
bool MovePointerTo(int x, int y, DWORD timeoutMs = 2000);
