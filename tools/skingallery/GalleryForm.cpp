#include "GalleryForm.h"

#include "Buttons.h"
#include "ComCtrls.h"
#include "Edit.h"
#include "GlyphButtons.h"
#include "GroupBox.h"
#include "Handles.h"
#include "ImageList.h"
#include "Label.h"
#include "ListControls.h"
#include "Menus.h"
#include "Panel.h"
#include "Spin.h"
#include "Timer.h"
#include "ToolBar.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinStore.h"

#include <commctrl.h>

#include <string>

namespace {

template <class T>
T* Place(TWinControl* parent, TComponent* owner, int left, int top, int width, int height) {
    auto* control = new T(owner);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

// A 16 x 16 glyph of our own: a filled square of one colour with a darker border, on white
// (the transparent colour of glyph bitmaps is their bottom-left pixel).
void MakeGlyph(TBitmap& glyph, TColor fill, int cells = 1) {
    glyph.SetSize(16 * cells, 16);
    for (int cell = 0; cell < cells; ++cell)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool inside = x >= 2 && x <= 13 && y >= 3 && y <= 13;
                const bool edge = inside && (x == 2 || x == 13 || y == 3 || y == 13);
                const TColor colour = cell == 1 ? TColor(0x808080) : fill;
                glyph.SetPixelColor(cell * 16 + x, y,
                                    !inside ? TColor(0xFFFFFF)
                                    : edge  ? TColor((colour >> 1) & 0x7F7F7F)
                                            : colour);
            }
}

// A media player of another library, as the skin finds it: by its class name and the button
// sets it publishes. Its own look is a plain strip; the skin covers it with its button strip.
class TGalleryPlayer : public TCustomControl {
  public:
    using TCustomControl::TCustomControl;
    const char* ClassName() const override { return "TMediaPlayer"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override {
        static const TPropertyInfo props[] = {
            Prop<&TGalleryPlayer::VisibleSet>("VisibleButtons"),
            Prop<&TGalleryPlayer::EnabledSet>("EnabledButtons"),
            Prop<&TGalleryPlayer::ColouredSet>("ColoredButtons"),
        };
        if (auto info = FindPropertyIn(props, name))
            return info;
        return TCustomControl::FindProperty(name);
    }
    std::string VisibleSet() const { return "[btPlay,btPause,btStop,btPrev,btNext,btRecord,btEject]"; }
    // Eject shows the disabled cell.
    std::string EnabledSet() const { return "[btPlay,btPause,btStop,btPrev,btNext,btRecord]"; }
    std::string ColouredSet() const { return "[btPlay,btStop,btRecord]"; }
};

} // namespace

TGalleryForm::TGalleryForm(TComponent* owner, const std::string& skinFile) : TForm(owner) {
    BeginLoading();
    BuildSkin(skinFile);
    SetName("GalleryForm");
    SetCaption("Skin gallery");
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    SetKeyPreview(true);
    OnKeyDown = Bind<&TGalleryForm::KeyDown>(this);
    SetClientSize(780, 560);
    BuildMenus();
    BuildControls();
    EndLoading();
    if (!fromFile_)
        ShowSkin(0);
}

void TGalleryForm::BuildSkin(const std::string& skinFile) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    skinStore_ = new TSkinStore(this);
    skinStore_->SetName("SkinStore1");
    LoadSkinStoreResources(*skinStore_, module);
    skinData_ = new TSkinData(this);
    skinData_->SetName("SkinData1");
    skinData_->SetActive(true);
    TSkinControlTypes controls = 0;
    for (TSkinControlType type :
         {xcMainMenu,    xcPopupMenu, xcMenuItem,  xcToolbar,   xcControlbar, xcCombo,    xcCheckBox,
          xcRadioButton, xcProgress,  xcScrollbar, xcEdit,      xcButton,     xcBitBtn,   xcSpeedButton,
          xcSpin,        xcPanel,     xcGroupBox,  xcStatusBar, xcTab,        xcTrackBar, xcSystemMenu})
        controls |= SkinControlBit(type);
    skinData_->SetSkinControls(controls);
    // Unlike the main window, the gallery shows the tool bar on the skin's own background.
    skinData_->SetOptions(SkinOptionBit(xoPreview) | SkinOptionBit(xoMenuBG) |
                          SkinOptionBit(xoCaptionButtonHint));
    if (!skinFile.empty()) {
        skinData_->SetSkinFile(skinFile);
        fromFile_ = skinData_->SkinReady();
    }
    if (!fromFile_ && LoadSkinStreamResource(skinData_->PackedSkin(), module))
        skinData_->UnpackSkinWhenNeeded();
}

