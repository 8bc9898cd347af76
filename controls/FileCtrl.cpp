#include "FileCtrl.h"

#include "Handles.h"
#include "SysUtils.h"
#include "SystemFunction.h"

#include <winnetwk.h>

#include <algorithm>
#include <cctype>
#include <utility>

namespace {
// The network's DLL is loaded when a network drive is first listed, not with the program.
const TSystemFunction<decltype(&::WNetGetConnectionA)> wNetGetConnection{"mpr.dll", "WNetGetConnectionA"};

std::string CurrentDirectory() {
    DWORD size = GetCurrentDirectoryA(0, nullptr);
    std::string path(size, '\0');
    DWORD got = GetCurrentDirectoryA(size, path.data());
    path.resize(got < size ? got : 0);
    return path;
}

bool IsDriveRoot(const std::string& path) {
    return path.size() == 3 && path[1] == ':' && path[2] == '\\' &&
           std::isalpha(static_cast<unsigned char>(path[0]));
}

std::string LowerCaseAnsi(std::string text) {
    if (!text.empty())
        CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::string CannotOpen(const std::string& folder, DWORD code) {
    return "Cannot open folder \"" + folder + "\". " + SysErrorMessage(code);
}

// Case-blind alphabetical order as the user's locale has it. One sort key per
// name instead of a locale comparison per step keeps a folder of many
// thousands of entries quick.
void SortNames(std::vector<std::string>& names) {
    std::vector<std::pair<std::string, size_t>> keys;
    keys.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        int length = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name.data(),
                                  static_cast<int>(name.size()), nullptr, 0);
        std::string key(static_cast<size_t>(std::max(length, 0)), '\0');
        if (length > 0)
            LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name.data(),
                         static_cast<int>(name.size()), key.data(), length);
        keys.emplace_back(std::move(key), i);
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const auto& entry : keys)
        sorted.push_back(std::move(names[entry.second]));
    names.swap(sorted);
}

enum class TEntryKind { Folders, Files };

// The names in a folder of one kind; files leave out hidden and system ones.
// Raises when the folder cannot be read at all.
std::vector<std::string> ReadFolder(const std::string& folder, const std::string& mask, TEntryKind kind) {
    TErrorModeGuard quiet;
    std::vector<std::string> names;
    WIN32_FIND_DATAA data{};
    TFindHandle find(FindFirstFileA((IncludeTrailingBackslash(folder) + mask).c_str(), &data));
    if (!find) {
        DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES)
            return names;
        throw Exception(CannotOpen(folder, code));
    }
    do {
        std::string name = data.cFileName;
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (kind == TEntryKind::Folders) {
            if (isFolder && name != "." && name != "..")
                names.push_back(std::move(name));
        } else if (!isFolder && !(data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) {
            names.push_back(std::move(name));
        }
    } while (FindNextFileA(find.Get(), &data));
    SortNames(names);
    return names;
}

