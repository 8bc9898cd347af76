#pragma once
// The skin as the painters see it: element records cut from the skin's bitmaps and
// description, the colour tables, and the component that owns them and loads them.

#include "Bitmap.h"
#include "Component.h"
#include "Graphics.h"
#include "SkinControlTypes.h"
#include "Streams.h"
#include "StringList.h"
#include "WinSkinIni.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TSkinReader;
class TSkinStore;
class THintWindow;
class TImageList;

// Extra behaviours (bit 0 first).
enum TSkinOption {
    xoMDIScrollbar,
    xoMenuMerge,
    xoTransparent,
    xoPreview,
    xoParentBackGround,
    xoNoFocusRect,
    xoToolbarBK,
    xoToolbarButton,
    xoMDIChildBorder,
    xoMenuBG,
    xoCaptionButtonHint,
    xoFormScrollbar
};
using TSkinOptions = std::uint32_t;
constexpr TSkinOptions SkinOptionBit(TSkinOption option) {
    return TSkinOptions(1) << option;
}

enum TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog, sfDLL };

class TSkinData;
// Decides per form (by its class name) whether it is skinned.
using TOnFormSkin = TMethod<void(TObject* sender, const std::string& aName, bool& doSkin)>;
// Before and after a window gets its skinned frame.
using TOnSkinForm = TMethod<void(TObject* sender, HWND ahwnd, const std::string& aName)>;
class TControl;
// Lets the application supply its own adapter for a control (left null: the rules decide).
using TOnSkinControl = TMethod<void(TObject* sender, TSkinData* skinData, TControl* form, TControl* control,
                                    const std::string& controlClass, TComponent*& skinnedControl)>;

// Element records are plain data that the loaders fill and the painters read, so their fields
// are public and carry the names the painters use. Each record owns its bitmaps.
struct TDataSkinObject {
    explicit TDataSkinObject(std::string name = std::string()) : Name(std::move(name)) {}
    virtual ~TDataSkinObject() = default;
    TDataSkinObject(const TDataSkinObject&) = delete;
    TDataSkinObject& operator=(const TDataSkinObject&) = delete;

    // Fixed edges of every cell; the centre between them is stretched or tiled.
    int LeftWidth = 0;
    int TopHeight = 0;
    int RightWidth = 0;
    int BottomHeight = 0;
    // Frame cells of equal size, side by side (stacked for the top and bottom frame pieces,
    // the menu bar and the title's back image).
    TBitmap Bitmap;
    int Trans = 0; // 1: magenta pixels are transparent
    int Tile = 0;  // 1: the centre is repeated (frame borders: 1 means stretched)
    std::string Name;
    int Frame = 0;
    int Style = 0;
    // -1 when unset.
    int NormalColour = -1;
    int MouseOverColour = -1;
    int PressedColour = -1;
    TColor NormalColour2 = clBtnText;
    TColor MouseOverColour2 = clBtnText;
    TColor PressedColour2 = clBtnText;
};

// Frame borders, Progress, Tabs, ComboButton and the up-down elements: a second image.
struct TDataSkinBorder : TDataSkinObject {
    using TDataSkinObject::TDataSkinObject;
    TBitmap Bitmap2;
};

// Push buttons, with the check-box and radio-button images.
struct TDataSkinButton : TDataSkinObject {
    using TDataSkinObject::TDataSkinObject;
    TBitmap CheckBitmap;
    TBitmap RadioBitmap;
    int RadioFrame = 0;
    int CheckFrame = 0;
    bool HasNormalColour2 = false;
    bool HasMouseOverColour2 = false;
    bool HasPressedColour2 = false;
};

// The caption text layout. The margins carry the text offsets, Bitmap the back image.
struct TDataSkinTitle : TDataSkinObject {
    using TDataSkinObject::TDataSkinObject;
    int TextShift() const { return LeftWidth; }
    int TextShiftVert() const { return TopHeight; }
    int TextRightClip() const { return RightWidth; }
    const TBitmap& TextBack() const { return Bitmap; }

    int TextAlignment = 0;
    int TextBackground = 0;
    int FontHeight = 14;
    int TextBackLeft = 0;
    int TextBackRight = 0;
    TColor ActiveTextColour = clNone;
    TColor InactiveTextColour = clNone;
};

// One caption button; Bitmap is its ButtonImage.
struct TDataSkinSysButton : TDataSkinObject {
    using TDataSkinObject::TDataSkinObject;
    int Action = 0;
    int Align = 0;
    int XCoord = 0;
    int YCoord = 0;
    int CombineOp = 0;
    int Visibility = 0;
    int Visibility1 = 0;
};

// The group box.
struct TDataSkinBoxLabel : TDataSkinObject {
    using TDataSkinObject::TDataSkinObject;
    int BackgroundLeftShift = 0;
    int BackgroundRightShift = 0;
    int BackgroundAlignment = 0;
};