void TGalleryForm::BuildMenus() {
    auto* mainMenu = new TMainMenu(this);
    auto item = [this](TMenuItem& parent, const char* caption, TNotifyEvent onClick = {}) {
        auto* entry = new TMenuItem(this);
        entry->SetCaption(caption);
        entry->OnClick = onClick;
        parent.Add(entry);
        return entry;
    };
    TMenuItem* file = item(mainMenu->Items(), "&File");
    item(*file, "&Open...");
    item(*file, "&Save")->SetEnabled(false);
    item(*file, "-");
    TMenuItem* recent = item(*file, "&Recent");
    item(*recent, "gallery.skn");
    item(*recent, "other.skn");
    item(*file, "-");
    item(*file, "E&xit", Bind<&TGalleryForm::ExitClick>(this));
    TMenuItem* view = item(mainMenu->Items(), "&View");
    TMenuItem* grid = item(*view, "&Grid");
    grid->SetChecked(true);
    grid->SetAutoCheck(true);
    item(*view, "&Next skin", Bind<&TGalleryForm::NextSkinClick>(this));
    TMenuItem* skins = item(mainMenu->Items(), "&Skins");
    for (int i = 0; i < skinStore_->Store().Count(); ++i) {
        TMenuItem* entry = item(*skins, skinStore_->Store().Items(i)->Name().c_str(),
                                Bind<&TGalleryForm::MenuSkinClick>(this));
        entry->SetTagInt(i);
        entry->SetRadioItem(true);
        entry->SetGroupIndex(1);
    }
    item(mainMenu->Items(), "&Disabled")->SetEnabled(false);
    TMenuItem* help = item(mainMenu->Items(), "&Help");
    item(*help, "&About the gallery");
    SetMenu(mainMenu);

    auto* popup = new TPopupMenu(this);
    item(popup->Items(), "Cu&t");
    item(popup->Items(), "&Copy");
    item(popup->Items(), "&Paste")->SetEnabled(false);
    item(popup->Items(), "-");
    item(popup->Items(), "&Next skin", Bind<&TGalleryForm::NextSkinClick>(this));
    SetPopupMenu(popup);

    buttonMenu_ = new TPopupMenu(this);
    item(buttonMenu_->Items(), "First choice");
    item(buttonMenu_->Items(), "Second choice");
}