// The root ("C:\", "\\server\share\") and the folder names below it.
std::vector<std::string> SplitFolderPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    if (path.size() >= 2 && path[1] == ':') {
        parts.push_back(path.substr(0, 2) + "\\");
        start = 3;
    } else if (path.rfind("\\\\", 0) == 0) {
        size_t server = path.find('\\', 2);
        size_t share = server == std::string::npos ? std::string::npos : path.find('\\', server + 1);
        parts.push_back(share == std::string::npos ? IncludeTrailingBackslash(path)
                                                   : path.substr(0, share + 1));
        start = share == std::string::npos ? path.size() : share + 1;
    } else {
        parts.push_back(path);
        return parts;
    }
    while (start < path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

void AddResourcePicture(TImageList& pictures, const char* name) {
    TBitmap picture;
    try {
        picture.LoadFromResourceName(GetModuleHandleA(nullptr), name);
    } catch (const std::exception&) {
        // A program without the pictures shows the lines without them.
        picture.SetSize(pictures.Width(), pictures.Height());
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                picture.SetPixelColor(x, y, clFuchsia);
    }
    pictures.AddMasked(picture, clDefault);
}

void DrawPictureAndText(TCanvas& canvas, const TImageList& pictures, int picture, int left, const RECT& rect,
                        const std::string& text) {
    canvas.FillRect(rect);
    int top = rect.top + (rect.bottom - rect.top - pictures.Height()) / 2;
    pictures.Draw(canvas.Handle(), left, top, picture);
    RECT textRect{left + pictures.Width() + 4, rect.top, rect.right, rect.bottom};
    canvas.DrawText(text.c_str(), static_cast<int>(text.size()), textRect,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
}

} // namespace

std::string FullFolderPath(const std::string& path) {
    if (path.empty())
        return {};
    DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return {};
    std::string full(size, '\0');
    DWORD got = GetFullPathNameA(path.c_str(), size, full.data(), nullptr);
    if (got == 0 || got >= size)
        return {};
    full.resize(got);
    if (!IsDriveRoot(full) && full.size() > 1)
        full = ExcludeTrailingBackslash(full);
    return full;
}

bool ForceDirectories(const std::string& path) {
    std::string full = FullFolderPath(path);
    if (full.empty())
        return false;
    TErrorModeGuard quiet;
    if (DirectoryExists(full))
        return true;
    std::string parent = FullFolderPath(ExtractFilePath(full));
    if (parent.empty() || SameText(parent, full))
        return false;
    if (!ForceDirectories(parent))
        return false;
    return CreateDirectoryA(full.c_str(), nullptr) || DirectoryExists(full);
}

std::string MinimizePath(const std::string& path, int maxWidth,
                         const std::function<int(const std::string&)>& measure) {
    if (measure(path) <= maxWidth)
        return path;
    size_t lastSlash = path.find_last_of('\\');
    std::vector<std::string> parts = SplitFolderPath(path);
    if (lastSlash == std::string::npos || parts.size() < 3)
        return path; // no folder between the drive and the name to give way
    std::string drive = ExcludeTrailingBackslash(parts.front());
    std::string name = path.substr(lastSlash + 1);
    std::vector<std::string> folders(parts.begin() + 1, parts.end() - 1);
    for (size_t dropped = 1; dropped <= folders.size(); ++dropped) {
        std::string candidate = drive + "\\...\\";
        for (size_t i = dropped; i < folders.size(); ++i)
            candidate += folders[i] + "\\";
        candidate += name;
        if (measure(candidate) <= maxWidth)
            return candidate;
    }
    return "...\\" + name;
}

// ---- TFileListBox

TFileListBox::TFileListBox(TComponent* owner) : TCustomListBox(owner) {
    SetStyle(lbVirtual);
    try {
        SetDirectory(CurrentDirectory());
    } catch (const std::exception&) {
        // The current directory has gone: the list stays empty until given another.
    }
}

void TFileListBox::SetDirectory(const std::string& path) {
    std::string full = FullFolderPath(path);
    if (full.empty())
        throw Exception(CannotOpen(path, ERROR_INVALID_NAME));
    {
        TErrorModeGuard quiet;
        if (!SetCurrentDirectoryA(full.c_str()))
            throw Exception(CannotOpen(full, GetLastError()));
    }
    // The system keeps a drive's own current directory in a variable named "=X:"
    // (the runtime's chdir does the same); coming back to the drive finds it there.
    if (full.size() >= 2 && full[1] == ':') {
        const char name[4] = {'=', static_cast<char>(std::toupper(static_cast<unsigned char>(full[0]))), ':',
                              '\0'};
        SetEnvironmentVariableA(name, full.c_str());
    }
    directory_ = full;
    ReadFileNames();
}

void TFileListBox::SetMask(const std::string& mask) {
    if (mask == mask_)
        return;
    mask_ = mask;
    ReadFileNames();
}

void TFileListBox::ReadFileNames() {
    std::vector<std::string> names;
    if (!directory_.empty()) {
        try {
            names = ReadFolder(directory_, mask_, TEntryKind::Files);
        } catch (const std::exception&) {
            // Entered but not readable: nothing to list.
        }
    }
    TStringList& items = Items();
    items.BeginUpdate();
    items.Clear();
    for (std::string& name : names)
        items.Add(name);
    items.EndUpdate();
}

std::string TFileListBox::FileName() const {
    int index = ItemIndex();
    if (index < 0 || index >= Count())
        return {};
    return IncludeTrailingBackslash(directory_) + Items()[index];
}

// ---- TDirectoryListBox

TDirectoryListBox::TDirectoryListBox(TComponent* owner)
    : TCustomListBox(owner), pictures_(new TImageList(this, 16, 14)) {
    SetStyle(lbVirtual);
    AddResourcePicture(*pictures_, "OPENFOLDER");
    AddResourcePicture(*pictures_, "CURRENTFOLDER");
    AddResourcePicture(*pictures_, "CLOSEDFOLDER");
    // Where the process stands, or the nearest folder above it that is still there.
    for (std::string folder = FullFolderPath(CurrentDirectory()); !folder.empty();) {
        try {
            SetDirectory(folder);
            break;
        } catch (const std::exception&) {
            std::string parent = FullFolderPath(ExtractFilePath(folder));
            folder = parent == folder ? std::string() : parent;
        }
    }
}

void TDirectoryListBox::SetDirectory(const std::string& path) {
    std::string full = FullFolderPath(path);
    if (full.empty())
        throw Exception(CannotOpen(path, ERROR_INVALID_NAME));
    if (full != directory_)
        ShowFolder(full);
}

void TDirectoryListBox::ShowFolder(const std::string& full) {
    std::vector<std::string> subfolders = ReadFolder(full, "*.*", TEntryKind::Folders);
    // The file list goes first: when it cannot enter the folder, nothing has changed.
    if (fileList_)
        fileList_->SetDirectory(full);
    directory_ = full;
    parts_ = SplitFolderPath(full);

    TStringList& items = Items();
    items.BeginUpdate();
    items.Clear();
    for (size_t i = 0; i < parts_.size(); ++i)
        items.Add(parts_[i]);
    for (std::string& name : subfolders)
        items.Add(name);
    items.EndUpdate();
    SetItemIndex(PathLineCount() - 1);

    if (dirLabel_)
        dirLabel_->SetCaption(directory_);
    if (OnChange)
        OnChange(this);
}

char TDirectoryListBox::Drive() const {
    if (directory_.size() >= 2 && directory_[1] == ':')
        return static_cast<char>(std::tolower(static_cast<unsigned char>(directory_[0])));
    return 0;
}

void TDirectoryListBox::SetDrive(char letter) {
    letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    if (letter < 'a' || letter > 'z' || letter == Drive())
        return;
    // The system remembers a current directory for every drive.
    const char drive[3] = {letter, ':', '\0'};
    std::string remembered = FullFolderPath(drive);
    try {
        SetDirectory(remembered);
    } catch (const std::exception&) {
        std::string root = std::string(drive) + "\\";
        if (SameText(remembered, root))
            throw;
        SetDirectory(root);
    }
}

std::string TDirectoryListBox::ItemPath(int index) const {
    if (index < 0 || index >= Count())
        return {};
    if (index < PathLineCount()) {
        std::string path = parts_.front();
        for (int i = 1; i <= index; ++i)
            path = IncludeTrailingBackslash(path) + parts_[static_cast<size_t>(i)];
        return path;
    }
    return IncludeTrailingBackslash(directory_) + Items()[index];
}

TDirectoryLineKind TDirectoryListBox::ItemKind(int index) const {
    if (index < PathLineCount() - 1)
        return dlOpenFolder;
    return index == PathLineCount() - 1 ? dlCurrentFolder : dlClosedFolder;
}

int TDirectoryListBox::ItemIndent(int index) const {
    if (index < PathLineCount())
        return 4 * index + 2;
    return 4 * (PathLineCount() - 1) + 6;
}

void TDirectoryListBox::OpenCurrent() {
    int index = ItemIndex();
    if (index < 0)
        return;
    try {
        // The folder shown is read again when its own line is opened.
        ShowFolder(ItemPath(index));
    } catch (...) {
        SetItemIndex(PathLineCount() - 1);
        throw;
    }
}

void TDirectoryListBox::SetFileList(TFileListBox* list) {
    if (list == fileList_)
        return;
    if (fileList_)
        fileList_->RemoveFreeNotification(this);
    fileList_ = list;
    if (fileList_) {
        fileList_->FreeNotification(this);
        if (!directory_.empty() && fileList_->Directory() != directory_)
            fileList_->SetDirectory(directory_);
    }
}

void TDirectoryListBox::SetDirLabel(TLabel* label) {
    if (label == dirLabel_)
        return;
    if (dirLabel_)
        dirLabel_->RemoveFreeNotification(this);
    dirLabel_ = label;
    if (dirLabel_) {
        dirLabel_->FreeNotification(this);
        dirLabel_->SetCaption(directory_);
    }
}

void TDirectoryListBox::Notification(TComponent* component, TOperation operation) {
    TCustomListBox::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == fileList_)
        fileList_ = nullptr;
    if (component == dirLabel_)
        dirLabel_ = nullptr;
}