// The optional elements, in the order the loaders fill them. The last two are generated
// from the others and survive a reload (their images are redrawn).
enum TSkinSlot {
    ssProgress,
    ssProgressChunk,
    ssMenuBar,
    ssGroupBoxEdge,
    ssGroupBox,
    ssTabs,
    ssStatusBarEdges,
    ssTabPane,
    ssToolBars,
    ssComboButton,
    ssSunkEdge,
    ssExtraImages,
    ssHeaderbar,
    ssMenuItem,
    ssMenuBackground,
    ssScrollbar,
    ssHorzScroll,
    ssVertScroll,
    ssHorzScrollThumb,
    ssVertScrollThumb,
    ssTrackThumbHorz,
    ssTrackThumbVert,
    ssTrackThumbLeft,
    ssTrackThumbRight,
    ssTrackThumbUp,
    ssTrackThumbDown,
    ssUpDownHorz,
    ssUpDownVert,
    ssTrack,
    ssTrackVert,
    ssComboArrow,
    ssToolbar,
    ssSlotCount
};

// The slot's name as the painters know it ("ProgressChunk", "TrackThumbHorz", ...).
const char* SkinSlotName(TSkinSlot slot);

// Indices of the skin's colour table.
enum TSkinColourIndex {
    scWindowText = 0,
    scTitleTextActive = 1,
    scTitleTextNoActive = 2,
    scButtonFace = 3,
    scButtonText = 4,
    scButtonHilight = 5,
    scButtonLight = 6,
    scButtonShadow = 7,
    scButtonDkShadow = 8,
    scWindow = 9,    // no key sets it: the system's window colour
    scGrayText = 10, // no key sets it: the system's grey text colour
    scHilightText = 11,
    scHilight = 12,
    scMenuBar = 13,
    scMenuBarText = 14,
    scMenuText = 15,
    scMenu = 16,
    scCaption = 17,
    scScrollbar = 18,
    scColourCount = 19
};

// Cell number cell (from 1) of an element's image: cells side by side, or stacked (the top and
// bottom frame pieces, the menu bar, the title's back image).
RECT CellRect(const TDataSkinObject& element, int cell, bool stacked = false);
// Cell cell (from 1) of an element's image (cells side by side) drawn nine-slice into dest with
// the element's margins and tiling, magenta left out when transparent (by default when the
// element says so). Nothing for a cell the image does not have.
void DrawElementCell(HDC dc, const RECT& dest, const TDataSkinObject& element, int cell, bool transparent);
void DrawElementCell(HDC dc, const RECT& dest, const TDataSkinObject& element, int cell);

class TSkinData;
// The skin component of the main form when it is switched on and has a skin ready (forms made
// now will be skinned by it), else null.
const TSkinData* ActiveMainSkinData();
// Whether the skin component still exists (painters hold plain pointers to it).
bool IsLiveSkinData(const TSkinData* skin);

// Where the loaders find the bitmaps a description names: the unpacked archive, or a map of
// entries in tests and tools.
class TSkinEntrySource {
  public:
    virtual ~TSkinEntrySource() = default;
    // The bytes of the entry of that (lower-case) name; empty when there is none.
    virtual std::vector<std::uint8_t> Extract(const std::string& name) const = 0;
};

// The skin component. It owns the packed skin and everything built from it; the skin manager,
// the Active switch and the frames that read this state attach to it from outside.
class TSkinData : public TComponent {
  public:
    // Skin images are small; one over these bounds is taken as absent so that a hostile skin
    // cannot make the loader allocate hundreds of megabytes of bitmaps.
    static constexpr int MaxImageSide = 4096;
    static constexpr std::int64_t MaxImagePixels = 4 * 1024 * 1024;
    // Caption-button sections beyond this many are ignored.
    static constexpr int MaxCaptionButtons = 64;

    explicit TSkinData(TComponent* owner);
    ~TSkinData() override;
    const char* ClassName() const override { return "TSkinData"; }

    // ---- The component's switches

