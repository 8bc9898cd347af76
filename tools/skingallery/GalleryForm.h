#pragma once
// The skin gallery's one window: every kind of control the skin engine draws, in its usual
// states, under the skin chosen from the built-in ones or loaded from a packed skin file.

#include "Form.h"

#include <windows.h>

#include <string>
#include <vector>

class TSkinData;
class TSkinStore;
class TComboBox;
class TProgressBar;
class TStatusBar;
class TTimer;
class TPopupMenu;
class TBitBtn;
class TToolBar;

class TGalleryForm : public TForm {
  public:
    // skinFile: a packed skin to show instead of the built-in ones (empty: skin 0 of the store).
    explicit TGalleryForm(TComponent* owner, const std::string& skinFile = {});
    const char* ClassName() const override { return "TGalleryForm"; }

    TSkinData& Skin() { return *skinData_; }
    int SkinCount() const;
    int SkinIndex() const { return skinIndex_; }
    // Shows skin number index of the built-in ones (wrapping).
    void ShowSkin(int index);
    void ToggleSkinning();
    // The progress bar stands still (for pictures that must not change between runs).
    void StopMoving();
    TToolBar* ToolBar() const { return toolBar_; }

  private:
    void BuildSkin(const std::string& skinFile);
    void BuildMenus();
    void BuildControls();
    void SkinChosen(TObject* sender);
    void KeyDown(TObject* sender, WORD& key, TShiftState shift);
    void Tick(TObject* sender);
    void DrawStatusPanel(TStatusBar* sender, int panel, HDC dc, const RECT& rect);
    void MenuButtonClick(TObject* sender);
    void MenuSkinClick(TObject* sender);
    void NextSkinClick(TObject* sender);
    void ExitClick(TObject* sender);

    TSkinStore* skinStore_ = nullptr;
    TSkinData* skinData_ = nullptr;
    TComboBox* skinList_ = nullptr;
    TProgressBar* progress_ = nullptr;
    TStatusBar* status_ = nullptr;
    TTimer* timer_ = nullptr;
    TPopupMenu* buttonMenu_ = nullptr;
    TBitBtn* menuButton_ = nullptr;
    TToolBar* toolBar_ = nullptr;
    int skinIndex_ = 0;
    bool fromFile_ = false;
    HWND sizeGrip_ = nullptr;
};
