#include "JvSelectDirectory.h"

#include "Application.h"
#include "Dialogs.h"
#include "Handles.h"
#include "Screen.h"
#include "SysUtils.h"
#include "SystemFunction.h"

#include <shlobj.h>

#include <cstdint>
#include <vector>

namespace {

// Design bounds of the dialog's controls at 96 dots per inch.
struct TDesignBounds {
    int Left, Top, Width, Height;
};
constexpr TDesignBounds DirNameLabelBounds{8, 8, 92, 13};
constexpr TDesignBounds PathBounds{8, 24, 313, 20};
constexpr TDesignBounds DirectoriesLabelBounds{8, 56, 66, 13};
constexpr TDesignBounds DirListBounds{8, 72, 213, 138};
constexpr TDesignBounds FilesLabelBounds{232, 56, 57, 13};
constexpr TDesignBounds FileListBounds{232, 72, 185, 93};
constexpr TDesignBounds DrivesLabelBounds{232, 176, 41, 13};
constexpr TDesignBounds DriveListBounds{232, 192, 185, 19};
constexpr int ButtonTop = 224, ButtonWidth = 77, ButtonHeight = 27;
constexpr int NetButtonLeft = 8, OKButtonLeft = 172, CancelButtonLeft = 256, HelpButtonLeft = 340;
constexpr int DesignClientWidth = 424, DesignClientHeight = 255;
constexpr int DesignFontHeight = -11;
constexpr int DirListItemHeight = 17, FileListItemHeight = 13, DriveListItemHeight = 16;

using TWNetGetCaps = WORD(WINAPI*)(WORD);
using TConnectDialog = WORD(WINAPI*)(HWND, WORD);

// Only systems of the old network model export these two; elsewhere the
// Network button stays hidden.
TConnectDialog FindConnectDialog() {
    HMODULE user = GetModuleHandleA("user32.dll");
    FARPROC getCaps = user ? GetProcAddress(user, "WNETGETCAPS") : nullptr;
    if (!getCaps)
        return nullptr;
    WORD driver = reinterpret_cast<TWNetGetCaps>(reinterpret_cast<void (*)()>(getCaps))(0xFFFF);
    if (!driver)
        return nullptr;
    FARPROC dialog =
        GetProcAddress(reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(driver)), "WNETCONNECTDIALOG");
    return reinterpret_cast<TConnectDialog>(reinterpret_cast<void (*)()>(dialog));
}