void TGalleryForm::BuildControls() {
    // Column 1: buttons, check boxes, radio buttons, group boxes.
    auto* push = Place<TButton>(this, this, 12, 12, 90, 25);
    push->SetCaption("&Push");
    auto* byDefault = Place<TButton>(this, this, 108, 12, 90, 25);
    byDefault->SetCaption("Default");
    byDefault->SetDefault(true);
    auto* disabled = Place<TButton>(this, this, 204, 12, 90, 25);
    disabled->SetCaption("Disabled");
    disabled->SetEnabled(false);

    auto* checked = Place<TCheckBox>(this, this, 12, 46, 130, 18);
    checked->SetCaption("Checked");
    checked->SetChecked(true);
    auto* grayed = Place<TCheckBox>(this, this, 12, 66, 130, 18);
    grayed->SetCaption("Indeterminate");
    grayed->SetAllowGrayed(true);
    grayed->SetState(cbGrayed);
    auto* off = Place<TCheckBox>(this, this, 150, 46, 144, 18);
    off->SetCaption("Disabled");
    off->SetChecked(true);
    off->SetEnabled(false);
    auto* leftText = Place<TCheckBox>(this, this, 150, 66, 144, 18);
    leftText->SetCaption("Text on the left");
    leftText->SetAlignment(taLeftJustify);

    auto* group = Place<TGroupBox>(this, this, 12, 92, 136, 84);
    group->SetCaption("Group box");
    auto* radioA = Place<TRadioButton>(group, this, 10, 22, 110, 18);
    radioA->SetCaption("Radio one");
    radioA->SetChecked(true);
    auto* radioB = Place<TRadioButton>(group, this, 10, 42, 110, 18);
    radioB->SetCaption("Radio two");
    auto* radioC = Place<TRadioButton>(group, this, 10, 62, 110, 18);
    radioC->SetCaption("Disabled");
    radioC->SetEnabled(false);
    auto* radios = Place<TRadioGroup>(this, this, 156, 92, 138, 84);
    radios->SetCaption("Radio group");
    radios->Items().Add("Copy");
    radios->Items().Add("Move");
    radios->Items().Add("Link");
    radios->ItemsChanged();
    radios->SetItemIndex(1);

    auto* panel = Place<TPanel>(this, this, 12, 184, 282, 40);
    panel->SetCaption("Panel");

    // Glyph buttons.
    auto* bitmap = Place<TBitBtn>(this, this, 12, 232, 90, 30);
    bitmap->SetCaption("Bitmap");
    MakeGlyph(bitmap->Glyph(), 0x00A000, 2);
    bitmap->SetNumGlyphs(2);
    // Shows the default cell like the push button beside "Push".
    bitmap->SetDefault(true);
    menuButton_ = Place<TBitBtn>(this, this, 108, 232, 90, 30);
    menuButton_->SetCaption("Menu...");
    MakeGlyph(menuButton_->Glyph(), 0xC06000);
    menuButton_->OnClick = Bind<&TGalleryForm::MenuButtonClick>(this);
    for (int i = 0; i < 3; ++i) {
        auto* speed = Place<TSpeedButton>(this, this, 204 + i * 30, 232, 28, 30);
        MakeGlyph(speed->Glyph(), i == 0 ? TColor(0x0000C0) : i == 1 ? TColor(0x00A0A0) : TColor(0xA000A0));
        speed->SetGroupIndex(1);
        speed->SetFlat(i == 2);
        // The last one lets the window show through the clear pixels of the skin's button cell.
        if (i == 2)
            speed->SetTagInt(5555);
        if (i == 0)
            speed->SetDown(true);
    }

    // A tool bar: picture buttons, separators, a drop-down button and a disabled one.
    auto* pictures = new TImageList(this);
    for (TColor colour : {TColor(0x0000C0), TColor(0x00A000), TColor(0xC06000), TColor(0x00A0A0)}) {
        TBitmap glyph;
        MakeGlyph(glyph, colour);
        pictures->AddMasked(glyph);
    }
    // It sits in a band of a cool bar, beside an empty band.
    auto* coolBar = new TCoolBar(this);
    coolBar->SetAlign(alNone);
    coolBar->SetParent(this);
    coolBar->SetBounds(308, 462, 460, 34);
    toolBar_ = new TToolBar(this);
    toolBar_->SetBounds(0, 0, 200, 28);
    toolBar_->SetImages(pictures);
    toolBar_->SetFlat(true);
    const auto addButton = [this](TToolButtonStyle style, int image, bool enabled = true,
                                  TNotifyEvent onClick = {}, TPopupMenu* menu = nullptr) {
        TToolButton button;
        button.Style = style;
        button.ImageIndex = image;
        button.Enabled = enabled;
        button.OnClick = onClick;
        button.DropdownMenu = menu;
        toolBar_->AddButton(button);
    };
    addButton(tbsButton, 0, true, Bind<&TGalleryForm::NextSkinClick>(this));
    addButton(tbsButton, 1);
    addButton(tbsSeparator, -1);
    addButton(tbsDropDown, 2, true, {}, buttonMenu_);
    addButton(tbsSeparator, -1);
    addButton(tbsButton, 3, false);
    coolBar->AddBand(toolBar_, "Tools", 260);
    coolBar->AddBand(nullptr, "Band", 180);

    // Edits, lists and combo boxes.
    auto* edit = Place<TEdit>(this, this, 12, 272, 282, 21);
    edit->SetText("Single line");
    auto* memo = Place<TMemo>(this, this, 12, 300, 282, 96);
    memo->SetWordWrap(false);
    memo->SetScrollBars(ssBoth);
    std::vector<std::string> lines;
    for (int i = 1; i <= 30; ++i)
        lines.push_back("Line " + std::to_string(i) +
                        " of a memo with both scroll bars, wider than its window");
    memo->SetLines(lines);
    auto* list = Place<TListBox>(this, this, 12, 404, 136, 100);
    for (int i = 1; i <= 30; ++i)
        list->Items().Add("List line " + std::to_string(i));
    auto* drop = Place<TComboBox>(this, this, 156, 404, 138, 21);
    drop->SetStyle(csDropDown);
    for (const char* text : {"Drop-down", "Second", "Third"})
        drop->Items().Add(text);
    drop->SetItemIndex(0);
    auto* dropList = Place<TComboBox>(this, this, 156, 432, 138, 21);
    dropList->SetStyle(csDropDownList);
    for (const char* text : {"Drop-down list", "Second", "Third"})
        dropList->Items().Add(text);
    dropList->SetItemIndex(0);
    Place<TDateTimePicker>(this, this, 156, 460, 138, 21);

    // Column 2: tabs, list view, progress, track bars, up-downs, scroll bars.
    auto* tabsTop = Place<TTabControl>(this, this, 308, 12, 300, 110);
    for (const char* text : {"General", "Colours", "Layout"})
        tabsTop->Tabs().Add(text);
    tabsTop->TabsChanged();
    auto* tabsSide = Place<TTabControl>(this, this, 616, 12, 152, 110);
    tabsSide->SetTabPosition(tpBottom);
    // More tabs than fit: the control shows its scroller.
    for (const char* text : {"One", "Two", "Three", "Four", "Five"})
        tabsSide->Tabs().Add(text);
    tabsSide->TabsChanged();
    // Tabs and header sections with tabPictures.
    auto* tabPictures = new TImageList(this, 16, 16);
    for (TColor colour :
         {TColor(0x0000C0), TColor(0x00A000), TColor(0xC06000), TColor(0x00A0A0), TColor(0xA000A0)}) {
        TBitmap glyph;
        MakeGlyph(glyph, colour);
        tabPictures->AddMasked(glyph);
    }
    tabsSide->SetImages(tabPictures);

    auto* view = Place<TListView>(this, this, 308, 130, 300, 110);
    view->AddColumn("Name", 140);
    view->AddColumn("Size", 70);
    view->AddColumn("Kind", 80);
    for (int i = 1; i <= 12; ++i)
        view->AddItem("File " + std::to_string(i) + ".txt", {std::to_string(i * 3) + " KB", "Text"});
    if (HWND header = view->HeaderHandle()) {
        SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(tabPictures->Handle()));
        HDITEMA section{};
        section.mask = HDI_FORMAT | HDI_IMAGE;
        SendMessageA(header, HDM_GETITEMA, 0, reinterpret_cast<LPARAM>(&section));
        section.fmt |= HDF_IMAGE;
        section.iImage = 1;
        SendMessageA(header, HDM_SETITEMA, 0, reinterpret_cast<LPARAM>(&section));
    }

    progress_ = Place<TProgressBar>(this, this, 308, 250, 300, 18);
    progress_->SetStep(3);
    progress_->SetPosition(40);
    auto* still = Place<TProgressBar>(this, this, 616, 130, 18, 110);
    still->SetOrientation(pbVertical);
    still->SetPosition(65);

    auto* trackH = Place<TTrackBar>(this, this, 308, 276, 220, 40);
    trackH->SetRange(0, 10);
    trackH->SetPosition(4);
    auto* trackV = Place<TTrackBar>(this, this, 642, 130, 40, 180);
    trackV->SetOrientation(trVertical);
    trackV->SetBounds(642, 130, 40, 180);
    trackV->SetRange(0, 10);
    trackV->SetPosition(7);

    auto* upDownV = Place<TUpDown>(this, this, 536, 280, 17, 30);
    upDownV->SetRange(0, 9);
    auto* upDownH = Place<TUpDown>(this, this, 560, 284, 34, 20);
    upDownH->SetOrientation(udHorizontal);
    upDownH->SetRange(0, 9);
    auto* spin = Place<TSpinEdit>(this, this, 308, 324, 100, 21);
    spin->SetRange(0, 100);
    spin->SetValue(42);

    auto* barH = Place<TScrollBar>(this, this, 308, 356, 300, 17);
    barH->SetParams(30, 0, 100, 20);
    auto* barV = Place<TScrollBar>(this, this, 694, 130, 17, 180);
    barV->SetKind(sbVertical);
    barV->SetBounds(694, 130, 17, 180);
    barV->SetParams(10, 0, 100, 10);

    auto* skinLabel = Place<TLabel>(this, this, 308, 392, 100, 16);
    skinLabel->SetCaption("Skin:");
    skinList_ = Place<TComboBox>(this, this, 308, 410, 220, 21);
    skinList_->SetStyle(csDropDownList);
    for (int i = 0; i < skinStore_->Store().Count(); ++i)
        skinList_->Items().Add(skinStore_->Store().Items(i)->Name());
    skinList_->OnChange = Bind<&TGalleryForm::SkinChosen>(this);
    Place<TGalleryPlayer>(this, this, 540, 404, 228, 27);
    auto* keys = Place<TLabel>(this, this, 308, 438, 440, 16);
    keys->SetCaption("Page Up / Page Down: previous and next skin.  Ctrl+S: skinning off and on.");

    status_ = new TStatusBar(this);
    status_->SetParent(this);
    status_->AddPanel("Ready", 160);
    status_->AddPanel("Skin", 260);
    status_->AddPanel("", 100);
    // The last panel is drawn by the program: a swatch, and a label lies on it.
    status_->SetPanelStyle(2, psOwnerDraw);
    status_->OnDrawPanel = Bind<&TGalleryForm::DrawStatusPanel>(this);
    auto* onBar = Place<TLabel>(status_, this, 560, 3, 120, 14);
    onBar->SetCaption("Label on the bar");
    onBar->SetTransparent(true);

    timer_ = new TTimer(this);
    timer_->SetInterval(100);
    timer_->OnTimer = Bind<&TGalleryForm::Tick>(this);
    timer_->SetEnabled(true);
}