void TDirectoryListBox::DrawItem(int index, const RECT& rect, TOwnerDrawState) {
    DrawPictureAndText(Canvas(), *pictures_, ItemKind(index), rect.left + ItemIndent(index), rect,
                       Items()[index]);
}

void TDirectoryListBox::DblClick() {
    TCustomListBox::DblClick();
    OpenCurrent();
}

void TDirectoryListBox::WndProc(TMessage& message) {
    // Enter opens the selected folder rather than pressing the dialog's default button.
    if (message.Msg == CN_KEYDOWN && message.WParam == VK_RETURN && ItemIndex() >= 0) {
        message.Result = 1; // taken, even when the folder turns out unreadable
        OpenCurrent();
        return;
    }
    TCustomListBox::WndProc(message);
}

// ---- TDriveComboBox

TDriveComboBox::TDriveComboBox(TComponent* owner)
    : TCustomComboBox(owner), pictures_(new TImageList(this, 16, 12)) {
    SetStyle(csOwnerDrawFixed);
    for (const char* name : {"FLOPPY", "HARD", "NETWORK", "CDROM", "RAM"})
        AddResourcePicture(*pictures_, name);
    std::string current = CurrentDirectory();
    if (current.size() >= 2 && current[1] == ':')
        drive_ = static_cast<char>(std::tolower(static_cast<unsigned char>(current[0])));
    ReadDrives();
}

