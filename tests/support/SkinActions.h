#pragma once
// The skin manager carries out what it was asked (skin every window, take the skins off, show a
// new skin) 250 ms later, from its timer. Tests that are not about that pause do not wait it out:
// they run the pending action at once. Header only: the support library does not link the skin
// engine, the test executables that include this do.

#include "WinSkinDlg.h"

// Runs a pending action of the skin manager now and tells whether the manager has done all it
// was asked; false while there is no manager. Meant as a condition for PumpUntil.
inline bool SkinActionDone() {
    TSkinManage* manager = SkinManager();
    if (!manager)
        return false;
    if (manager->TimerEnabled())
        manager->RunAction();
    return !manager->TimerEnabled() && manager->PendingSkinData() == nullptr;
}
