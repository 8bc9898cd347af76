#include "Main.h"

#include "Application.h"
#include "Dialogs.h"
#include "IniFile.h"
#include "SysUtils.h"
#include "TargetEntry.h"
#include "WindowPlacement.h"

#include <shellapi.h>

namespace {
const char* const SettingsSection = "Settings";
constexpr int DefaultAlpha = 220;
constexpr int DefaultFontSize = 9;

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

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MONITORINFO info {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        auto* list = reinterpret_cast<std::vector<TMonitorArea>*>(data);
        const RECT& m = info.rcMonitor;
        const RECT& w = info.rcWork;
        list->push_back({{m.left, m.top, m.right, m.bottom}, {w.left, w.top, w.right, w.bottom}});
    }
    return TRUE;
}

std::vector<TMonitorArea> Monitors()
{
    std::vector<TMonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}
} // namespace

std::string AboutText()
{
    return "Perchpoints 1.0\r\n\r\n"
           "Your favourite folders as big buttons: drop files on a button to copy them into that folder, "
           "or to move them there with the switch on; click a button to open the folder.\r\n\r\n"
           "This program comes without any warranty. It hands every copy and move to the system's own file "
           "service; check what you move, and keep copies of what you cannot lose.\r\n\r\n"
           "Free to use and to pass on, at no cost, for any purpose.\r\n\r\n"
           "Written by the Perchpoints developers.";
}

TForm1::TForm1(TComponent* owner, const std::string& basePath) : TForm(owner)
{
    std::string base = basePath.empty() ? ExeFileName() : basePath;
    targetsPath_ = ChangeFileExt(base, ".dat");
    OnOpenFolder = Bind<&TForm1::ShellOpenFolder>(this);
    BeginLoading();
    BuildLayout();
    EndLoading();
    OnCreate = Bind<&TForm1::FormCreate>(this);
    DoCreate();
}

void TForm1::BuildLayout()
{
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
    Createshorttitle1 =
        AddMenuItem("Createshorttitle1", "Set perchpoint short title", 0, Bind<&TForm1::Createshorttitle1Click>(this));
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

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetAlign(alBottom);
    Panel1->SetHeight(24);
    Panel1->SetCaption("");

    movchk = new TCheckBox(this);
    movchk->SetName("movchk");
    movchk->SetParent(Panel1);
    movchk->SetBounds(29, 6, 16, 13);
    movchk->SetCaption("");
    movchk->SetHint("COPY or MOVE files");
    movchk->SetShowHint(true);
    movchk->OnClick = Bind<&TForm1::movchkClick>(this);

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(Panel1);
    Label1->SetBounds(48, 4, 58, 15);
    Label1->SetCaption("Copy Files");
    Label1->Font().SetName("Arial");
    Label1->Font().SetSize(9);
    Label1->Font().SetColor(clBlack);

    SetActiveControl(panels1);
}

TMenuItem* TForm1::AddMenuItem(const char* name, const char* caption, int groupIndex, TNotifyEvent onClick)
{
    auto* item = new TMenuItem(this);
    item->SetName(name);
    item->SetCaption(caption);
    item->SetGroupIndex(groupIndex);
    item->OnClick = onClick;
    PopupMenu1->Items().Add(item);
    return item;
}

// ---- start and close

void TForm1::FormCreate(TObject*)
{
    settingsPath_ = ChangeFileExt(targetsPath_, ".ini");
    // A failing step is reported; the steps after it are left out and the
    // window opens with what was set up until then.
    try {
        LoadTargets();
        ReadSettings();
        // The skin of number skinNumber_ is selected here once the skin store exists.
    } catch (const std::exception& error) {
        HandleApplicationException(error);
    }
}

void TForm1::FormShow(TObject*) {}

void TForm1::FormClose(TObject*, TCloseAction&)
{
    SaveTargets();
    WriteSettings();
}

void TForm1::LoadTargets()
{
    if (FileExists(targetsPath_))
        panels1->Items().LoadFromFile(targetsPath_);
}

void TForm1::SaveTargets() { panels1->Items().SaveToFile(targetsPath_); }