void TDriveComboBox::ReadDrives() {
    TErrorModeGuard quiet;
    std::vector<TDriveEntry> drives;
    std::vector<std::string> texts;
    DWORD present = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(present & (1u << i)))
            continue;
        char letter = static_cast<char>('a' + i);
        const char root[4] = {static_cast<char>('A' + i), ':', '\\', '\0'};
        TDriveType type = dtUnknown;
        switch (GetDriveTypeA(root)) {
        case DRIVE_REMOVABLE:
            type = dtFloppy;
            break;
        case DRIVE_FIXED:
            type = dtFixed;
            break;
        case DRIVE_REMOTE:
            type = dtNetwork;
            break;
        case DRIVE_CDROM:
            type = dtCDROM;
            break;
        case DRIVE_RAMDISK:
            type = dtRAM;
            break;
        default:
            continue;
        }
        std::string text(1, letter);
        text += ':';
        if (type != dtFloppy) {
            std::string name;
            bool named = false;
            if (type == dtNetwork) {
                const char local[3] = {root[0], ':', '\0'};
                char remote[MAX_PATH + 1] = {};
                DWORD length = sizeof remote;
                auto getConnection = wNetGetConnection.Find();
                named = getConnection && getConnection(local, remote, &length) == NO_ERROR;
                if (named)
                    name = remote;
            }
            if (!named) {
                char label[MAX_PATH + 1] = {};
                if (GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0))
                    name = "[" + std::string(label) + "]";
            }
            if (!name.empty())
                text += " " + LowerCaseAnsi(name);
        }
        drives.push_back({letter, type});
        texts.push_back(text);
    }
    drives_ = drives;
    TStringList& items = Items();
    items.BeginUpdate();
    items.Clear();
    for (const std::string& text : texts)
        items.Add(text);
    items.EndUpdate();
    SetItemIndex(IndexOfDrive(drive_));
}