int TGalleryForm::SkinCount() const {
    return skinStore_->Store().Count();
}

void TGalleryForm::ShowSkin(int index) {
    const int count = SkinCount();
    if (count <= 0)
        return;
    index = ((index % count) + count) % count;
    skinIndex_ = index;
    skinData_->LoadFromStore(*skinStore_, index);
    if (skinList_)
        skinList_->SetItemIndex(index);
    if (status_)
        status_->SetPanelText(1, "Skin " + std::to_string(index) + ": " +
                                     skinStore_->Store().Items(index)->Name());
}

void TGalleryForm::ToggleSkinning() {
    skinData_->SetActive(!skinData_->Active());
}

void TGalleryForm::StopMoving() {
    timer_->SetEnabled(false);
}

void TGalleryForm::SkinChosen(TObject*) {
    if (skinList_->ItemIndex() >= 0 && skinList_->ItemIndex() != skinIndex_)
        ShowSkin(skinList_->ItemIndex());
}

void TGalleryForm::KeyDown(TObject*, WORD& key, TShiftState shift) {
    if ((shift & ssCtrl) && key == 'S') {
        ToggleSkinning();
        key = 0;
    } else if (key == VK_NEXT && !fromFile_) {
        ShowSkin(skinIndex_ + 1);
        key = 0;
    } else if (key == VK_PRIOR && !fromFile_) {
        ShowSkin(skinIndex_ - 1);
        key = 0;
    }
}

