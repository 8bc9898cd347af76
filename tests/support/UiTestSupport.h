#pragma once
// Support for tests that drive real windows in-process (under Wine or on Windows).
//
// What a UI test exe gets by linking ppuitest and including this header:
//
// - TestApplication.h: the one TApplication of the test process (title "Perchpoints", made before
//   the first test, freed after the last), PumpUntil(condition, timeout) / PumpFor / PumpPending,
//   RunOnUiThread (used by helper threads), and a watchdog that closes any message box, message
//   dialog or popup menu left unanswered for 10 s, so a forgotten answer fails a test instead of
//   hanging the exe (UnansweredDialogs() counts them; TUiTest fails a test that left one).
// - DialogAnswerer.h: TDialogAnswerer, a background thread that waits for a window of this process
//   by class and caption ("#32770" system message boxes, "TMessageForm" message dialogs, "TForm"
//   for the input query, "#32768" popup menus), reads what it shows (caption, texts, buttons, menu
//   items with their ticks), then answers it as a user would: types into its edit field, presses a
//   button by caption or id, closes it, or chooses a menu item by caption. Start it before the
//   action that opens the dialog; Wait() returns the report.
// - InputSimulation.h: mouse presses, releases, moves, the wheel and keys posted as real window
//   messages, so they pass through the message loop like the user's.
// - TempFolder.h: TTempFolder, a fresh folder removed with everything in it (read-only files too).
// - WindowCapture.h: a window's client area as it is on the screen, or a control painted by the
//   toolkit, as a TBitmap for pixel checks; SaveCapture keeps a picture to look at.
//
// Typical use:
//     TEST_F(MyUiTest, ShowsTheMessage) {
//         TDialogAnswerer answer(TAnswer::Press("TMessageForm", "OK"));
//         PostLeftClick(panel->Handle(), 10, 10);
//         PumpUntil([&] { return answer.Done(); });
//         EXPECT_EQ(answer.Wait().Text, "Target folder not available!");
//     }

#include "DialogAnswerer.h"
#include "InputSimulation.h"
#include "TempFolder.h"
#include "TestApplication.h"
#include "WindowCapture.h"
