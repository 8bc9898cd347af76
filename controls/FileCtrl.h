#pragma once
// The parts of the classic folder chooser: a list of the folders on the way
// to the current folder and of its subfolders, a list of the files in it, a
// list of the drives, and a label that shortens a path to fit. Linked
// together (drive list -> folder list -> file list and label), choosing a
// drive or entering a folder moves all of them, and the process's current
// directory follows the file list.

#include "ImageList.h"
#include "Label.h"
#include "ListControls.h"

#include <functional>
#include <string>
#include <vector>

// The full form of a folder path, without a trailing backslash except at a
// drive's root ("C:\"). Empty when the system cannot make one.
std::string FullFolderPath(const std::string& path);
// Makes the folder and every missing folder above it. True when the folder
// exists afterwards.
bool ForceDirectories(const std::string& path);
// The path shortened to fit maxWidth as measured: folder names after the
// drive give way to "...\" one by one, then the drive goes too.
std::string MinimizePath(const std::string& path, int maxWidth,
                         const std::function<int(const std::string&)>& measure);

class TFileListBox : public TCustomListBox {
  public:
    explicit TFileListBox(TComponent* owner);
    const char* ClassName() const override { return "TFileListBox"; }

    const std::string& Directory() const { return directory_; }
    // Makes the folder the process's current directory and reads its files,
    // also when it is the folder already shown. Raises, changing nothing,
    // when the system refuses the folder.
    void SetDirectory(const std::string& path);
    const std::string& Mask() const { return mask_; }
    void SetMask(const std::string& mask);
    // Full path of the selected file; empty when none is selected.
    std::string FileName() const;
    // Reads the folder again.
    void ReadFileNames();

  private:
    std::string directory_;
    std::string mask_ = "*.*";
};

// What a line of the folder list stands for.
enum TDirectoryLineKind { dlOpenFolder, dlCurrentFolder, dlClosedFolder };

class TDirectoryListBox : public TCustomListBox {
  public:
    explicit TDirectoryListBox(TComponent* owner);
    const char* ClassName() const override { return "TDirectoryListBox"; }

    const std::string& Directory() const { return directory_; }
    // Shows the folder (then the file list and the label follow). Raises,
    // changing nothing, when the folder cannot be read.
    void SetDirectory(const std::string& path);
    // The lower-case drive letter of the folder; 0 for a network path.
    char Drive() const;
    // Shows the drive's current directory (its root when that is gone).
    void SetDrive(char letter);

    // The folder a line stands for.
    std::string ItemPath(int index) const;
    TDirectoryLineKind ItemKind(int index) const;
    // Left edge of a line's picture.
    int ItemIndent(int index) const;
    // Lines from the root down to the current folder; subfolders follow.
    int PathLineCount() const { return static_cast<int>(parts_.size()); }
    // Makes the selected line's folder the current one.
    void OpenCurrent();

    TFileListBox* FileList() const { return fileList_; }
    void SetFileList(TFileListBox* list);
    TLabel* DirLabel() const { return dirLabel_; }
    void SetDirLabel(TLabel* label);

    void WndProc(TMessage& message) override;

    TNotifyEvent OnChange;

  protected:
    void DrawItem(int index, const RECT& rect, TOwnerDrawState state) override;
    void DblClick() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    void ShowFolder(const std::string& full);

    std::string directory_;
    // The root ("C:\"), then each folder name down to the current folder.
    std::vector<std::string> parts_;
    TImageList* pictures_;
    TFileListBox* fileList_ = nullptr;
    TLabel* dirLabel_ = nullptr;
};

enum TDriveType { dtUnknown, dtNoDrive, dtFloppy, dtFixed, dtNetwork, dtCDROM, dtRAM };

struct TDriveEntry {
    char Letter; // lower case
    TDriveType Type;
};

class TDriveComboBox : public TCustomComboBox {
  public:
    explicit TDriveComboBox(TComponent* owner);
    const char* ClassName() const override { return "TDriveComboBox"; }

    // The lower-case letter of the drive shown; 0 when none is.
    char Drive() const { return drive_; }
    // Shows the drive, and makes the linked folder list show it too.
    void SetDrive(char letter);
    const std::vector<TDriveEntry>& Drives() const { return drives_; }
    // Asks the system for the drives again.
    void ReadDrives();

    TDirectoryListBox* DirList() const { return dirList_; }
    void SetDirList(TDirectoryListBox* list);

    void Click() override;

  protected:
    void DrawItem(int index, const RECT& rect, TOwnerDrawState state) override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    int IndexOfDrive(char letter) const;

    std::vector<TDriveEntry> drives_;
    char drive_ = 0;
    TImageList* pictures_;
    TDirectoryListBox* dirList_ = nullptr;
};

// A label for a path: the caption holds the whole path; what is shown is
// shortened to fit the label's width.
class TPathLabel : public TLabel {
  public:
    explicit TPathLabel(TComponent* owner);
    const char* ClassName() const override { return "TPathLabel"; }
    // The text as shown at the label's present width.
    std::string ShownText();

  protected:
    void Paint() override;
};
