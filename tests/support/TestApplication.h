#pragma once
// The application object of a UI test exe and its message pump. The test thread is the
// user-interface thread: every window a test makes belongs to it, and helper threads reach it
// only through RunOnUiThread.

#include "Application.h"

#include <gtest/gtest.h>

#include <functional>

// The one TApplication of the process, title "Perchpoints" as the program sets it.
TApplication& TestApplication();

// Handles messages until done() holds (checked between messages) or timeoutMs have passed.
// True when done() held.
bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs = 5000);
// Handles messages for the given time.
void PumpFor(unsigned milliseconds);
// Handles every message waiting now, then paints what is invalid.
void PumpPending();

// Runs work on the user-interface thread (from any thread; directly on that thread) and waits
// for it, at most timeoutMs. False when the thread did not get to it in time, or when the work
// threw: that fails the running test with the exception's text.
bool RunOnUiThread(const std::function<void()>& work, unsigned timeoutMs = 5000);

// A visible top-level window of the user-interface thread with this window class ("#32768" for
// a popup menu, "#32770" for a dialog of the system), or null.
HWND FindVisibleThreadWindow(const char* className);

// Dialogs the watchdog had to close because no test answered them.
int UnansweredDialogs();

// Base of UI test fixtures: fails the test when it left a dialog unanswered.
class TUiTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

  private:
    int unansweredAtStart_ = 0;
};