    bool Active() const { return active_; }
    // Switching on asks the skin manager to skin every window after 250 ms (once a skin is
    // ready), switching off to give every window its own look back; the skin stays loaded.
    void SetActive(bool value);
    int DisableTag() const { return disableTag_; }
    void SetDisableTag(int value) { disableTag_ = value; }
    TSkinControlTypes SkinControls() const { return skinControls_; }
    void SetSkinControls(TSkinControlTypes value) { skinControls_ = value; }
    bool Skins(TSkinControlType type) const { return (skinControls_ & SkinControlBit(type)) != 0; }
    TSkinOptions Options() const { return options_; }
    void SetOptions(TSkinOptions value) { options_ = value; }
    bool HasOption(TSkinOption option) const { return (options_ & SkinOptionBit(option)) != 0; }
    TSkinFormType SkinFormtype() const { return formType_; }
    void SetSkinFormtype(TSkinFormType value) { formType_ = value; }
    bool MenuUpdate() const { return menuUpdate_; }
    void SetMenuUpdate(bool value) { menuUpdate_ = value; }
    bool MenuMerge() const { return menuMerge_; }
    void SetMenuMerge(bool value) { menuMerge_ = value; }
    // Fixed texts: writes are ignored.
    std::string Version() const { return "5.20.05.20"; }
    std::string SkinStore() const {
        return IsDesigning() && !packedSkin_.Bytes().empty() ? "(Good)" : "(none)";
    }
    const std::string& SkinFile() const { return skinFile_; }
    // Loads the file as the packed skin when it exists; a missing file leaves the component
    // not ready (switching on does nothing), with the elements it had.
    void SetSkinFile(const std::string& value);

    TOnFormSkin OnFormSkin;
    TNotifyEvent OnSkinChanged;
    TOnSkinForm OnBeforeSkinForm;
    TOnSkinForm OnAfterSkinForm;
    TOnSkinControl OnSkinControl;
    // Foreign class names and the kinds they are skinned as ("class=kind"); assigning replaces
    // the whole list.
    const TStringList& Skin3rd() const { return skin3rd_; }
    void SetSkin3rd(const TStringList& value) { skin3rd_.Assign(value); }

    // ---- Loading and applying a skin

    // Makes item index of the store this component's skin and applies it; an index outside
    // the store changes nothing. A skin that does not unpack is not applied: the windows keep
    // the previous one.
    void LoadFromStore(TSkinStore& store, int index);
    // After a new skin was unpacked: frames drop their caption buttons, and while the manager
    // runs every skinned window is refreshed after 250 ms.
    void ApplyNewSkin();

    // ---- What the manager and the frames ask

    // The form filter: whether a window of that class name is skinned.
    void DoFormSkin(HWND window, const std::string& aName, bool& doSkin);
    void DoSkinChanged();
    void ShowCaptionHint(const RECT& rect, const std::string& text);
    void HideCaptionHint();
    bool CaptionHintShowing() const { return hintShowing_; }
    // Time the mouse has rested on a caption button, counted by the frames' hover timers.
    int& CaptionHintCounter() { return hintCounter_; }
    HFONT CaptionFont() const { return captionFont_.Get(); }
    // The application's small icon on magenta, made at load completion; empty without an icon.
    TBitmap& CaptionIcon() { return captionIcon_; }
    // Frames draw their borders only while this is on (switched off around menu changes).
    bool FramePainting() const { return framePainting_; }
    void SetFramePainting(bool value) { framePainting_ = value; }

    // The packed skin (4-byte size and LZHUF stream) that UnpackSkin reads.
    TMemoryStream& PackedSkin() { return packedSkin_; }
    // Unpacks the packed skin and builds the elements. On an archive the reader refuses, the
    // previous elements stay and the component stays not ready.
    bool UnpackSkin();
    // The packed skin is unpacked when it is first needed (a window to skin, switching on)
    // rather than now: at start-up the saved skin usually replaces it before any window shows.
    void UnpackSkinWhenNeeded();
    // Unpacks a skin left for later; whether a skin is ready then.
    bool EnsureUnpacked();
    // Builds every element from the description and the archive's bitmaps.
    void LoadElements(const TQuickIni& ini, const TSkinReader& reader);
    void LoadElements(const TQuickIni& ini, const TSkinEntrySource& entries);
    // False from creation and from the start of every load until a load completes.
    bool SkinReady() const { return !notReady_; }
    // The elements hold a whole skin: true once a load completed, and still after a later load
    // failed (that leaves them as they were). Windows already skinned keep drawing with them.
    bool ElementsLoaded() const { return elementsLoaded_; }

    const std::string& SkinName() const { return skinName_; }
    const TDataSkinBorder& FrameLeft() const { return *frames_[0]; }
    const TDataSkinBorder& FrameRight() const { return *frames_[1]; }
    const TDataSkinBorder& FrameTop() const { return *frames_[2]; }
    const TDataSkinBorder& FrameBottom() const { return *frames_[3]; }
    const TDataSkinButton& Buttons() const { return *buttons_; }
    const TDataSkinTitle& Title() const { return *title_; }
    // The caption buttons; the frame fills in icon images, hence the mutable access.
    const std::vector<std::unique_ptr<TDataSkinSysButton>>& SysButtons() const { return sysButtons_; }
    std::vector<std::unique_ptr<TDataSkinSysButton>>& SysButtons() { return sysButtons_; }

