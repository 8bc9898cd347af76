#pragma once
// The application object: its title, the hidden application-level window
// that owns the forms and the shell's dialogs, the message loop, hints and
// the error handler.

#include "Component.h"
#include "Control.h"

#include <exception>
#include <memory>
#include <utility>
#include <vector>

class TCustomForm;
class THintWindow;

using TExceptionEvent = TMethod<void(TObject* sender, const std::exception& error)>;

class TApplication : public TComponent {
  public:
    TApplication();
    ~TApplication() override;
    const char* ClassName() const override { return "TApplication"; }

    // The hidden window of class "TApplication".
    HWND Handle() const { return handle_; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);
    HICON Icon() const { return icon_; }
    HICON SmallIcon() const { return smallIcon_; }

    // Creates a form owned by the application; the first one is the main form.
    // Further arguments go to the form's constructor after the owner.
    template <class T, class... TArgs> T* CreateForm(TArgs&&... args) {
        creatingForm_ = true;
        T* form = nullptr;
        try {
            form = new T(this, std::forward<TArgs>(args)...);
        } catch (...) {
            creatingForm_ = false;
            throw;
        }
        creatingForm_ = false;
        if (!mainForm_)
            mainForm_ = form;
        return form;
    }
    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* form) { mainForm_ = form; }
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool value) { showMainForm_ = value; }

    // Shows the main form and runs the message loop until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Handles every message waiting now.
    void ProcessMessages();
    // Handles one message; when none is there, tells OnIdle and waits for the next.
    void HandleMessage();
    // The loop found nothing to do: everything posted so far is handled and every window of the
    // thread painted.
    TNotifyEvent OnIdle;
    // Frees a component once the current message is done.
    void ReleaseLater(TComponent* component);

    // Shows the error's text in a message box; the program goes on.
    void HandleException(const std::exception& error);
    void ShowException(const std::exception& error);
    // Shows the error once the current message is done (errors raised while painting).
    void HandleExceptionLater(const std::string& text);
    TExceptionEvent OnException;

    int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags);

    int HintPause() const { return hintPause_; }
    void SetHintPause(int ms) { hintPause_ = ms; }
    int HintHidePause() const { return hintHidePause_; }
    void SetHintHidePause(int ms) { hintHidePause_ = ms; }
    int HintShortPause() const { return hintShortPause_; }
    void SetHintShortPause(int ms) { hintShortPause_ = ms; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    void CancelHint();
    // The hint window, when a hint is showing.
    THintWindow* HintWindow() const;
    bool HintShowing() const;

  protected:
    void Notification(TComponent* component, TOperation operation) override;

  private:
    static LRESULT CALLBACK AppWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    bool ProcessMessage(MSG& msg);
    bool IsKeyMsg(MSG& msg);
    void HintMouseMessage(TControl* control, const MSG& msg);
    void ShowHintNow();
    void FreeReleased();

    HWND handle_ = nullptr;
    std::string title_;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    TCustomForm* mainForm_ = nullptr;
    bool showMainForm_ = true;
    bool terminated_ = false;
    bool creatingForm_ = false;
    std::vector<TComponent*> released_;
    std::vector<std::string> laterErrors_;

    int hintPause_ = 500;
    int hintHidePause_ = 2500;
    int hintShortPause_ = 50;
    bool showHint_ = true;
    TControl* hintControl_ = nullptr;
    THintWindow* hintWindow_ = nullptr;
};

// The one application object (null before it exists).
extern TApplication* Application;

// The window procedures' boundary: an error goes to the application's handler.
void HandleApplicationException(const std::exception& error);
// Call from a catch (...) block at a boundary: hands whatever was thrown to the application's
// handler. With deferDialog (painting, non-client code) the message box is shown once the
// current message is done, never from inside the paint.
void HandleCurrentException(bool deferDialog = false) noexcept;
// Messages during which no dialog may open: painting, non-client work, owner drawing.
bool PaintingMessage(UINT msg) noexcept;

// Disables every enabled, visible top-level window of this thread but one;
// returns them so they can be enabled again.
std::vector<HWND> DisableTaskWindows(HWND except);
void EnableTaskWindows(const std::vector<HWND>& windows);
