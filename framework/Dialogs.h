#pragma once
// Message dialogs (forms of class "TMessageForm" with an icon and any set of
// buttons, or none), the plain message, and the input query.

#include "Form.h"

#include <initializer_list>
#include <string>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
using TMsgDlgButtons = std::initializer_list<TMsgDlgBtn>;

class TMessageForm : public TForm {
  public:
    explicit TMessageForm(TComponent* owner);
    const char* ClassName() const override { return "TMessageForm"; }

  protected:
    void KeyDown(WORD& key, TShiftState shift) override;
};

// Builds the dialog (not shown). Without buttons it closes only by its close
// box or Alt+F4.
TMessageForm* CreateMessageDialog(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);
// Caption: the application's title; one OK button; no icon.
void ShowMessage(const std::string& text);

// Caption, a prompt above an edit field, OK and Cancel. True on OK.
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
// The typed text, or fallback when cancelled.
std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& fallback);
