#pragma once
// Answering a modal window from a test the way a user would. A background thread waits for a
// visible top-level window of this process with the given class (and caption, when given),
// records what it shows, then acts: types the input into its first edit field, presses the
// button, closes it, or picks a popup-menu item with the keyboard. The test thread meanwhile
// runs the modal loop that shows the window (a click, a menu command, closing a form).

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// What to wait for and how to answer it:
//     TAnswer::Press("#32770", "OK")                       a system message box
//     TAnswer::Press("TForm", "OK", "Enter short title").Typing("Work")
//     TAnswer::Close("TMessageForm", "Information")        a dialog without buttons
//     TAnswer::ChooseMenu("Delete current perchpoint")     a popup menu ("" dismisses it)
struct TAnswer {
    static TAnswer Press(std::string className, std::string button, std::string caption = {});
    static TAnswer PressId(std::string className, int buttonId, std::string caption = {});
    static TAnswer Close(std::string className, std::string caption = {});
    static TAnswer ChooseMenu(std::string item);
    // Typed into the first edit field before the button is pressed.
    TAnswer& Typing(std::string text);
    TAnswer& Within(unsigned timeoutMs);

    std::string ClassName; // "#32770", "TMessageForm", "TForm", "#32768"
    std::string Caption;   // the window's caption; empty: any
    std::string Input;
    std::string Button;       // press the push button with this caption ("&" is ignored)
    int ButtonId = 0;         // or the one with this control id (IDOK, IDCANCEL, ...)
    std::string MenuItem;     // popup menus: choose this item; empty: dismiss the menu
    bool CloseWindow = false; // close the window (WM_CLOSE) instead of pressing a button
    unsigned TimeoutMs = 10000;
};

struct TMenuEntry {
    std::string Caption; // "-" for a separator
    bool Checked = false;
    bool Enabled = true;
};

struct TDialogReport {
    bool Found = false;    // the window appeared in time
    bool Answered = false; // and was answered as asked
    std::string ClassName;
    std::string Caption;
    std::string Text;                  // static texts and toolkit labels, one per line
    std::vector<std::string> Buttons;  // push-button captions, in window order
    int Icons = 0;                     // icons shown (message-box icons, toolkit images)
    std::vector<TMenuEntry> MenuItems; // popup menus only
};

class TDialogAnswerer {
  public:
    explicit TDialogAnswerer(TAnswer answer);
    TDialogAnswerer(const TDialogAnswerer&) = delete;
    TDialogAnswerer& operator=(const TDialogAnswerer&) = delete;
    // Stops waiting (a test that failed before the window came) and lets the thread go.
    ~TDialogAnswerer();

    // The window was answered, or the wait for it is over.
    bool Done() const { return done_; }
    // Handles messages until Done(), then gives what was seen.
    const TDialogReport& Wait();

  private:
    void Run();
    HWND FindWindowNow() const;
    void Act(HWND window);

    TAnswer answer_;
    TDialogReport report_;
    std::atomic<bool> done_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