int TDriveComboBox::IndexOfDrive(char letter) const {
    for (size_t i = 0; i < drives_.size(); ++i)
        if (drives_[i].Letter == letter)
            return static_cast<int>(i);
    return -1;
}

void TDriveComboBox::SetDrive(char letter) {
    letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    if (letter == drive_)
        return;
    char previous = drive_;
    drive_ = letter;
    SetItemIndex(IndexOfDrive(letter));
    if (!dirList_ || !letter || dirList_->Drive() == letter)
        return;
    try {
        dirList_->SetDrive(letter);
    } catch (...) {
        // The drive cannot be shown (no disk, gone): the list goes back to where it was.
        drive_ = previous;
        SetItemIndex(IndexOfDrive(previous));
        throw;
    }
}

void TDriveComboBox::Click() {
    int index = ItemIndex();
    if (index >= 0 && static_cast<size_t>(index) < drives_.size())
        SetDrive(drives_[static_cast<size_t>(index)].Letter);
    TCustomComboBox::Click();
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list) {
    if (list == dirList_)
        return;
    if (dirList_)
        dirList_->RemoveFreeNotification(this);
    dirList_ = list;
    if (dirList_)
        dirList_->FreeNotification(this);
}

void TDriveComboBox::Notification(TComponent* component, TOperation operation) {
    TCustomComboBox::Notification(component, operation);
    if (operation == opRemove && component == dirList_)
        dirList_ = nullptr;
}

void TDriveComboBox::DrawItem(int index, const RECT& rect, TOwnerDrawState) {
    int picture = -1;
    if (static_cast<size_t>(index) < drives_.size()) {
        switch (drives_[static_cast<size_t>(index)].Type) {
        case dtFloppy:
            picture = 0;
            break;
        case dtFixed:
            picture = 1;
            break;
        case dtNetwork:
            picture = 2;
            break;
        case dtCDROM:
            picture = 3;
            break;
        case dtRAM:
            picture = 4;
            break;
        default:
            break;
        }
    }
    DrawPictureAndText(Canvas(), *pictures_, picture, rect.left + 2, rect, Items()[index]);
}

// ---- TPathLabel

TPathLabel::TPathLabel(TComponent* owner) : TLabel(owner) {
    SetShowAccelChar(false);
}

std::string TPathLabel::ShownText() {
    TWindowDC screen(nullptr);
    TSelectGuard select(screen.Get(), Font().Handle());
    auto measure = [&](const std::string& text) {
        SIZE size{};
        GetTextExtentPoint32A(screen.Get(), text.data(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    return MinimizePath(Caption(), Width(), measure);
}

void TPathLabel::Paint() {
    TCanvas& canvas = Canvas();
    RECT rect{0, 0, Width(), Height()};
    if (!Transparent()) {
        canvas.Brush().SetColor(Color());
        canvas.FillRect(rect);
    }
    canvas.Brush().SetStyle(bsClear);
    if (!Enabled())
        canvas.Font().SetColor(clGrayText);
    std::string text = ShownText();
    canvas.DrawText(text.c_str(), static_cast<int>(text.size()), rect, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT);
}