template <class T> T* MakeControl(TWinControl* parent, const char* name) {
    auto* control = new T(parent);
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

TLabel* MakeLabel(TWinControl* parent, const char* name, const char* caption, TWinControl* focus) {
    auto* label = MakeControl<TLabel>(parent, name);
    label->SetCaption(caption);
    label->SetFocusControl(focus);
    return label;
}

TButton* MakeButton(TWinControl* parent, const char* name, const char* caption) {
    auto* button = MakeControl<TButton>(parent, name);
    button->SetCaption(caption);
    return button;
}

// ---- the shell's folder browser

// COM and the shell are loaded when the browser is first asked for, not with the program.
const TSystemFunction<decltype(&::CoInitializeEx)> coInitializeEx{"ole32.dll", "CoInitializeEx"};
const TSystemFunction<decltype(&::CoUninitialize)> coUninitialize{"ole32.dll", "CoUninitialize"};
const TSystemFunction<decltype(&::SHGetMalloc)> shGetMalloc{"shell32.dll", "SHGetMalloc"};
const TSystemFunction<decltype(&::SHGetDesktopFolder)> shGetDesktopFolder{"shell32.dll",
                                                                          "SHGetDesktopFolder"};
const TSystemFunction<decltype(&::SHBrowseForFolderA)> shBrowseForFolder{"shell32.dll", "SHBrowseForFolderA"};
const TSystemFunction<decltype(&::SHGetPathFromIDListA)> shGetPathFromIdList{"shell32.dll",
                                                                             "SHGetPathFromIDListA"};

class TComApartment {
  public:
    TComApartment() : initialised_(SUCCEEDED(coInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;
    ~TComApartment() {
        if (initialised_)
            if (auto uninitialize = coUninitialize.Find())
                uninitialize();
    }

  private:
    bool initialised_;
};

// An item identifier list from the shell, given back through the shell's allocator.
struct TItemIdListTraits {
    static LPITEMIDLIST Invalid() { return nullptr; }
    static bool IsValid(LPITEMIDLIST list) { return list != nullptr; }
    static void Close(LPITEMIDLIST list) {
        IMalloc* allocator = nullptr;
        auto getMalloc = shGetMalloc.Find();
        if (getMalloc && SUCCEEDED(getMalloc(&allocator)) && allocator) {
            allocator->Free(list);
            allocator->Release();
        }
    }
};
using TItemIdList = TUniqueHandle<LPITEMIDLIST, TItemIdListTraits>;

TItemIdList ItemIdListOf(const std::string& path) {
    IShellFolder* desktop = nullptr;
    if (FAILED(shGetDesktopFolder(&desktop)) || !desktop)
        return TItemIdList();
    struct TRelease {
        IShellFolder* folder;
        ~TRelease() { folder->Release(); }
    } release{desktop};
    int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return TItemIdList();
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
    LPITEMIDLIST list = nullptr;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &list, nullptr)))
        return TItemIdList();
    return TItemIdList(list);
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    const auto* start = reinterpret_cast<const std::string*>(data);
    if (message == BFFM_INITIALIZED && start && !start->empty())
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(start->c_str()));
    return 0;
}

} // namespace

// ---- TSelectDirDlg

TSelectDirDlg::TSelectDirDlg(TComponent* owner) : TForm(owner) {
    SetName("SelectDirDlg");
    SetCaption("Select Directory");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(DesignFontHeight);

    DirList = MakeControl<TDirectoryListBox>(this, "DirList");
    DirList->SetIntegralHeight(true);
    FileList = MakeControl<TFileListBox>(this, "FileList");
    DriveList = MakeControl<TDriveComboBox>(this, "DriveList");
    EditBox = MakeControl<TEdit>(this, "EditBox");
    DirLabel = MakeControl<TPathLabel>(this, "DirLabel");
    DirLabel->SetVisible(false);
    DirNameLabel = MakeLabel(this, "DirNameLabel", "Directory &Name:", EditBox);
    DirectoriesLabel = MakeLabel(this, "DirectoriesLabel", "&Directories:", DirList);
    FilesLabel = MakeLabel(this, "FilesLabel", "&Files: (*.*)", FileList);
    DrivesLabel = MakeLabel(this, "DrivesLabel", "D&rives:", DriveList);

    NetButton = MakeButton(this, "NetButton", "Ne&twork...");
    NetButton->OnClick = Bind<&TSelectDirDlg::NetButtonClick>(this);
    connectDialog_ = FindConnectDialog();
    NetButton->SetVisible(connectDialog_ != nullptr);
    OKButton = MakeButton(this, "OKButton", "OK");
    OKButton->SetDefault(true);
    OKButton->OnClick = Bind<&TSelectDirDlg::OKButtonClick>(this);
    CancelButton = MakeButton(this, "CancelButton", "Cancel");
    CancelButton->SetCancel(true);
    CancelButton->SetModalResult(mrCancel);
    HelpButton = MakeButton(this, "HelpButton", "&Help");
    HelpButton->OnClick = Bind<&TSelectDirDlg::HelpButtonClick>(this);

    DirList->SetTabOrder(0);
    EditBox->SetTabOrder(1);
    DriveList->SetTabOrder(2);
    NetButton->SetTabOrder(3);
    OKButton->SetTabOrder(4);
    CancelButton->SetTabOrder(5);
    FileList->SetTabOrder(6);
    HelpButton->SetTabOrder(7);

    PlaceControls();

    // From here on, every folder the list shows reaches the other controls.
    DirList->SetFileList(FileList);
    DirList->SetDirLabel(DirLabel);
    DriveList->SetDirList(DirList);
    DirList->OnChange = Bind<&TSelectDirDlg::DirListChange>(this);
    DirListChange(DirList);

    SetActiveControl(DirList);
    if (int density = Screen->PixelsPerInch(); density != 96)
        ScaleTo(density);
}

