#include "Main.h"

#include "Application.h"
#include "AtomicFile.h"
#include "Dialogs.h"
#include "FileClipboard.h"
#include "IniFile.h"
#include "Screen.h"
#include "SingleStart.h"
#include "SkinChoice.h"
#include "Streams.h"
#include "SysUtils.h"
#include "SystemFunction.h"
#include "TargetEntry.h"
#include "TransferChoice.h"
#include "TransferRequest.h"
#include "WindowPlacement.h"

#include <shellapi.h>

#include <algorithm>

namespace {
const char* const SettingsSection = "Settings";
constexpr int DefaultAlpha = 220;
constexpr int DefaultFontSize = 9;
// The shell is loaded at the first open or transfer, not before the window shows.
const TSystemFunction<decltype(&::ShellExecuteA)> shellExecute{"shell32.dll", "ShellExecuteA"};
const TSystemFunction<decltype(&::SHFileOperationW)> shFileOperation{"shell32.dll", "SHFileOperationW"};

// Shrinks the panel by a pixel and gives it back: the panel lays itself out
// and repaints, as the list itself tells it nothing.
class TRelayoutStep {
  public:
    explicit TRelayoutStep(TItemsPanel& panel) : panel_(panel) { panel_.SetWidth(panel_.Width() - 1); }
    TRelayoutStep(const TRelayoutStep&) = delete;
    TRelayoutStep& operator=(const TRelayoutStep&) = delete;
    ~TRelayoutStep() { panel_.SetWidth(panel_.Width() + 1); }