void TGalleryForm::Tick(TObject*) {
    progress_->StepIt();
    // A size grip grown once the window is skinned: its frame skins it as it is made.
    if (!sizeGrip_ && SkinManager() && SkinManager()->FindFrame(Handle())) {
        RECT client{};
        GetClientRect(Handle(), &client);
        sizeGrip_ = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP,
                                    client.right - 18, status_->Top() - 18, 16, 16, Handle(), nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
    }
}

void TGalleryForm::DrawStatusPanel(TStatusBar*, int, HDC dc, const RECT& rect) {
    RECT swatch{rect.left + 2, rect.top + 1, rect.left + 26, rect.bottom - 1};
    TOwnedBrush brush(CreateSolidBrush(0x00A000));
    FillRect(dc, &swatch, brush.Get());
}

void TGalleryForm::MenuButtonClick(TObject*) {
    RECT bounds{};
    GetWindowRect(menuButton_->Handle(), &bounds);
    buttonMenu_->Popup(bounds.left, bounds.bottom);
}

void TGalleryForm::MenuSkinClick(TObject* sender) {
    if (!fromFile_)
        ShowSkin(static_cast<TMenuItem*>(sender)->TagInt());
}

void TGalleryForm::NextSkinClick(TObject*) {
    if (!fromFile_)
        ShowSkin(skinIndex_ + 1);
}

void TGalleryForm::ExitClick(TObject*) {
    Close();
}