void TSelectDirDlg::PlaceControls() {
    auto place = [this](TControl* control, const TDesignBounds& b) {
        control->SetBounds(Scaled(b.Left), Scaled(b.Top), Scaled(b.Width), Scaled(b.Height));
    };
    Font().SetHeight(Scaled(DesignFontHeight));
    // The file list keeps the dialog's font, in grey.
    FileList->SetParentFont(true);
    FileList->Font().SetColor(clGrayText);
    DirList->SetItemHeight(Scaled(DirListItemHeight));
    FileList->SetItemHeight(Scaled(FileListItemHeight));
    DriveList->SetItemHeight(Scaled(DriveListItemHeight));

    place(DirNameLabel, DirNameLabelBounds);
    place(EditBox, PathBounds);
    place(DirLabel, PathBounds);
    place(DirectoriesLabel, DirectoriesLabelBounds);
    place(DirList, DirListBounds);
    place(FilesLabel, FilesLabelBounds);
    place(FileList, FileListBounds);
    place(DrivesLabel, DrivesLabelBounds);
    place(DriveList, DriveListBounds);
    bool help = helpContext_ != 0;
    place(NetButton, {NetButtonLeft, ButtonTop, ButtonWidth, ButtonHeight});
    place(OKButton, {help ? OKButtonLeft : CancelButtonLeft, ButtonTop, ButtonWidth, ButtonHeight});
    place(CancelButton, {help ? CancelButtonLeft : HelpButtonLeft, ButtonTop, ButtonWidth, ButtonHeight});
    place(HelpButton, {HelpButtonLeft, ButtonTop, ButtonWidth, ButtonHeight});
    HelpButton->SetVisible(help);
    SetClientSize(Scaled(DesignClientWidth), Scaled(DesignClientHeight));
}

void TSelectDirDlg::ScaleTo(int pixelsPerInch) {
    if (pixelsPerInch <= 0 || pixelsPerInch == pixelsPerInch_)
        return;
    pixelsPerInch_ = pixelsPerInch;
    PlaceControls();
}

void TSelectDirDlg::SetStartFolder(const std::string& folder) {
    if (folder.empty())
        return;
    std::string full = FullFolderPath(folder);
    try {
        DirList->SetDirectory(full.empty() ? folder : full);
    } catch (const std::exception&) {
        // Not there or not readable: the dialog opens where the process stands.
    }
}

void TSelectDirDlg::SetOptions(TSelectDirOpts options) {
    if (options == options_)
        return;
    options_ = options;
    bool typed = (options & sdAllowCreate) != 0;
    EditBox->SetVisible(typed);
    DirLabel->SetVisible(!typed);
}

void TSelectDirDlg::SetHelpContext(int context) {
    if (context == helpContext_)
        return;
    helpContext_ = context;
    PlaceControls();
}

void TSelectDirDlg::DirListChange(TObject*) {
    EditBox->SetText(DirList->Directory());
    // Typing replaces the whole path, from the first time the dialog shows.
    EditBox->HandleNeeded();
    EditBox->SelectAll();
    DriveList->SetDrive(DirList->Drive());
}

