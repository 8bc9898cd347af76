#include "GalleryMDIForm.h"

#include "Buttons.h"
#include "Edit.h"
#include "ListControls.h"
#include "Menus.h"
#include "ToolBar.h"
#include "WinSkinData.h"
#include "WinSkinStore.h"

#include <string>

namespace {
template <class T> T* Place(TWinControl* parent, int left, int top, int width, int height) {
    auto* control = new T(parent);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}
} // namespace

TGalleryMDIForm::TGalleryMDIForm(TComponent* owner, const std::string& skinFile) : TForm(owner) {
    BeginLoading();
    BuildSkin(skinFile);
    SetName("GalleryMDIForm");
    SetCaption("MDI gallery");
    SetFormStyle(fsMDIForm);
    SetPosition(poScreenCenter);
    SetClientSize(720, 520);
    BuildMenus();
    BuildToolBar();
    EndLoading();
    if (!fromFile_)
        ShowSkin(0);
    NewChild(true);
    NewChild(false);
}

void TGalleryMDIForm::BuildSkin(const std::string& skinFile) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    skinStore_ = new TSkinStore(this);
    skinStore_->SetName("SkinStore1");
    LoadSkinStoreResources(*skinStore_, module);
    skinData_ = new TSkinData(this);
    skinData_->SetName("SkinData1");
    skinData_->SetActive(true);
    TSkinControlTypes controls = 0;
    for (TSkinControlType type : {xcMainMenu, xcPopupMenu, xcMenuItem, xcToolbar, xcCombo, xcCheckBox,
                                  xcRadioButton, xcScrollbar, xcEdit, xcButton, xcSystemMenu})
        controls |= SkinControlBit(type);
    skinData_->SetSkinControls(controls);
    skinData_->SetOptions(SkinOptionBit(xoPreview) | SkinOptionBit(xoMenuBG) |
                          SkinOptionBit(xoCaptionButtonHint));
    if (!skinFile.empty()) {
        skinData_->SetSkinFile(skinFile);
        fromFile_ = skinData_->SkinReady();
    }
    if (!fromFile_ && LoadSkinStreamResource(skinData_->PackedSkin(), module))
        skinData_->UnpackSkinWhenNeeded();
}

void TGalleryMDIForm::BuildMenus() {
    auto* mainMenu = new TMainMenu(this);
    auto item = [this](TMenuItem& parent, const char* caption, TNotifyEvent onClick = {}) {
        auto* entry = new TMenuItem(this);
        entry->SetCaption(caption);
        entry->OnClick = onClick;
        parent.Add(entry);
        return entry;
    };
    TMenuItem* file = item(mainMenu->Items(), "&File");
    item(*file, "&New window", Bind<&TGalleryMDIForm::NewClick>(this));
    item(*file, "&Close window", Bind<&TGalleryMDIForm::CloseChildClick>(this));
    item(*file, "-");
    item(*file, "E&xit", Bind<&TGalleryMDIForm::ExitClick>(this));
    TMenuItem* window = item(mainMenu->Items(), "&Window");
    item(*window, "&Tile", Bind<&TGalleryMDIForm::TileClick>(this));
    item(*window, "&Cascade", Bind<&TGalleryMDIForm::CascadeClick>(this));
    item(*window, "&Arrange icons", Bind<&TGalleryMDIForm::ArrangeClick>(this));
    item(*window, "&Next", Bind<&TGalleryMDIForm::NextClick>(this));
    SetMenu(mainMenu);
    SetWindowMenu(window);
}

void TGalleryMDIForm::ShowSkin(int index) {
    const int count = skinStore_->Store().Count();
    if (count <= 0 || fromFile_)
        return;
    skinData_->LoadFromStore(*skinStore_, ((index % count) + count) % count);
}

// A flat tool bar along the top, above the MDI client: the frame's commands as caption buttons.
void TGalleryMDIForm::BuildToolBar() {
    auto* bar = new TToolBar(this);
    bar->SetAlign(alTop);
    bar->SetParent(this);
    bar->SetFlat(true);
    const auto add = [bar](const char* caption, TNotifyEvent onClick) {
        TToolButton button;
        button.Caption = caption;
        button.OnClick = onClick;
        bar->AddButton(button);
    };
    add("New", Bind<&TGalleryMDIForm::NewClick>(this));
    TToolButton separator;
    separator.Style = tbsSeparator;
    bar->AddButton(separator);
    add("Tile", Bind<&TGalleryMDIForm::TileClick>(this));
    add("Cascade", Bind<&TGalleryMDIForm::CascadeClick>(this));
    add("Next", Bind<&TGalleryMDIForm::NextClick>(this));
}

TForm* TGalleryMDIForm::NewChild(bool withControls) {
    auto* child = new TForm(this);
    child->SetFormStyle(fsMDIChild);
    child->SetPosition(poDefault);
    ++documents_;
    if (withControls) {
        child->SetCaption("Controls");
        child->SetClientSize(320, 200);
        auto* button = Place<TButton>(child, 12, 12, 90, 25);
        button->SetCaption("&Push");
        auto* check = Place<TCheckBox>(child, 12, 46, 140, 18);
        check->SetCaption("Check box");
        check->SetChecked(true);
        auto* radio = Place<TRadioButton>(child, 12, 68, 140, 18);
        radio->SetCaption("Radio button");
        radio->SetChecked(true);
        auto* edit = Place<TEdit>(child, 12, 94, 200, 21);
        edit->SetText("Single line");
        auto* combo = Place<TComboBox>(child, 12, 124, 200, 21);
        combo->SetStyle(csDropDownList);
        for (const char* text : {"Drop-down list", "Second", "Third"})
            combo->Items().Add(text);
        combo->SetItemIndex(0);
    } else {
        child->SetCaption("Document " + std::to_string(documents_));
        child->SetClientSize(300, 180);
        auto* memo = Place<TMemo>(child, 0, 0, 300, 180);
        memo->SetAlign(alClient);
        memo->SetScrollBars(ssVertical);
        std::vector<std::string> lines;
        for (int i = 1; i <= 20; ++i)
            lines.push_back("Line " + std::to_string(i) + " of document " + std::to_string(documents_));
        memo->SetLines(lines);
    }
    child->Show();
    return child;
}

void TGalleryMDIForm::NewClick(TObject*) {
    NewChild(false);
}

void TGalleryMDIForm::CloseChildClick(TObject*) {
    if (TCustomForm* child = ActiveMDIChild())
        child->Close();
}

void TGalleryMDIForm::ExitClick(TObject*) {
    Close();
}

void TGalleryMDIForm::TileClick(TObject*) {
    Tile();
}

void TGalleryMDIForm::CascadeClick(TObject*) {
    Cascade();
}

void TGalleryMDIForm::ArrangeClick(TObject*) {
    ArrangeIcons();
}

void TGalleryMDIForm::NextClick(TObject*) {
    Next();
}