  private:
    TItemsPanel& panel_;
};

// Whether the window shows focus cues now: not before the keyboard is used (the system keeps
// that state, and the form as well, as not every system answers for it).
bool FocusCuesShown(const TWinControl& control) {
    const TCustomForm* form = control.ParentForm();
    if (form && (form->HiddenCues() & UISF_HIDEFOCUS))
        return false;
    return (SendMessageA(control.WindowHandle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

// The label beside the move switch is the switch's caption (its focus control): while the switch
// has the keyboard, a dotted ring round the text shows it, as round a check box's own caption.
// The switch has no text of its own, so neither the system nor the skin draws a cue for it.
class TSwitchCaption : public TLabel {
  public:
    using TLabel::TLabel;

  protected:
    void Paint() override {
        TLabel::Paint();
        TWinControl* owner = FocusControl();
        if (!owner || !owner->HandleAllocated() || GetFocus() != owner->Handle() || !FocusCuesShown(*owner))
            return;
        // Every other pixel in the text's colour, drawn opaque so that it shows on any skin.
        TCanvas& canvas = Canvas();
        const int right = std::min(Width(), canvas.TextWidth(Caption()) + 2);
        const int bottom = Height();
        const TColor ink = Font().Color();
        for (int x = 0; x < right; x += 2) {
            canvas.SetPixel(x, 0, ink);
            canvas.SetPixel(x, bottom - 1, ink);
        }
        for (int y = 0; y < bottom; y += 2) {
            canvas.SetPixel(0, y, ink);
            canvas.SetPixel(right - 1, y, ink);
        }
    }
};

// The move switch: its caption shows again when the switch gains or loses the keyboard, and when
// the window starts showing focus cues.
class TMoveSwitch : public TCheckBox {
  public:
    using TCheckBox::TCheckBox;
    TLabel* Caption = nullptr;

    void WndProc(TMessage& message) override {
        TCheckBox::WndProc(message);
        if ((message.Msg == WM_SETFOCUS || message.Msg == WM_KILLFOCUS || message.Msg == WM_UPDATEUISTATE) &&
            Caption)
            Caption->Invalidate();
    }
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        auto* list = reinterpret_cast<std::vector<TMonitorArea>*>(data);
        const RECT& m = info.rcMonitor;
        const RECT& w = info.rcWork;
        list->push_back({{m.left, m.top, m.right, m.bottom}, {w.left, w.top, w.right, w.bottom}});
    }
    return TRUE;
}

std::vector<TMonitorArea> Monitors() {
    std::vector<TMonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

// The profile calls read a file that another program holds as if it were empty.
bool Readable(const std::string& fileName) {
    TOwnedHandle file(CreateFileA(fileName.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

// Where the window shows when it is not minimized: closed from the task bar, it is still to
// come back there, not as its icon.
RECT RestoredBounds(HWND window, const RECT& bounds) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!window || !IsIconic(window) || !GetWindowPlacement(window, &placement))
        return bounds;
    // The placement is in workspace coordinates: relative to the work area of its monitor.
    RECT place = placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromRect(&place, MONITOR_DEFAULTTOPRIMARY), &monitor))
        OffsetRect(&place, monitor.rcWork.left - monitor.rcMonitor.left,
                   monitor.rcWork.top - monitor.rcMonitor.top);
    return place;
}
} // namespace

std::string AboutText() {
    return "Perchpoints 1.0\r\n\r\n"
           "Your favourite folders as big buttons: drop files on a button to copy them into that folder, "
           "or to move them there with the switch on; click a button to open the folder.\r\n\r\n"
           "This program comes without any warranty. It hands every copy and move to the system's own file "
           "service; check what you move, and keep copies of what you cannot lose.\r\n\r\n"
           "Free to use and to pass on, at no cost, for any purpose.\r\n\r\n"
           "Written by the Perchpoints developers.";
}

TForm1::TForm1(TComponent* owner, const std::string& basePath) : TForm(owner) {
    std::string base = basePath.empty() ? ExeFileName() : basePath;
    targetsPath_ = ChangeFileExt(base, ".dat");
    OnOpenFolder = Bind<&TForm1::ShellOpenFolder>(this);
    OnFileOperation = Bind<&TForm1::ShellFileOperation>(this);
    undo_.OnChange = [this] { UpdateUndoCommand(); };
    BeginLoading();
    BuildLayout();
    EndLoading();
    OnCreate = Bind<&TForm1::FormCreate>(this);
    DoCreate();
}

// The skin component and the store of the eight built-in skins. The component holds its own
// copy of the second skin until the saved one is selected at start; it comes first, so that
// the window's size is laid out for the skin's frame.
void TForm1::BuildSkin() {
    HINSTANCE module = GetModuleHandleA(nullptr);
    SkinStore1 = new TSkinStore(this);
    SkinStore1->SetName("SkinStore1");
    LoadSkinStoreResources(*SkinStore1, module);

    SkinData1 = new TSkinData(this);
    SkinData1->SetName("SkinData1");
    SkinData1->SetActive(true);
    SkinData1->SetDisableTag(99);
    TSkinControlTypes controls = 0;
    for (TSkinControlType type :
         {xcMainMenu, xcPopupMenu, xcMenuItem,  xcControlbar, xcCombo,    xcCheckBox,    xcRadioButton,
          xcProgress, xcScrollbar, xcEdit,      xcButton,     xcBitBtn,   xcSpeedButton, xcSpin,
          xcPanel,    xcGroupBox,  xcStatusBar, xcTab,        xcTrackBar, xcSystemMenu})
        controls |= SkinControlBit(type);
    SkinData1->SetSkinControls(controls);
    SkinData1->SetOptions(SkinOptionBit(xoPreview) | SkinOptionBit(xoToolbarBK) | SkinOptionBit(xoMenuBG) |
                          SkinOptionBit(xoCaptionButtonHint));
    SkinData1->SetSkinFormtype(sfMainform);
    if (LoadSkinStreamResource(SkinData1->PackedSkin(), module))
        SkinData1->UnpackSkinWhenNeeded();
}

void TForm1::BuildLayout() {
    BuildSkin();
    SetName("Form1");
    SetCaption("Perchpoints");
    SetBorderIcons(biSystemMenu | biMinimize);
    SetFormStyle(fsStayOnTop);
    SetAlphaBlend(true);
    SetAlphaBlendValue(210);
    SetColor(clBtnFace);
    Font().SetName("Arial");
    Font().SetHeight(-12);
    Font().SetColor(clMaroon);
    Font().SetCharset(ANSI_CHARSET);
    SetKeyPreview(true);
    Constraints().SetMinWidth(210);
    SetBounds(859, 266, Width(), Height());
    SetClientSize(272, 156);
    OnShow = Bind<&TForm1::FormShow>(this);
    OnClose = Bind<&TForm1::FormClose>(this);
    OnKeyDown = Bind<&TForm1::FormKeyDown>(this);
    OnMouseWheelUp = Bind<&TForm1::FormMouseWheelUp>(this);
    OnMouseWheelDown = Bind<&TForm1::FormMouseWheelDown>(this);

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    Create1 = AddMenuItem("Create1", "Create new perchpoint", 0, Bind<&TForm1::Create1Click>(this));
    Createshorttitle1 = AddMenuItem("Createshorttitle1", "Set perchpoint short title", 0,
                                    Bind<&TForm1::Createshorttitle1Click>(this));
    Delete1 = AddMenuItem("Delete1", "Delete current perchpoint", 0, Bind<&TForm1::Delete1Click>(this));
    N2 = AddMenuItem("N2", "-", 1, nullptr);
    Shorten = AddMenuItem("Shorten", "Use short titles", 1, Bind<&TForm1::ShortenClick>(this));
    Shorten->SetChecked(true);
    Shorten->SetAutoCheck(true);
    Reload = AddMenuItem("Reload", "Reload targets", 1, Bind<&TForm1::ReloadClick>(this));
    Fontsize1 = AddMenuItem("Fontsize1", "Font size+", 1, Bind<&TForm1::Fontsize1Click>(this));
    Fontsize2 = AddMenuItem("Fontsize2", "Font size-", 1, Bind<&TForm1::Fontsize2Click>(this));
    Changeskin1 = AddMenuItem("Changeskin1", "Change skin", 1, Bind<&TForm1::Changeskin1Click>(this));
    N1 = AddMenuItem("N1", "-", 1, nullptr);
    EXIT1 = AddMenuItem("EXIT1", "EXIT", 1, Bind<&TForm1::EXIT1Click>(this));
    About1 = AddMenuItem("About1", "About", 1, Bind<&TForm1::About1Click>(this));

    panels1 = new TItemsPanel(this);
    panels1->SetName("panels1");
    panels1->SetParent(this);
    panels1->SetAlign(alClient);
    panels1->Constraints().SetMinHeight(70);
    panels1->SetColor(cl3DLight);
    panels1->Font().SetName("Arial");
    panels1->Font().SetSize(9);
    panels1->Font().SetColor(clMaroon);
    panels1->Font().SetCharset(ANSI_CHARSET);
    panels1->SetAutoSize(true);
    panels1->SetAutoGrow(false);
    panels1->SetItemHeight(50);
    panels1->SetHotTrack(false);
    panels1->SetPopupMenu(PopupMenu1);
    panels1->OnMouseDown = Bind<&TForm1::panels1MouseDown>(this);
    panels1->OnItemClick = Bind<&TForm1::panels1ItemClick>(this);
    panels1->OnItemIndexChange = Bind<&TForm1::panels1ItemIndexChange>(this);
    panels1->SetItemIndex(currentItem_);

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetAlign(alBottom);
    Panel1->SetHeight(24);
    Panel1->SetCaption("");

    auto* moveSwitch = new TMoveSwitch(this);
    movchk = moveSwitch;
    movchk->SetName("movchk");
    movchk->SetParent(Panel1);
    movchk->SetBounds(29, 6, 16, 13);
    movchk->SetCaption("");
    movchk->SetHint("COPY or MOVE files");
    movchk->SetShowHint(true);
    movchk->OnClick = Bind<&TForm1::movchkClick>(this);

    Label1 = new TSwitchCaption(this);
    Label1->SetFocusControl(movchk);
    moveSwitch->Caption = Label1;
    Label1->SetName("Label1");
    Label1->SetParent(Panel1);
    Label1->SetBounds(48, 4, 58, 15);
    Label1->SetCaption("Copy Files");
    Label1->Font().SetName("Arial");
    Label1->Font().SetSize(9);
    Label1->Font().SetColor(clBlack);

    JvLED1 = new TJvLED(this);
    JvLED1->SetName("JvLED1");
    JvLED1->SetParent(Panel1);
    JvLED1->SetBounds(8, 4, 17, 17);
    JvLED1->SetStatus(false);

    sd1 = new TJvSelectDirectory(this);
    sd1->SetName("sd1");

    JvDragDrop1 = new TJvDragDrop(this);
    JvDragDrop1->SetName("JvDragDrop1");
    JvDragDrop1->SetDropTarget(panels1);
    JvDragDrop1->OnDrop = Bind<&TForm1::JvDragDrop1Drop>(this);

    JvDragDrop2 = new TJvDragDrop(this);
    JvDragDrop2->SetName("JvDragDrop2");
    JvDragDrop2->SetDropTarget(Panel1);
    JvDragDrop2->OnDrop = Bind<&TForm1::JvDragDrop2Drop>(this);

    // Never so low that the panel covers the bottom strip: the strip and one row of buttons
    // (the panel's own minimum) stay in view, whatever frame the window wears (the skin's
    // frame may be thicker or thinner than the system's, and changes with the skin and Ctrl+S).
    SetMinClientHeight(Panel1->Height() + panels1->Constraints().MinHeight());

    SetActiveControl(panels1);
}

TMenuItem* TForm1::AddMenuItem(const char* name, const char* caption, int groupIndex, TNotifyEvent onClick) {
    auto* item = new TMenuItem(this);
    item->SetName(name);
    item->SetCaption(caption);
    item->SetGroupIndex(groupIndex);
    item->OnClick = onClick;
    PopupMenu1->Items().Add(item);
    return item;
}

// ---- start and close

void TForm1::FormCreate(TObject*) {
    settingsPath_ = ChangeFileExt(targetsPath_, ".ini");
    // A failing step is reported; the steps after it are left out and the
    // window opens with what was set up until then.
    try {
        LoadTargets();
        ReadSettings();
        filesRead_ = true;
        SkinData1->LoadFromStore(*SkinStore1, skinNumber_);
    } catch (const std::exception& error) {
        HandleApplicationException(error);
    }
    if (!listRead_)
        listAtStart_ = panels1->Items().Lines();
}

void TForm1::FormShow(TObject*) {}

void TForm1::FormClose(TObject*, TCloseAction&) {
    if (listRead_) {
        SaveTargets();
    } else if (panels1->Items().Lines() != listAtStart_) {
        // The file holds what could not be read at start; the list in hand replaces it only
        // when the user says so. An unchanged list leaves it alone.
        const std::string question =
            "The target list \"" + targetsPath_ +
            "\" could not be read at start, and the targets have been changed since.\r\n\r\n"
            "Save the current targets over it?";
        if (MessageBoxA(Handle(), question.c_str(), "Perchpoints", MB_ICONQUESTION | MB_YESNO) == IDYES)
            SaveTargets();
    }
    // Settings that could not be read at start are not replaced by the layout's.
    if (filesRead_ && settingsRead_)
        WriteSettings();
}

void TForm1::ReadTargetsFile(TStringList& list) {
    std::string bytes;
    {
        TFileStream stream(targetsPath_, fmOpenRead);
        bytes.resize(static_cast<size_t>(std::max<std::int64_t>(stream.Size(), 0)));
        bytes.resize(stream.Read(bytes.data(), bytes.size()));
    }
    list.SetText(bytes);
    // The list ends at a NUL; what follows it would be gone with the first save, so the file as
    // it is now is kept aside until then.
    const size_t nul = bytes.find('\0');
    if (nul != std::string::npos && nul + 1 < bytes.size())
        unreadTail_ = std::move(bytes);
    else
        unreadTail_.clear();
}

void TForm1::LoadTargets() {
    if (FileExists(targetsPath_))
        ReadTargetsFile(panels1->Items());
    listRead_ = true;
}

void TForm1::SaveTargets() {
    if (!unreadTail_.empty()) {
        // Once: a backup that is already there is the older, and stays.
        const std::string backup = targetsPath_ + ".bak";
        if (!FileExists(backup))
            WriteFileReplacing(backup, unreadTail_.data(), unreadTail_.size());
        unreadTail_.clear();
    }
    panels1->Items().SaveToFile(targetsPath_);
}

void TForm1::ReadSettings() {
    // A settings file that is there but cannot be read gives the defaults; they must not
    // take its place on close.
    settingsRead_ = !FileExists(settingsPath_) || Readable(settingsPath_);
    TIniFile ini(settingsPath_);
    // Values far beyond any screen (the system keeps nothing past 16 bits anyway) are cut down
    // first, so that no edge computed from them overflows.
    auto coordinate = [](int value) { return std::clamp(value, -32768, 32767); };
    auto extent = [](int value) { return std::clamp(value, 0, 32767); };
    int left = coordinate(ini.ReadInteger(SettingsSection, "Left", Left()));
    int top = coordinate(ini.ReadInteger(SettingsSection, "Top", Top()));
    int width = extent(ini.ReadInteger(SettingsSection, "Right", Width()));
    int height = extent(ini.ReadInteger(SettingsSection, "Bottom", Height()));
    // A position left on a monitor that is gone comes back into view.
    TScreenRect placed = KeepOnScreen(TScreenRect{left, top, left + width, top + height}, Monitors());
    SetBounds(placed.Left, placed.Top, width, height);
    movchk->SetChecked(ini.ReadInteger(SettingsSection, "Move", 0) != 0);
    skinNumber_ = ini.ReadInteger(SettingsSection, "Skin", 0);
    SetAlphaBlendValue(static_cast<BYTE>(ini.ReadInteger(SettingsSection, "Alpha", DefaultAlpha) & 0xFF));
    panels1->Font().SetSize(ini.ReadInteger(SettingsSection, "fSize", DefaultFontSize));
}

void TForm1::WriteSettings() {
    TIniFile ini(settingsPath_);
    RECT place = RestoredBounds(WindowHandle(), BoundsRect());
    ini.WriteInteger(SettingsSection, "Left", place.left);
    ini.WriteInteger(SettingsSection, "Top", place.top);
    ini.WriteInteger(SettingsSection, "Right", place.right - place.left);
    ini.WriteInteger(SettingsSection, "Bottom", place.bottom - place.top);
    ini.WriteString(SettingsSection, "Move", movchk->Checked() ? "1" : "0");
    ini.WriteInteger(SettingsSection, "Skin", skinNumber_);
    ini.WriteInteger(SettingsSection, "Alpha", AlphaBlendValue());
    ini.WriteInteger(SettingsSection, "fSize", panels1->Font().Size());
    ini.UpdateFile();
}

// ---- window-level commands

void TForm1::FormKeyDown(TObject*, WORD& key, TShiftState shift) {
    // Other modifiers are not looked at, and the key goes on.
    if ((shift & ssCtrl) && key == 0x53)
        ToggleSkin();
    else if ((shift & ssCtrl) && key == 'V')
        PasteFiles(shift);
    else if (key == 'Z' && (shift & (ssCtrl | ssShift | ssAlt)) == ssCtrl) {
        key = 0;
        UndoLastTransfer();
    }
}

void TForm1::ToggleSkin() {
    SkinData1->SetActive(!SkinData1->Active());
}

void TForm1::FormMouseWheelUp(TObject*, TShiftState, POINT, bool&) {
    if (AlphaBlendValue() > 100)
        SetAlphaBlendValue(static_cast<BYTE>(AlphaBlendValue() - 2));
}

void TForm1::FormMouseWheelDown(TObject*, TShiftState, POINT, bool&) {
    if (AlphaBlendValue() < 250)
        SetAlphaBlendValue(static_cast<BYTE>(AlphaBlendValue() + 2));
}

void TForm1::movchkClick(TObject*) {
    Label1->SetCaption(movchk->Checked() ? "Move files" : "Copy files");
}

void TForm1::Fontsize1Click(TObject*) {
    panels1->Font().SetSize(panels1->Font().Size() + 1);
}

void TForm1::Fontsize2Click(TObject*) {
    panels1->Font().SetSize(panels1->Font().Size() - 1);
}

void TForm1::Changeskin1Click(TObject*) {
    skinNumber_ = NextSkinNumber(skinNumber_, SkinStore1->Store().Count());
    SkinData1->LoadFromStore(*SkinStore1, skinNumber_);
}

void TForm1::EXIT1Click(TObject*) {
    Close();
}

void TForm1::About1Click(TObject*) {
    MessageDlg(AboutText(), mtInformation, {});
}

// ---- targets

void TForm1::panels1MouseDown(TObject*, TMouseButton, TShiftState, int x, int y) {
    currentItem_ = panels1->ItemIndexAt(x, y);
}

// The keyboard moved the panel's focus to another target: the menu's commands are for it now.
void TForm1::panels1ItemIndexChange(TObject*, int itemIndex) {
    currentItem_ = itemIndex;
}

void TForm1::panels1ItemClick(TObject*, int itemIndex) {
    if (itemIndex < 0 || itemIndex >= panels1->Items().Count())
        return;
    std::string path(TargetPath(panels1->Items()[itemIndex]));
    if (DirectoryExists(path)) {
        if (OnOpenFolder)
            OnOpenFolder(this, path);
        panels1->Repaint();
    } else {
        ShowMessage("Target folder not available!");
    }
}

void TForm1::ShellOpenFolder(TObject*, const std::string& path) {
    shellExecute(Handle(), "Open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TForm1::Create1Click(TObject*) {
    if (!sd1->ChooseFolder())
        return;
    TRelayoutStep relayout(*panels1);
    panels1->Items().Add(sd1->Directory());
}

void TForm1::Createshorttitle1Click(TObject*) {
    TStringList& items = panels1->Items();
    if (currentItem_ < 0 || currentItem_ >= items.Count())
        return;
    TRelayoutStep relayout(*panels1);
    std::string entry = items[currentItem_];
    std::string prompt = "Short title: " + std::string(TargetShortTitle(entry));
    std::string title = InputBox("Enter short title", prompt, "");
    if (!title.empty())
        items.SetString(currentItem_, WithShortTitle(entry, title));
}

void TForm1::Delete1Click(TObject*) {
    TStringList& items = panels1->Items();
    if (currentItem_ < 0 || currentItem_ >= items.Count())
        return;
    TRelayoutStep relayout(*panels1);
    items.Delete(currentItem_);
}

void TForm1::ShortenClick(TObject*) {
    TRelayoutStep relayout(*panels1);
    panels1->SetShortPanelTitle(Shorten->Checked());
}

void TForm1::ReloadClick(TObject*) {
    if (!FileExists(targetsPath_))
        return;
    // Read first: a file that cannot be read leaves the list in hand (which close saves)
    // instead of an empty one.
    TStringList loaded;
    ReadTargetsFile(loaded);
    TRelayoutStep relayout(*panels1);
    panels1->Items().Assign(loaded);
    // The list is the file's content again, and is saved on close as usual.
    listRead_ = true;
}

// ---- drops

namespace {
// The dropped paths exactly as the shell named them. A drop that did not
// come through a receiver has only the ANSI list to go by.
const std::vector<std::wstring>& DroppedPaths(TObject* sender, const TStringList& value,
                                              std::vector<std::wstring>& converted) {
    auto* receiver = dynamic_cast<TJvDragDrop*>(sender);
    if (receiver && &receiver->Files() == &value &&
        receiver->WideFiles().size() == static_cast<size_t>(value.Count()))
        return receiver->WideFiles();
    converted.clear();
    for (const std::string& path : value)
        converted.push_back(WidePath(path));
    return converted;
}
} // namespace

void TForm1::JvDragDrop1Drop(TObject* sender, POINT pos, TStringList& value) {
    transferDestination_.clear();
    const int index = panels1->ItemIndexAt(pos.x, pos.y);
    if (index < 0 || index >= panels1->Items().Count())
        return;
    // Shift moves and Ctrl copies, whatever the switch says.
    TTransferKeys keys;
    if (auto* receiver = dynamic_cast<TJvDragDrop*>(sender)) {
        keys.Shift = (receiver->DropShiftState() & ssShift) != 0;
        keys.Ctrl = (receiver->DropShiftState() & ssCtrl) != 0;
    }
    const bool move = ChooseTransfer(movchk->Checked(), keys) == TTransferMode::Move;
    std::vector<std::wstring> converted;
    TransferToTarget(index, DroppedPaths(sender, value, converted), move ? FO_MOVE : FO_COPY);
}

void TForm1::PasteFiles(TShiftState shift) {
    transferDestination_.clear();
    const int index = currentItem_;
    if (index < 0 || index >= panels1->Items().Count())
        return;
    TClipboardFiles files;
    switch (ReadClipboardFiles(Handle(), files)) {
    case TClipboardRead::Busy:
        ShowMessage(ClipboardBusyText);
        return;
    case TClipboardRead::NoFiles:
        return;
    case TClipboardRead::Files:
        break;
    }
    // The Ctrl of Ctrl+V is the command's own, not a request to copy; Shift still moves.
    const TTransferKeys keys{(shift & ssShift) != 0, false};
    const auto preference = files.DropEffect ? PreferredTransfer(*files.DropEffect) : std::nullopt;
    const bool move = ChooseTransfer(movchk->Checked(), keys, preference) == TTransferMode::Move;
    const bool done = TransferToTarget(index, files.Paths, move ? FO_MOVE : FO_COPY);
    // Files cut and now moved are gone from where the clipboard names them: Explorer is told, and
    // the clipboard lets go of them. Any of them still there (the user skipped it) keeps the cut.
    if (done && move && preference == TTransferMode::Move &&
        std::all_of(files.Paths.begin(), files.Paths.end(), [](const std::wstring& path) {
            return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
        }))
        SettleMovedPaste(Handle(), files);
}

bool TForm1::TransferToTarget(int index, const std::vector<std::wstring>& paths, UINT operation) {
    // Whatever happens from here on, the lamp goes out and the cursor comes back.
    class TTransferScope {
      public:
        explicit TTransferScope(TForm1& form) : form_(form), cursor_(Screen->Cursor()) {
            Screen->SetCursor(crHourGlass);
        }
        TTransferScope(const TTransferScope&) = delete;
        TTransferScope& operator=(const TTransferScope&) = delete;
        ~TTransferScope() {
            if (lit_)
                --form_.transfersRunning_;
            if (form_.transfersRunning_ == 0)
                form_.JvLED1->SetStatus(false);
            Screen->SetCursor(cursor_);
        }
        void LightLed() {
            lit_ = true;
            ++form_.transfersRunning_;
            form_.JvLED1->SetStatus(true);
            form_.ShowLedNow();
        }

      private:
        TForm1& form_;
        TCursor cursor_;
        bool lit_ = false;
    };

    {
        TTransferScope scope(*this);
        transferDestination_ = std::string(TargetPath(panels1->Items()[index])) + "\\";
        if (!DirectoryExists(transferDestination_)) {
            ShowMessage("Target folder not available!");
            return false;
        }
        scope.LightLed();
        Sleep(200);
        transferFailed_ = TransferFiles(paths, transferDestination_, operation);
    }
    ActivateAfterTransfer();
    // The shell says nothing itself about a request it refused as a whole; the lamp is out by now.
    if (transferResult_ != 0 && !transferAborted_)
        ShowMessage(TransferFailureText(operation, transferResult_));
    return !transferFailed_;
}

void TForm1::ActivateAfterTransfer() {
    // The shell's dialogs belong to the hidden application window, and when one closes the system
    // makes that window the active one: the keys (Ctrl+Z) would go nowhere until a click. While
    // another transfer's dialog is still open, that dialog keeps the front.
    HWND window = WindowHandle();
    if (!window || transfersRunning_ > 0 || !IsWindowVisible(window) || IsIconic(window) ||
        !IsWindowEnabled(window))
        return;
    if (GetForegroundWindow() != window)
        SetForegroundWindow(window);
    if (GetActiveWindow() != window)
        SetActiveWindow(window);
}

bool TForm1::TransferFiles(const std::vector<std::wstring>& paths, const std::string& destination,
                           UINT operation) {
    transferResult_ = 0;
    transferAborted_ = false;
    if (paths.empty())
        return false;
    // A move of several names into one folder is refused as a whole by some shells (Wine's
    // cancels it unless a folder is among them), while one destination per source is taken by
    // all: still one request, so one progress display and the shell's own conflict questions.
    const TTransferLists lists = MakeTransferLists(paths, WidePath(destination), operation == FO_MOVE);

    SHFILEOPSTRUCTW request{};
    // The shell's dialogs belong to the application, not to the window that stays on top.
    request.hwnd = Application->Handle();
    request.wFunc = operation;
    request.pFrom = lists.From.c_str();
    request.pTo = lists.To.c_str();
    request.fFlags = lists.OneDestinationEach ? FOF_MULTIDESTFILES : 0;
    request.fAnyOperationsAborted = FALSE;
    // What arrives is told from the folder before and after: the shell may rename, skip or stop.
    TLastTransferUndo::TWatch watch(undo_, paths, WidePath(destination), operation == FO_MOVE);
    transferResult_ = OnFileOperation ? OnFileOperation(this, request) : shFileOperation(&request);
    transferAborted_ = request.fAnyOperationsAborted != FALSE;
    watch.Arrived();
    return transferResult_ != 0 || transferAborted_;
}

std::string TransferFailureText(UINT operation, int code) {
    std::string reason = ShellOwnErrorText(static_cast<unsigned>(code));
    if (reason.empty())
        reason = SysErrorMessage(static_cast<unsigned long>(code));
    char number[16];
    wsprintfA(number, "0x%X", static_cast<unsigned>(code));
    std::string text =
        operation == FO_MOVE ? "The files could not be moved" : "The files could not be copied";
    text += " (error ";
    text += number;
    text += ")";
    if (!reason.empty())
        text += ": " + reason;
    else
        text += ".";
    return text;
}

void TForm1::ShowLedNow() {
    if (!Panel1->HandleAllocated())
        return;
    JvLED1->Repaint();
    GdiFlush();
    // Wine hands a window's drawing to the X server when the thread next looks at its queue and
    // finds nothing; painting alone does not, and the pause and the shell call that follow
    // would keep the lit lamp off the screen. A look for a message that nobody sends does it.
    static const UINT nothing = RegisterWindowMessageA("Perchpoints.NothingPending");
    MSG message;
    if (nothing)
        PeekMessageA(&message, Panel1->Handle(), nothing, nothing, PM_NOREMOVE);
}

int TForm1::ShellFileOperation(TObject*, SHFILEOPSTRUCTW& request) {
    return shFileOperation(&request);
}

void TForm1::JvDragDrop2Drop(TObject* sender, POINT, TStringList& value) {
    if (value.Count() == 0)
        return;
    std::vector<std::wstring> converted;
    const std::wstring& path = DroppedPaths(sender, value, converted).front();
    // A plain folder only: attributes exactly "directory", nothing else set.
    if (GetFileAttributesW(path.c_str()) != FILE_ATTRIBUTE_DIRECTORY)
        return;
    // The target list is ANSI text; a path it cannot hold would come back
    // naming another folder, or none.
    if (!IsAnsiPath(path)) {
        ShowMessage(
            "This folder cannot be a target: its path contains characters that the target list cannot "
            "store.");
        return;
    }
    if (MessageBoxA(Handle(), "Do you want to create a new target?", "NEW TARGET",
                    MB_ICONQUESTION | MB_YESNO) != IDYES)
        return;
    TRelayoutStep relayout(*panels1);
    panels1->Items().Add(AnsiPath(path));
}

// ---- undo of the last transfer

void TForm1::CreateHandleFinished() {
    TForm::CreateHandleFinished();
    // The window starts with its focus cues hidden, as a dialog opened with the mouse does: a
    // user who never uses the keyboard sees none. The toolkit shows them at the first Tab or
    // arrow key.
    SendMessageA(WindowHandle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    // The window's own command in its system menu, as Windows programs put theirs there.
    if (HMENU menu = GetSystemMenu(WindowHandle(), FALSE)) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, UndoCommand, "Undo last transfer");
    }
    UpdateUndoCommand();
}

void TForm1::UpdateUndoCommand() {
    if (!WindowHandle())
        return;
    // Grey and disabled both, as the skinned system menu takes only that for disabled.
    if (HMENU menu = GetSystemMenu(WindowHandle(), FALSE))
        EnableMenuItem(menu, UndoCommand,
                       MF_BYCOMMAND | (CanUndoLastTransfer() ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
}

void TForm1::WndProc(TMessage& message) {
    // A second start from this folder asks the window to come back instead of opening its own.
    if (message.Msg == TSingleStart::ShowRunningMessage() && message.Msg != 0) {
        HWND window = WindowHandle();
        if (IsIconic(window))
            ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
        message.Result = 1;
        return;
    }
    // The low four bits of a system command are the system's own.
    if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == UndoCommand) {
        message.Result = 0;
        UndoLastTransfer();
        return;
    }
    TForm::WndProc(message);
}

void TForm1::UndoLastTransfer() {
    // Never silent: when nothing can be handed to the shell, the user is told why.
    if (!undo_.CanUndo()) {
        const char* why = undo_.Busy() ? "A transfer is under way: it can be undone when it has ended."
                          : undo_.Record()
                              ? "Nothing was undone: the last transfer brought nothing into the target."
                              : "There is no transfer to undo.";
        MessageDlg(why, mtInformation, {mbOK});
        return;
    }
    const bool move = undo_.Record()->Move;
    const std::vector<TUndoStep> plan = undo_.Undo(Application->Handle(), [this](SHFILEOPSTRUCTW& request) {
        return OnFileOperation ? OnFileOperation(this, request) : shFileOperation(&request);
    });
    ActivateAfterTransfer();
    MessageDlg(UndoMessage(move, plan, [](const std::wstring& name) { return AnsiPath(name); }),
               mtInformation, {mbOK});
}