void TSelectDirDlg::OKButtonClick(TObject*) {
    std::string text = (options_ & sdAllowCreate) ? EditBox->Text() : DirLabel->Caption();
    // A relative path means the folder shown, which is the current directory now.
    std::string folder = FullFolderPath(text);
    if (folder.empty())
        folder = text;
    if ((options_ & sdAllowCreate) && (options_ & sdPrompt) && !DirectoryExists(folder)) {
        const char* question = "The specified directory does not exist. Create it?";
        if (MessageDlg(question, mtConfirmation, {mbYes, mbNo}) != mrYes)
            return;
    }
    chosenFolder_ = folder;
    SetModalResult(mrOk);
}

void TSelectDirDlg::NetButtonClick(TObject*) {
    if (!connectDialog_)
        return;
    connectDialog_(Handle(), 1);
    // A drive may have been connected.
    DriveList->ReadDrives();
}

void TSelectDirDlg::HelpButtonClick(TObject*) {
    std::string helpFile = ChangeFileExt(ExeFileName(), ".hlp");
    WinHelpA(Handle(), helpFile.c_str(), HELP_CONTEXT,
             static_cast<ULONG_PTR>(static_cast<unsigned>(helpContext_)));
}

// ---- TJvSelectDirectory

TJvSelectDirectory::TJvSelectDirectory(TComponent* owner) : TComponent(owner) {}

const TPropertyInfo* TJvSelectDirectory::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TJvSelectDirectory::Directory>("Directory"),
        Prop<&TJvSelectDirectory::HelpContext, &TJvSelectDirectory::SetHelpContext>("HelpContext"),
        Prop<&TJvSelectDirectory::InitialDir, &TJvSelectDirectory::SetInitialDir>("InitialDir"),
        Prop<&TJvSelectDirectory::ClassicDialog, &TJvSelectDirectory::SetClassicDialog>("ClassicDialog"),
        Prop<&TJvSelectDirectory::Title, &TJvSelectDirectory::SetTitle>("Title"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TComponent::FindProperty(name);
}

bool TJvSelectDirectory::ChooseFolder() {
    directory_ = initialDir_;
    if (OnShow)
        OnShow(this);
    bool chosen = classicDialog_ ? RunClassicDialog() : RunShellBrowser();
    if (OnClose)
        OnClose(this);
    return chosen;
}

bool TJvSelectDirectory::RunClassicDialog() {
    std::string folder;
    {
        TOwnedComponent<TSelectDirDlg> dialog(new TSelectDirDlg(Application));
        dialog->SetStartFolder(directory_);
        dialog->SetOptions(options_);
        dialog->SetHelpContext(helpContext_);
        if (dialog->ShowModal() != mrOk)
            return false;
        folder = dialog->ChosenFolder();
    }
    if ((options_ & sdPerformCreate) && !ForceDirectories(folder)) {
        // Nothing was made, so nothing was chosen.
        HandleApplicationException(Exception("Unable to create directory"));
        return false;
    }
    directory_ = folder;
    return true;
}

bool TJvSelectDirectory::RunShellBrowser() {
    std::string start = directory_;
    if (!start.empty() && !DirectoryExists(start))
        start.clear();
    TComApartment apartment;
    TItemIdList root;
    if (!initialDir_.empty())
        root = ItemIdListOf(initialDir_);
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info{};
    HWND owner = GetActiveWindow();
    info.hwndOwner = owner ? owner : (Application ? Application->Handle() : nullptr);
    info.pidlRoot = root.Get();
    info.pszDisplayName = displayName;
    info.lpszTitle = title_.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&start);

    TItemIdList chosen;
    {
        std::vector<HWND> disabled = DisableTaskWindows(nullptr);
        struct TEnableAgain {
            const std::vector<HWND>& windows;
            ~TEnableAgain() { EnableTaskWindows(windows); }
        } enableAgain{disabled};
        TErrorModeGuard quiet;
        chosen.Reset(shBrowseForFolder(&info));
    }
    if (!chosen)
        return false;
    char path[MAX_PATH] = {};
    if (!shGetPathFromIdList(chosen.Get(), path))
        return false;
    directory_ = path;
    return true;
}