    // Null when the skin has no such element.
    const TDataSkinObject* Slot(TSkinSlot slot) const {
        if (comboPending_ && (slot == ssSunkEdge || slot == ssComboButton || slot == ssComboArrow))
            const_cast<TSkinData*>(this)->MakeComboElements();
        return slots_[slot].get();
    }
    const TDataSkinBorder* Progress() const { return Border(ssProgress); }
    const TDataSkinBoxLabel* GroupBox() const;
    const TDataSkinBorder* Tabs() const { return Border(ssTabs); }
    const TDataSkinBorder* ComboButton() const { return Border(ssComboButton); }
    const TDataSkinBorder* UpDownHorz() const { return Border(ssUpDownHorz); }
    const TDataSkinBorder* UpDownVert() const { return Border(ssUpDownVert); }
    // Track and TrackVert made from the program's own images because the skin has none.
    bool IsBuiltIn(TSkinSlot slot) const { return builtIn_[slot]; }

    TColor Colour(TSkinColourIndex index) const { return colours_[index]; }
    // Whether the description set the entry (else it holds the default).
    bool ColourSet(TSkinColourIndex index) const { return colourSet_[index]; }
    const std::vector<TColor>& ExtraColours() const { return extraColours_; }
    const std::array<TColor, 10>& CustomColours() const { return customColours_; }
    // A solid brush of the ButtonFace colour, remade by every load.
    HBRUSH ButtonFaceBrush() const { return buttonFaceBrush_.Get(); }
    // The caption colour, taken from the top frame image.
    TColor CaptionColour() const;
    // The system menu's glyphs (16 x 16: restore, maximize, minimize, close), from the program's
    // MENUGLYPHS bitmap; empty when the program carries none.
    // The glyphs of the skinned system menu, loaded at the first request: image lists live in
    // the common controls DLL, which the first window need not wait for.
    TImageList* MenuGlyphs();

  protected:
    void Loaded() override;

  private:
    void MakeCaptionFont();
    void MakeCaptionIcon();
    const TDataSkinBorder* Border(TSkinSlot slot) const {
        return static_cast<const TDataSkinBorder*>(Slot(slot));
    }
    // The combo box's composite frames and arrow are built when first asked for: only combo
    // boxes use them, and building them is a good part of loading a skin.
    void MakeComboElements();
    void LoadImage(TBitmap& bitmap, const std::string& value) const;
    void LoadFrameBorders(const TQuickIni& ini);
    void LoadColours(const TQuickIni& ini, const std::vector<std::string>& sections);
    void LoadCaptionButtons(const TQuickIni& ini, const std::vector<std::string>& sections);
    void LoadButtons(const TQuickIni& ini);
    void LoadTitle(const TQuickIni& ini);
    void LoadSlots(const TQuickIni& ini);
    void LoadBuiltInTracks();
    void FixFrameCounts(const TQuickIni& ini);
    void MakeComboFrames();
    void MakeComboArrow();
    void MakeToolbar();

    TMemoryStream packedSkin_;
    bool notReady_ = true;
    bool elementsLoaded_ = false;
    bool unpackPending_ = false;
    bool comboPending_ = false;
    // Only valid while LoadElements runs.
    const TSkinEntrySource* entries_ = nullptr;

    std::string skinName_;
    std::array<std::unique_ptr<TDataSkinBorder>, 4> frames_;
    std::unique_ptr<TDataSkinButton> buttons_;
    std::unique_ptr<TDataSkinTitle> title_;
    std::vector<std::unique_ptr<TDataSkinSysButton>> sysButtons_;
    std::array<std::unique_ptr<TDataSkinObject>, ssSlotCount> slots_;
    std::array<bool, ssSlotCount> builtIn_{};
    std::array<TColor, scColourCount> colours_{};
    std::array<bool, scColourCount> colourSet_{};
    std::vector<TColor> extraColours_;
    std::array<TColor, 10> customColours_{};
    TOwnedBrush buttonFaceBrush_;

    bool active_ = false;
    int disableTag_ = 99;
    TSkinControlTypes skinControls_ = ~TSkinControlTypes(0) & ((TSkinControlTypes(1) << 22) - 1) &
                                      ~SkinControlBit(xcMenuItem) & ~SkinControlBit(xcFastReport);
    TSkinOptions options_ =
        SkinOptionBit(xoPreview) | SkinOptionBit(xoToolbarBK) | SkinOptionBit(xoCaptionButtonHint);
    TSkinFormType formType_ = sfMainform;
    bool menuUpdate_ = true;
    bool menuMerge_ = false;
    std::string skinFile_;
    TStringList skin3rd_;
    TBitmap captionIcon_;
    TOwnedFont captionFont_;
    THintWindow* hintWindow_ = nullptr;
    bool hintShowing_ = false;
    int hintCounter_ = 0;
    bool framePainting_ = true;
    TImageList* menuGlyphs_ = nullptr;
};
