#pragma once
// The skin gallery's multiple-document window ("skingallery --mdi"): an MDI frame with a menu
// bar and two children, one holding a few controls, under the chosen built-in or packed skin.

#include "Form.h"

#include <string>

class TSkinData;
class TSkinStore;

class TGalleryMDIForm : public TForm {
  public:
    // skinFile: a packed skin to show instead of the built-in ones (empty: skin 0 of the store).
    explicit TGalleryMDIForm(TComponent* owner, const std::string& skinFile = {});
    const char* ClassName() const override { return "TGalleryMDIForm"; }

    TSkinData& Skin() { return *skinData_; }
    // Shows skin number index of the built-in ones (wrapping).
    void ShowSkin(int index);
    // A new document child; the first holds a few controls.
    TForm* NewChild(bool withControls);

  private:
    void BuildSkin(const std::string& skinFile);
    void BuildMenus();
    void BuildToolBar();
    void NewClick(TObject* sender);
    void CloseChildClick(TObject* sender);
    void ExitClick(TObject* sender);
    void TileClick(TObject* sender);
    void CascadeClick(TObject* sender);
    void ArrangeClick(TObject* sender);
    void NextClick(TObject* sender);

    TSkinStore* skinStore_ = nullptr;
    TSkinData* skinData_ = nullptr;
    bool fromFile_ = false;
    int documents_ = 0;
};
