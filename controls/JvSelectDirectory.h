#pragma once
// Asks the user for a folder: either the classic "Select Directory" dialog
// (folder list, drive list, file list and a path field in which a folder
// that does not exist yet may be typed and is then made), or the shell's
// folder browser.

#include "Buttons.h"
#include "Edit.h"
#include "FileCtrl.h"
#include "Form.h"
#include "Label.h"

#include <string>

enum TSelectDirOpt : unsigned {
    sdAllowCreate = 1,   // a path may be typed, also one that does not exist
    sdPerformCreate = 2, // a typed folder that does not exist is made after OK
    sdPrompt = 4,        // OK on a folder that does not exist asks first
};
using TSelectDirOpts = unsigned;
constexpr TSelectDirOpts sdDefaultOptions = sdAllowCreate | sdPerformCreate | sdPrompt;

// The classic dialog: 424 x 255 pixels of client area at 96 dots per inch,
// scaled with the screen's density.
class TSelectDirDlg : public TForm {
  public:
    explicit TSelectDirDlg(TComponent* owner);
    const char* ClassName() const override { return "TSelectDirDlg"; }

    TLabel* DirNameLabel = nullptr;
    TEdit* EditBox = nullptr;
    TPathLabel* DirLabel = nullptr;
    TLabel* DirectoriesLabel = nullptr;
    TDirectoryListBox* DirList = nullptr;
    TLabel* FilesLabel = nullptr;
    TFileListBox* FileList = nullptr;
    TLabel* DrivesLabel = nullptr;
    TDriveComboBox* DriveList = nullptr;
    TButton* NetButton = nullptr;
    TButton* OKButton = nullptr;
    TButton* CancelButton = nullptr;
    TButton* HelpButton = nullptr;

    // Shows the folder (made full first); stays where it is when the folder
    // cannot be shown. Empty: stays at the process's current directory.
    void SetStartFolder(const std::string& folder);
    TSelectDirOpts Options() const { return options_; }
    void SetOptions(TSelectDirOpts options);
    int HelpContext() const { return helpContext_; }
    // 0 hides the Help button; OK and Cancel then take the places to its left.
    void SetHelpContext(int context);
    // Lays the dialog out for a screen of this density (96 is the design).
    void ScaleTo(int pixelsPerInch);
    int PixelsPerInch() const { return pixelsPerInch_; }
    // The folder confirmed with OK, made full against the folder shown.
    const std::string& ChosenFolder() const { return chosenFolder_; }

    void DirListChange(TObject* sender);
    void OKButtonClick(TObject* sender);
    void NetButtonClick(TObject* sender);
    void HelpButtonClick(TObject* sender);

  private:
    void PlaceControls();
    int Scaled(int value) const { return MulDiv(value, pixelsPerInch_, 96); }

    TSelectDirOpts options_ = sdDefaultOptions;
    int helpContext_ = 0;
    int pixelsPerInch_ = 96;
    std::string chosenFolder_;
    // The old network-connection dialog, when the system has one.
    using TConnectDialog = WORD(WINAPI*)(HWND, WORD);
    TConnectDialog connectDialog_ = nullptr;
};

class TJvSelectDirectory : public TComponent {
  public:
    explicit TJvSelectDirectory(TComponent* owner);
    const char* ClassName() const override { return "TJvSelectDirectory"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    // The folder chosen by the last successful ChooseFolder.
    const std::string& Directory() const { return directory_; }
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }
    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& folder) { initialDir_ = folder; }
    bool ClassicDialog() const { return classicDialog_; }
    void SetClassicDialog(bool value) { classicDialog_ = value; }
    TSelectDirOpts Options() const { return options_; }
    void SetOptions(TSelectDirOpts options) { options_ = options; }
    // Shown above the shell browser's tree.
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    // Shows the dialog ClassicDialog selects; true when the user confirmed a
    // folder, which is then in Directory. A folder that had to be made and
    // could not be is reported, and the answer is false.
    bool ChooseFolder();

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

  private:
    bool RunClassicDialog();
    bool RunShellBrowser();

    std::string directory_;
    int helpContext_ = 0;
    std::string initialDir_;
    bool classicDialog_ = true;
    TSelectDirOpts options_ = sdDefaultOptions;
    std::string title_;
};