void TForm1::ReadSettings()
{
    TIniFile ini(settingsPath_);
    int left = ini.ReadInteger(SettingsSection, "Left", Left());
    int top = ini.ReadInteger(SettingsSection, "Top", Top());
    int width = ini.ReadInteger(SettingsSection, "Right", Width());
    int height = ini.ReadInteger(SettingsSection, "Bottom", Height());
    // A position left on a monitor that is gone comes back into view.
    TScreenRect placed = KeepOnScreen(TScreenRect {left, top, left + width, top + height}, Monitors());
    SetBounds(placed.Left, placed.Top, width, height);
    movchk->SetChecked(ini.ReadInteger(SettingsSection, "Move", 0) != 0);
    skinNumber_ = ini.ReadInteger(SettingsSection, "Skin", 0);
    SetAlphaBlendValue(static_cast<BYTE>(ini.ReadInteger(SettingsSection, "Alpha", DefaultAlpha) & 0xFF));
    panels1->Font().SetSize(ini.ReadInteger(SettingsSection, "fSize", DefaultFontSize));
}

void TForm1::WriteSettings()
{
    TIniFile ini(settingsPath_);
    ini.WriteInteger(SettingsSection, "Left", Left());
    ini.WriteInteger(SettingsSection, "Top", Top());
    ini.WriteInteger(SettingsSection, "Right", Width());
    ini.WriteInteger(SettingsSection, "Bottom", Height());
    ini.WriteString(SettingsSection, "Move", movchk->Checked() ? "1" : "0");
    ini.WriteInteger(SettingsSection, "Skin", skinNumber_);
    ini.WriteInteger(SettingsSection, "Alpha", AlphaBlendValue());
    ini.WriteInteger(SettingsSection, "fSize", panels1->Font().Size());
    ini.UpdateFile();
}

// ---- window-level commands

void TForm1::FormKeyDown(TObject*, WORD& key, TShiftState shift)
{
    // Other modifiers are not looked at, and the key goes on.
    if ((shift & ssCtrl) && key == 0x53)
        ToggleSkin();
}

// Skinning is switched by the skin component, which the skin engine adds.
void TForm1::ToggleSkin() {}

void TForm1::FormMouseWheelUp(TObject*, TShiftState, POINT, bool&)
{
    if (AlphaBlendValue() > 100)
        SetAlphaBlendValue(static_cast<BYTE>(AlphaBlendValue() - 2));
}

void TForm1::FormMouseWheelDown(TObject*, TShiftState, POINT, bool&)
{
    if (AlphaBlendValue() < 250)
        SetAlphaBlendValue(static_cast<BYTE>(AlphaBlendValue() + 2));
}

void TForm1::movchkClick(TObject*) { Label1->SetCaption(movchk->Checked() ? "Move files" : "Copy files"); }

void TForm1::Fontsize1Click(TObject*) { panels1->Font().SetSize(panels1->Font().Size() + 1); }

void TForm1::Fontsize2Click(TObject*) { panels1->Font().SetSize(panels1->Font().Size() - 1); }

// Skins are stepped through once the skin store exists.
void TForm1::Changeskin1Click(TObject*) {}

void TForm1::EXIT1Click(TObject*) { Close(); }

void TForm1::About1Click(TObject*) { MessageDlg(AboutText(), mtInformation, {}); }

// ---- targets

void TForm1::panels1MouseDown(TObject*, TMouseButton, TShiftState, int x, int y)
{
    currentItem_ = panels1->ItemIndexAt(x, y);
}

void TForm1::panels1ItemClick(TObject*, int itemIndex)
{
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

void TForm1::ShellOpenFolder(TObject*, const std::string& path)
{
    ShellExecuteA(Handle(), "Open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The folder chooser arrives with its own component.
void TForm1::Create1Click(TObject*) {}

void TForm1::Createshorttitle1Click(TObject*)
{
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

void TForm1::Delete1Click(TObject*)
{
    TStringList& items = panels1->Items();
    if (currentItem_ < 0 || currentItem_ >= items.Count())
        return;
    TRelayoutStep relayout(*panels1);
    items.Delete(currentItem_);
}

void TForm1::ShortenClick(TObject*)
{
    TRelayoutStep relayout(*panels1);
    panels1->SetShortPanelTitle(Shorten->Checked());
}

void TForm1::ReloadClick(TObject*)
{
    if (!FileExists(targetsPath_))
        return;
    panels1->Items().Clear();
    TRelayoutStep relayout(*panels1);
    panels1->Items().LoadFromFile(targetsPath_);
}
