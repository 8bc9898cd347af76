#pragma once
// The program's one window: the target panel, the bottom strip with the
// move switch, the popup menu with every command, and the two files beside
// the executable that keep the targets and the settings.

#include "Buttons.h"
#include "Form.h"
#include "ItemsPanel.h"
#include "JvDragDrop.h"
#include "JvLED.h"
#include "JvSelectDirectory.h"
#include "Label.h"
#include "LastTransferUndo.h"
#include "Menus.h"
#include "Panel.h"
#include "WinSkinData.h"
#include "WinSkinStore.h"

#include <shellapi.h>

#include <string>
#include <vector>

using TOpenFolderEvent = TMethod<void(TObject* sender, const std::string& path)>;
// Hands a copy or move request to the shell; answers as SHFileOperationW does.
using TFileOperationEvent = TMethod<int(TObject* sender, SHFILEOPSTRUCTW& request)>;

class TForm1 : public TForm {
  public:
    // basePath: the files are basePath with ".dat" and ".ini" in place of
    // its extension (the executable's path unless given).
    explicit TForm1(TComponent* owner, const std::string& basePath = std::string());
    const char* ClassName() const override { return "TForm1"; }

    // Components, by the names they carry on the window.
    TItemsPanel* panels1 = nullptr;
    TPanel* Panel1 = nullptr;
    TCheckBox* movchk = nullptr;
    TLabel* Label1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* Create1 = nullptr;
    TMenuItem* Createshorttitle1 = nullptr;
    TMenuItem* Delete1 = nullptr;
    TMenuItem* N2 = nullptr;
    TMenuItem* Shorten = nullptr;
    TMenuItem* Reload = nullptr;
    TMenuItem* Fontsize1 = nullptr;
    TMenuItem* Fontsize2 = nullptr;
    TMenuItem* Changeskin1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* EXIT1 = nullptr;
    TMenuItem* About1 = nullptr;
    TJvLED* JvLED1 = nullptr;
    TJvSelectDirectory* sd1 = nullptr;
    TJvDragDrop* JvDragDrop1 = nullptr;
    TJvDragDrop* JvDragDrop2 = nullptr;
    TSkinData* SkinData1 = nullptr;
    TSkinStore* SkinStore1 = nullptr;

    const std::string& TargetsPath() const { return targetsPath_; }
    const std::string& SettingsPath() const { return settingsPath_; }
    int CurrentItem() const { return currentItem_; }
    int SkinNumber() const { return skinNumber_; }

    // Opens a folder in the shell; replaceable so that tests can watch it.
    TOpenFolderEvent OnOpenFolder;
    // Runs the shell's file operation of a drop; replaceable so that tests can watch it.
    TFileOperationEvent OnFileOperation;

    // The folder of the target hit by the last drop on the panel, with a
    // backslash; empty when the drop hit no target.
    const std::string& TransferDestination() const { return transferDestination_; }
    // One shell request copying (FO_COPY) or moving (FO_MOVE) every path into
    // the destination folder. True when the shell failed or the user aborted.
    bool TransferFiles(const std::vector<std::wstring>& paths, const std::string& destination,
                       UINT operation);

    // The system menu's command "Undo last transfer" (Ctrl+Z does the same).
    static constexpr UINT UndoCommand = 0x0120;
    // The last transfer left items in the target, and none is under way.
    bool CanUndoLastTransfer() const { return undo_.CanUndo(); }
    // Takes the last transfer back, once, and says what was undone and what was left and why;
    // when there is nothing to take back, it says that and why.
    void UndoLastTransfer();
    void WndProc(TMessage& message) override;

    // Event handlers, named after their control and event.
    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormKeyDown(TObject* sender, WORD& key, TShiftState shift);
    void FormMouseWheelUp(TObject* sender, TShiftState shift, POINT mousePos, bool& handled);
    void FormMouseWheelDown(TObject* sender, TShiftState shift, POINT mousePos, bool& handled);
    void movchkClick(TObject* sender);
    void panels1MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void panels1ItemClick(TObject* sender, int itemIndex);
    void panels1ItemIndexChange(TObject* sender, int itemIndex);
    void Create1Click(TObject* sender);
    void Createshorttitle1Click(TObject* sender);
    void Delete1Click(TObject* sender);
    void ShortenClick(TObject* sender);
    void ReloadClick(TObject* sender);
    void Fontsize1Click(TObject* sender);
    void Fontsize2Click(TObject* sender);
    void Changeskin1Click(TObject* sender);
    void EXIT1Click(TObject* sender);
    void About1Click(TObject* sender);
    void JvDragDrop1Drop(TObject* sender, POINT pos, TStringList& value);
    void JvDragDrop2Drop(TObject* sender, POINT pos, TStringList& value);

  protected:
    void CreateHandleFinished() override;

  private:
    void BuildLayout();
    void BuildSkin();
    TMenuItem* AddMenuItem(const char* name, const char* caption, int groupIndex, TNotifyEvent onClick);
    void LoadTargets();
    // Reads the list file into list; raises the framework's error when it cannot be opened.
    void ReadTargetsFile(TStringList& list);
    void SaveTargets();
    void ReadSettings();
    void WriteSettings();
    void ToggleSkin();
    void ShellOpenFolder(TObject* sender, const std::string& path);
    // Paints the lamp and hands the picture to the screen now, without waiting for the message loop.
    void ShowLedNow();
    int ShellFileOperation(TObject* sender, SHFILEOPSTRUCTW& request);
    // Copies or moves the paths into the folder of target index, as a drop on it does: lamp, wait
    // cursor, one shell request, and a word when the folder is gone or the shell refused. True
    // when the shell carried the request out, without failure or abort.
    bool TransferToTarget(int index, const std::vector<std::wstring>& paths, UINT operation);
    // Ctrl+V: the files on the clipboard into the current target.
    void PasteFiles(TShiftState shift);
    // After a transfer or an undo: the window is the active one again, with the keyboard.
    void ActivateAfterTransfer();

    std::string targetsPath_;
    std::string settingsPath_;
    int skinNumber_ = 0;
    int currentItem_ = 0;
    // The list and settings files were read at start (or were not there).
    bool filesRead_ = false;
    // The list in hand is the list file's content (read at start or reloaded since), or there
    // was no file: closing saves it.
    bool listRead_ = false;
    // The list as start-up left it, to tell whether it was changed when it could not be read.
    std::vector<std::string> listAtStart_;
    // The list file as it was read, when its list ended at a NUL with more after it: kept as
    // the backup beside the list before the first save replaces the file.
    std::string unreadTail_;
    bool settingsRead_ = false;
    std::string transferDestination_;
    bool transferFailed_ = false;
    // What the shell answered to the last transfer request, and whether the user aborted it.
    int transferResult_ = 0;
    bool transferAborted_ = false;
    // Drops whose transfer is under way; a drop can arrive while the shell's
    // dialog of another one is open, and the lamp stays lit until both end.
    int transfersRunning_ = 0;
    TLastTransferUndo undo_;
    // Shows in the system menu whether there is something to undo.
    void UpdateUndoCommand();
};

// The about box's text.
std::string AboutText();
// The message for a transfer the shell refused (code: its answer), naming the failure.
std::string TransferFailureText(UINT operation, int code);
