#include "WinSkinData.h"

#include "ControlDiscoveryRules.h"

#include "Application.h"
#include "Form.h"
#include "HintWindow.h"
#include "ImageList.h"
#include "WinSkinDlg.h"
#include "WinSkinMenuSystem.h"
#include "WinSkinStore.h"

#include "ImgUtil.h"
#include "SkinRead.h"
#include "SysUtils.h"
#include "WinSubClassCombo.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {
constexpr const char* kPersonality = "Personality";

// How a slot is read from its section.
enum TSlotLoader {
    slGeneric,  // Image=, every common key
    slProgress, // Bitmap=, no Frame, no colours, Tile clamped to 1
    slMenuBar,  // menuBar= of [Personality]
    slGroupBox, // generic without Frame, plus the background keys
    slBorder,   // generic without Frame, plus a second image
};

struct TSlotSpec {
    TSkinSlot slot;
    const char* name;
    const char* section;
    TSlotLoader loader;
    const char* secondImageKey;
};

// The loading order of the slots, which is also the order in which they are reported.
constexpr TSlotSpec kSlotSpecs[] = {
    {ssProgress, "Progress", "Progress", slProgress, nullptr},
    {ssProgressChunk, "ProgressChunk", "Progress.Chunk", slGeneric, nullptr},
    {ssMenuBar, "MenuBar", kPersonality, slMenuBar, nullptr},
    {ssGroupBoxEdge, "GroupBoxEdge", "GroupBoxEdge", slGeneric, nullptr},
    {ssGroupBox, "GroupBox", "GroupBox", slGroupBox, nullptr},
    {ssTabs, "Tabs", "Tabs", slBorder, "Border"},
    {ssStatusBarEdges, "StatusBarEdges", "StatusBarEdges", slGeneric, nullptr},
    {ssTabPane, "TabPane", "Tab.Pane", slGeneric, nullptr},
    {ssToolBars, "ToolBars", "ToolBars", slGeneric, nullptr},
    // No skin has this key: the combo button's second image is derived from the first.
    {ssComboButton, "ComboButton", "ComboButton", slBorder, "****"},
    {ssSunkEdge, "SunkEdge", "SunkEdge", slGeneric, nullptr},
    {ssExtraImages, "ExtraImages", "ExtraImages", slGeneric, nullptr},
    {ssHeaderbar, "Headerbar", "Headerbar", slGeneric, nullptr},
    {ssMenuItem, "MenuItem", "MenuItem", slGeneric, nullptr},
    {ssMenuBackground, "MenuBackground", "MenuBackground", slGeneric, nullptr},
    {ssScrollbar, "Scrollbar", "Scrollbar", slGeneric, nullptr},
    {ssHorzScroll, "HorzScroll", "HorzScroll", slGeneric, nullptr},
    {ssVertScroll, "VertScroll", "VertScroll", slGeneric, nullptr},
    {ssHorzScrollThumb, "HorzScrollThumb", "HorzScrollThumb", slGeneric, nullptr},
    {ssVertScrollThumb, "VertScrollThumb", "VertScrollThumb", slGeneric, nullptr},
    {ssTrackThumbHorz, "TrackThumbHorz", "Trackbar.ThumbHorz", slGeneric, nullptr},
    {ssTrackThumbVert, "TrackThumbVert", "Trackbar.ThumbVert", slGeneric, nullptr},
    {ssTrackThumbLeft, "TrackThumbLeft", "Trackbar.ThumbLeft", slGeneric, nullptr},
    {ssTrackThumbRight, "TrackThumbRight", "Trackbar.ThumbRight", slGeneric, nullptr},
    {ssTrackThumbUp, "TrackThumbUp", "Trackbar.ThumbUp", slGeneric, nullptr},
    {ssTrackThumbDown, "TrackThumbDown", "Trackbar.ThumbDown", slGeneric, nullptr},
    {ssUpDownHorz, "UpDownHorz", "UpDown.Horz", slBorder, "GlyphImage"},
    {ssUpDownVert, "UpDownVert", "UpDown.Vert", slBorder, "GlyphImage"},
    {ssTrack, "Track", "Track", slGeneric, nullptr},
    {ssTrackVert, "TrackVert", "TRACKVERT", slGeneric, nullptr},
};
static_assert(std::size(kSlotSpecs) == static_cast<size_t>(ssComboArrow), "every loaded slot is listed");

struct TColourKey {
    TSkinColourIndex index;
    const char* key;
    int systemColour; // -1: the ButtonFace entry read before it
};

// In reading order: Menubar falls back to the ButtonFace entry read before it.
constexpr TColourKey kColourKeys[] = {
    {scWindowText, "WindowText", COLOR_WINDOWTEXT},
    {scButtonFace, "ButtonFace", COLOR_BTNFACE},
    {scScrollbar, "Scrollbar", COLOR_SCROLLBAR},
    {scHilightText, "HilightText", COLOR_HIGHLIGHTTEXT},
    {scHilight, "Hilight", COLOR_HIGHLIGHT},
    {scMenuBar, "Menubar", -1},
    {scMenu, "Menu", COLOR_MENU},
    {scMenuText, "MenuText", COLOR_MENUTEXT},
    {scButtonText, "ButtonText", COLOR_BTNTEXT},
    {scButtonHilight, "ButtonHilight", COLOR_BTNHIGHLIGHT},
    {scButtonLight, "Buttonlight", COLOR_BTNHIGHLIGHT},
    {scButtonShadow, "ButtonShadow", COLOR_BTNSHADOW},
    {scButtonDkShadow, "ButtonDkShadow", COLOR_3DDKSHADOW},
    {scMenuBarText, "MenuBarText", COLOR_MENUTEXT},
    {scTitleTextActive, "TitleTextActive", COLOR_CAPTIONTEXT},
    {scTitleTextNoActive, "TitleTextNoActive", COLOR_INACTIVECAPTIONTEXT},
};

constexpr TColor kMagenta = 0xFF00FF;
constexpr int kComboCellWidth = 50;
constexpr int kComboCellHeight = 21;
constexpr int kComboArrowSize = 17;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::uint32_t ReadLE32(const std::vector<std::uint8_t>& bytes, size_t offset) {
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

// The dimensions a BMP file announces, read before anything is decoded so that an absurd size
// costs nothing. False when the header is too short to tell (the decoder then rejects it).
bool AnnouncedBmpSize(const std::vector<std::uint8_t>& bytes, std::int64_t& width, std::int64_t& height) {
    if (bytes.size() < 26)
        return false;
    if (ReadLE32(bytes, 14) == 12) { // the old core header has 16-bit dimensions
        width = bytes[18] | (bytes[19] << 8);
        height = bytes[20] | (bytes[21] << 8);
        return true;
    }
    width = static_cast<std::int32_t>(ReadLE32(bytes, 18));
    height = static_cast<std::int32_t>(ReadLE32(bytes, 22));
    if (height < 0)
        height = -height; // top-down rows; int64 so that INT32_MIN cannot overflow
    return true;
}

void ClearBitmap(TBitmap& bitmap) {
    bitmap.SetSize(0, 0);
}

// A rectangle of source copied pixel for pixel into target, which takes its size and format.
void CopyBitmapPart(const TBitmap& source, int x, int width, TBitmap& target) {
    target.SetPixelFormat(source.PixelFormat());
    target.SetSize(0, 0);
    if (width <= 0 || source.Empty() || x < 0 || x + width > source.Width())
        return;
    target.SetSize(width, source.Height());
    const int bpp = source.PixelFormat() == pf32bit ? 4 : 3;
    for (int y = 0; y < source.Height(); ++y)
        std::memcpy(target.ScanLine(y), static_cast<const std::uint8_t*>(source.ScanLine(y)) + x * bpp,
                    static_cast<size_t>(width) * static_cast<size_t>(bpp));
}

class TReaderEntrySource : public TSkinEntrySource {
  public:
    explicit TReaderEntrySource(const TSkinReader& reader) : reader_(reader) {}
    std::vector<std::uint8_t> Extract(const std::string& name) const override {
        TMemoryStream entry;
        reader_.ExtractFile(name, entry);
        return entry.Bytes();
    }

  private:
    const TSkinReader& reader_;
};
} // namespace

const char* SkinSlotName(TSkinSlot slot) {
    if (slot == ssComboArrow)
        return "ComboArrow";
    if (slot == ssToolbar)
        return "Toolbar";
    if (slot < 0 || slot >= ssComboArrow)
        return "";
    return kSlotSpecs[slot].name;
}

namespace {
std::vector<TSkinData*>& LiveSkinDatas() {
    static std::vector<TSkinData*> live;
    return live;
}
} // namespace

RECT CellRect(const TDataSkinObject& element, int cell, bool stacked) {
    const int cells = std::max(element.Frame, 1);
    if (stacked) {
        const int height = element.Bitmap.Height() / cells;
        return RECT{0, height * (cell - 1), element.Bitmap.Width(), height * cell};
    }
    const int width = element.Bitmap.Width() / cells;
    return RECT{width * (cell - 1), 0, width * cell, element.Bitmap.Height()};
}

void DrawElementCell(HDC dc, const RECT& dest, const TDataSkinObject& element, int cell, bool transparent) {
    const int cells = std::max(element.Frame, 1);
    if (!dc || element.Bitmap.Empty() || cell < 1 || cell > cells || element.Bitmap.Width() / cells <= 0)
        return;
    DrawNineSlice(dc, dest, element.Bitmap, CellRect(element, cell),
                  RECT{element.LeftWidth, element.TopHeight, element.RightWidth, element.BottomHeight},
                  element.Tile == 1, transparent);
}

void DrawElementCell(HDC dc, const RECT& dest, const TDataSkinObject& element, int cell) {
    DrawElementCell(dc, dest, element, cell, element.Trans == 1);
}

bool IsLiveSkinData(const TSkinData* skin) {
    const auto& live = LiveSkinDatas();
    return skin && std::find(live.begin(), live.end(), skin) != live.end();
}

const TSkinData* ActiveMainSkinData() {
    for (TSkinData* skin : LiveSkinDatas())
        if (skin->SkinFormtype() == sfMainform && skin->Active() && skin->SkinReady())
            return skin;
    return nullptr;
}

TSkinData::TSkinData(TComponent* owner) : TComponent(owner) {
    const char* sides[] = {"Left", "Right", "Top", "Bottom"};
    for (size_t i = 0; i < frames_.size(); ++i)
        frames_[i] = std::make_unique<TDataSkinBorder>(sides[i]);
    buttons_ = std::make_unique<TDataSkinButton>("Buttons");
    title_ = std::make_unique<TDataSkinTitle>("Title");
    // Until a skin is loaded the table holds what the system draws with.
    for (const TColourKey& key : kColourKeys)
        colours_[key.index] = SystemColor(key.systemColour < 0 ? COLOR_BTNFACE : key.systemColour);
    colours_[scWindow] = SystemColor(COLOR_WINDOW);
    colours_[scGrayText] = SystemColor(COLOR_GRAYTEXT);
    colours_[scCaption] = SystemColor(COLOR_BTNFACE);
    customColours_.fill(clWhite);
    for (const std::string& line : DefaultSkin3rd())
        skin3rd_.Add(line);
    LiveSkinDatas().push_back(this);
    SetFrameInsetsQuery(SkinFrameInsets);
}

TImageList* TSkinData::MenuGlyphs() {
    if (!menuGlyphs_) {
        menuGlyphs_ = new TImageList(this);
        LoadMenuGlyphs(*menuGlyphs_);
    }
    return menuGlyphs_;
}

TSkinData::~TSkinData() {
    auto& live = LiveSkinDatas();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (TSkinManage* manager = SkinManager())
        manager->UnregisterSkinData(this);
}

// ---- switches, loading and applying

void TSkinData::SetActive(bool value) {
    if (value == active_)
        return;
    active_ = value;
    if (IsDesigning() || IsLoading())
        return;
    TSkinManage& manager = EnsureSkinManager();
    switch (formType_) {
    case sfMainform:
        if (value) {
            if (!EnsureUnpacked())
                return;
            manager.SetPendingSkinData(this);
            manager.ScheduleAction(saSkinAll, 250);
            manager.SetState(TManagerState::msRunning);
        } else {
            manager.SetPendingSkinData(this);
            manager.ScheduleAction(saUnskinAll, 250);
        }
        break;
    case sfOnlyThisForm:
        manager.SetPendingSkinData(this);
        if (value && !EnsureUnpacked())
            return;
        manager.ScheduleAction(value ? saSkinAll : saUnskinAll, 250);
        break;
    default:
        break;
    }
}

void TSkinData::SetSkinFile(const std::string& value) {
    notReady_ = true;
    skinFile_ = value;
    if (IsDesigning()) {
        if (!value.empty())
            packedSkin_.Clear();
        return;
    }
    // Not ready means not ready: a stored copy left for later is not unpacked instead.
    unpackPending_ = false;
    const DWORD attributes = GetFileAttributesA(value.c_str());
    if (value.empty() || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    TFileStream file(value, fmOpenRead);
    packedSkin_.Clear();
    packedSkin_.CopyFrom(file, 0);
    packedSkin_.SetPosition(0);
    // A skin that does not unpack changes nothing on screen: the windows keep the elements
    // they draw with.
    if (UnpackSkin())
        ApplyNewSkin();
}

void TSkinData::LoadFromStore(TSkinStore& store, int index) {
    if (index < 0 || index >= store.Store().Count())
        return;
    notReady_ = true;
    TMemoryStream& source = store.Store().Items(index)->DataStream();
    source.SetPosition(0);
    packedSkin_.Clear();
    packedSkin_.CopyFrom(source, 0);
    packedSkin_.SetPosition(0);
    if (UnpackSkin())
        ApplyNewSkin();
}

void TSkinData::ApplyNewSkin() {
    if (IsDesigning() || IsLoading())
        return;
    if (!SkinManager())
        Loaded();
    TSkinManage& manager = EnsureSkinManager();
    manager.SetPendingSkinData(this);
    manager.RefreshFrames();
    if (manager.State() == TManagerState::msRunning)
        manager.ScheduleAction(saSkinChanged, 250);
}

void TSkinData::Loaded() {
    TComponent::Loaded();
    if (IsDesigning())
        return;
    if (!HasSkinGetScrollBarInfo())
        skinControls_ &= ~SkinControlBit(xcScrollbar);
    TSkinManage& manager = EnsureSkinManager();
    if (std::find(manager.SkinDatas().begin(), manager.SkinDatas().end(), this) == manager.SkinDatas().end())
        manager.RegisterSkinData(this);
    MakeCaptionFont();
    if (formType_ != sfMainform) {
        manager.SetSkinningEnabled(true);
        manager.SetState(TManagerState::msRunning);
        if (auto* form = dynamic_cast<TWinControl*>(Owner()); form && active_)
            manager.SkinWindow(form->Handle());
        return;
    }
    manager.InstallHook();
    if (active_) {
        if (notReady_ && !unpackPending_)
            active_ = false;
        else
            manager.ScheduleAction(saSkinAll, 250);
    }
    if (Skins(xcMainMenu))
        skinControls_ &= ~SkinControlBit(xcMenuItem);
    else
        skinControls_ &= ~SkinControlBit(xcSystemMenu);
    MakeCaptionIcon();
}

void TSkinData::MakeCaptionFont() {
    NONCLIENTMETRICSA metrics{};
    // The structure as older systems know it (without the padded border width).
    metrics.cbSize = 340;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        metrics.cbSize = sizeof metrics;
        if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
            return;
    }
    captionFont_.Reset(CreateFontIndirectA(&metrics.lfCaptionFont));
}

void TSkinData::MakeCaptionIcon() {
    // Without an icon the caption icon stays empty.
    if (HICON icon = ApplicationIcon())
        DrawIconOnMagenta(captionIcon_, icon);
}

void TSkinData::DoFormSkin(HWND, const std::string& aName, bool& doSkin) {
    if (OnFormSkin) {
        OnFormSkin(this, aName, doSkin);
        return;
    }
    if (aName == "SysMonthCal32" || (Skins(xcFastReport) && aName.rfind("Tfr", 0) == 0))
        doSkin = false;
}

void TSkinData::DoSkinChanged() {
    if (OnSkinChanged)
        OnSkinChanged(this);
}

void TSkinData::ShowCaptionHint(const RECT& rect, const std::string& text) {
    if (!HasOption(xoCaptionButtonHint) || hintShowing_)
        return;
    if (!hintWindow_)
        hintWindow_ = new THintWindow(this);
    RECT r = hintWindow_->CalcHintRect(500, text);
    OffsetRect(&r, rect.left, rect.top);
    hintWindow_->ActivateHint(r, text);
    hintShowing_ = true;
}

void TSkinData::HideCaptionHint() {
    if (!hintShowing_)
        return;
    if (hintWindow_)
        hintWindow_->ReleaseHandle();
    hintShowing_ = false;
}

const TDataSkinBoxLabel* TSkinData::GroupBox() const {
    return static_cast<const TDataSkinBoxLabel*>(slots_[ssGroupBox].get());
}

void TSkinData::UnpackSkinWhenNeeded() {
    notReady_ = true;
    unpackPending_ = !IsDesigning() && !packedSkin_.Bytes().empty();
}

bool TSkinData::EnsureUnpacked() {
    if (unpackPending_)
        UnpackSkin();
    return SkinReady();
}

bool TSkinData::UnpackSkin() {
    notReady_ = true;
    unpackPending_ = false;
    if (IsDesigning())
        return false;
    TSkinReader reader;
    if (!reader.ReadArchive(packedSkin_))
        return false;
    TMemoryStream description;
    std::string entryName;
    reader.ExtractFileContaining(".ini", description, entryName);
    description.SetPosition(0);
    TQuickIni ini;
    ini.LoadFromStream(description);
    LoadElements(ini, reader);
    return true;
}

void TSkinData::LoadElements(const TQuickIni& ini, const TSkinReader& reader) {
    LoadElements(ini, TReaderEntrySource(reader));
}

void TSkinData::LoadElements(const TQuickIni& ini, const TSkinEntrySource& entries) {
    notReady_ = true;
    elementsLoaded_ = false;
    unpackPending_ = false;
    entries_ = &entries;
    struct TForgetEntries {
        const TSkinEntrySource*& entries;
        ~TForgetEntries() { entries = nullptr; }
    } forget{entries_};

    std::vector<std::string> sections;
    ini.ReadSections(sections);
    skinName_ = ini.ReadString("TitlebarSkin", "SkinName", "");
    LoadFrameBorders(ini);
    LoadColours(ini, sections);
    LoadCaptionButtons(ini, sections);
    LoadButtons(ini);
    LoadTitle(ini);
    LoadSlots(ini);
    LoadBuiltInTracks();
    FixFrameCounts(ini);
    comboPending_ = true;
    // The tool-bar gradient is mixed from the caption colour, so that comes first.
    colours_[scCaption] = CaptionColour();
    MakeToolbar();
    buttonFaceBrush_.Reset(CreateSolidBrush(ColorToRGB(colours_[scButtonFace])));
    elementsLoaded_ = true;
    notReady_ = false;
}

void TSkinData::LoadImage(TBitmap& bitmap, const std::string& value) const {
    ClearBitmap(bitmap);
    const size_t separator = value.find_last_of("\\:");
    const std::string file = separator == std::string::npos ? value : value.substr(separator + 1);
    const size_t dot = file.rfind('.');
    if (file.empty() || dot == std::string::npos || file.compare(dot, std::string::npos, ".bmp") != 0)
        return;
    const std::vector<std::uint8_t> bytes =
        entries_ ? entries_->Extract(LowerCase(file)) : std::vector<std::uint8_t>();
    if (bytes.empty())
        return;
    std::int64_t width = 0, height = 0;
    if (AnnouncedBmpSize(bytes, width, height) &&
        (width > MaxImageSide || height > MaxImageSide || width * height > MaxImagePixels))
        return;
    try {
        bitmap.LoadFromBytes(bytes.data(), bytes.size());
    } catch (const Exception&) {
        ClearBitmap(bitmap); // a damaged image is an absent one
    }
}

void TSkinData::LoadFrameBorders(const TQuickIni& ini) {
    for (size_t i = 0; i < frames_.size(); ++i) {
        TDataSkinBorder& frame = *frames_[i];
        const std::string side = frame.Name;
        LoadImage(frame.Bitmap, ini.ReadString(kPersonality, side, ""));
        const int first = ini.ReadInteger(kPersonality, side + "TopHeight", 0);
        const int second = ini.ReadInteger(kPersonality, side + "BotHeight", 0);
        frame.Frame = ini.ReadInteger(kPersonality, side + "Frame", 1);
        frame.Tile = std::min(ini.ReadInteger(kPersonality, side + "Stretch", 1), 1);
        frame.Trans = ini.ReadInteger(kPersonality, side + "Trans", 1);
        const bool vertical = i < 2; // the side pieces run down, the others across
        frame.TopHeight = vertical ? first : 0;
        frame.BottomHeight = vertical ? second : 0;
        frame.LeftWidth = vertical ? 0 : first;
        frame.RightWidth = vertical ? 0 : second;
    }
}

void TSkinData::LoadColours(const TQuickIni& ini, const std::vector<std::string>& sections) {
    for (const TColourKey& key : kColourKeys) {
        const TColor fallback = key.systemColour < 0 ? colours_[scButtonFace] : SystemColor(key.systemColour);
        const std::string text = ini.ReadString("Colours", key.key, "");
        colourSet_[key.index] = !text.empty();
        colours_[key.index] = ParseColour(text, fallback);
    }

    extraColours_.clear();
    for (const std::string& section : sections) {
        const std::string upper = UpperCase(section);
        if (StartsWith(upper, "COLOUR") && upper != "COLOURS")
            extraColours_.push_back(
                ParseColour(ini.ReadString(section, "color", ""), SystemColor(COLOR_WINDOWTEXT)));
    }
    for (size_t i = 0; i < customColours_.size(); ++i)
        customColours_[i] =
            ParseColour(ini.ReadString("Customcolors", "Color" + std::to_string(i), ""), clWhite);
}

void TSkinData::LoadCaptionButtons(const TQuickIni& ini, const std::vector<std::string>& sections) {
    sysButtons_.clear();
    bool sharedPosition = false;
    int sharedX = 0, sharedY = 0;
    for (const std::string& section : sections) {
        const std::string upper = UpperCase(section);
        if (!StartsWith(upper, "BUTTON") || upper == "BUTTONS" || upper == "BUTTON.RADIO" ||
            upper == "BUTTON.CHECKBOX" || upper == "BUTTON")
            continue;
        const int action = ini.ReadInteger(section, "Action", 0);
        if (action == -1 && ini.ReadInteger(section, "Visibility", -1) != 0)
            continue;
        if (static_cast<int>(sysButtons_.size()) >= MaxCaptionButtons)
            break;

        auto button = std::make_unique<TDataSkinSysButton>(upper);
        button->Action = action;
        button->Align = ini.ReadInteger(section, "Align", 0);
        button->XCoord = ini.ReadInteger(section, "Xcoord", 0);
        button->YCoord = ini.ReadInteger(section, "Ycoord", 0);
        button->Visibility = ini.ReadInteger(section, "Visibility", 0);
        button->Visibility1 = ini.ReadInteger(section, "Visibility1", action == -1 ? -1 : 0);
        button->CombineOp = ini.ReadInteger(section, "CombineOp", -1);
        button->Frame = ini.ReadInteger(section, "frame", 0);
        LoadImage(button->Bitmap, ini.ReadString(section, "ButtonImage", ""));

        // The help button sits where the maximize button of a normal window would.
        if (button->Action == 1 && button->Visibility == 2) {
            sharedPosition = true;
            sharedX = button->XCoord;
            sharedY = button->YCoord;
        } else if (button->Action == 4 && sharedPosition) {
            button->XCoord = sharedX;
            button->YCoord = sharedY;
        }

        if (button->Frame == 0) {
            button->Frame = 6;
            if (!button->Bitmap.Empty()) {
                const double ratio = static_cast<double>(button->Bitmap.Width()) / button->Bitmap.Height();
                button->Frame = ratio <= 3.8 ? 3 : 6;
            }
            if (button->Action < 0)
                button->Frame = 6;
            // Icon buttons without a cell count show the window's icon, not the image.
            if (button->Action == 3 || button->Action == 11)
                ClearBitmap(button->Bitmap);
        }
        sysButtons_.push_back(std::move(button));
    }

    TBitmap controls;
    LoadImage(controls, ini.ReadString("MDICONTROLS", "Image", ""));
    for (int i = 0; i < 3; ++i) {
        auto button = std::make_unique<TDataSkinSysButton>("MDICONTROLS");
        button->Action = 7 + i;
        button->Align = 100;
        button->Visibility = 100;
        button->Visibility1 = 100;
        button->Frame = 4;
        if (!controls.Empty()) {
            const int cell = controls.Width() / 12;
            CopyBitmapPart(controls, 4 * cell * i, 4 * cell, button->Bitmap);
            button->XCoord = (cell + 4) * (3 - i);
        }
        sysButtons_.push_back(std::move(button));
    }
}

void TSkinData::LoadButtons(const TQuickIni& ini) {
    TDataSkinButton& buttons = *buttons_;
    const char* section = "Buttons";
    buttons.LeftWidth = ini.ReadInteger(section, "LeftWidth", 0);
    buttons.RightWidth = ini.ReadInteger(section, "RightWidth", 0);
    buttons.TopHeight = ini.ReadInteger(section, "TopHeight", 0);
    buttons.BottomHeight = ini.ReadInteger(section, "BottomHeight", 0);
    buttons.Trans = ini.ReadInteger(section, "Trans", 0);
    buttons.Tile = ini.ReadInteger(section, "Tile", 0);
    if (buttons.Tile > 1)
        buttons.Tile = 0;
    LoadImage(buttons.Bitmap, ini.ReadString(section, "Bitmap", ""));
    LoadImage(buttons.CheckBitmap, ini.ReadString(section, "CheckButton", ""));
    LoadImage(buttons.RadioBitmap, ini.ReadString(section, "RadioButton", ""));
    buttons.NormalColour = ini.ReadInteger(section, "NormalColour", -1);
    buttons.MouseOverColour = ini.ReadInteger(section, "MouseOverColour", -1);
    buttons.PressedColour = ini.ReadInteger(section, "PressedColour", -1);
    buttons.RadioFrame = ini.ReadInteger(section, "RadioButtonFrame", 0);
    buttons.CheckFrame = ini.ReadInteger(section, "CheckButtonFrame", 0);
    const std::string normal = ini.ReadString(section, "NormalColour2", "");
    const std::string mouseOver = ini.ReadString(section, "MouseOverColour2", "");
    const std::string pressed = ini.ReadString(section, "PressedColour2", "");
    buttons.HasNormalColour2 = !normal.empty();
    buttons.HasMouseOverColour2 = !mouseOver.empty();
    buttons.HasPressedColour2 = !pressed.empty();
    buttons.NormalColour2 = ParseColour(normal, colours_[scButtonText]);
    buttons.MouseOverColour2 = ParseColour(mouseOver, colours_[scButtonText]);
    buttons.PressedColour2 = ParseColour(pressed, colours_[scButtonText]);
}

void TSkinData::LoadTitle(const TQuickIni& ini) {
    TDataSkinTitle& title = *title_;
    LoadImage(title.Bitmap, ini.ReadString(kPersonality, "TextBack", ""));
    title.LeftWidth = ini.ReadInteger(kPersonality, "TextShift", 0);
    title.TopHeight = ini.ReadInteger(kPersonality, "TextShiftVert", 0);
    title.RightWidth = ini.ReadInteger(kPersonality, "TextRightClip", 0);
    title.BottomHeight = 0;
    title.TextAlignment = ini.ReadInteger(kPersonality, "TextAlignment", 0);
    title.TextBackground = ini.ReadInteger(kPersonality, "Textbackground", 0);
    title.TextBackLeft = ini.ReadInteger(kPersonality, "TXTBackleft", 0);
    title.TextBackRight = ini.ReadInteger(kPersonality, "TXTBackRight", 0);
    title.FontHeight = ini.ReadInteger("Fonts", "FontHeight", 14);
    title.ActiveTextColour = clNone;
    title.InactiveTextColour = clNone;
    ReadRGB(ini, kPersonality, "ActiveText", title.ActiveTextColour);
    ReadRGB(ini, kPersonality, "InActiveText", title.InactiveTextColour);
}

void TSkinData::LoadSlots(const TQuickIni& ini) {
    const TColor buttonText = colours_[scButtonText];
    for (const TSlotSpec& entry : kSlotSpecs) {
        slots_[entry.slot].reset();
        builtIn_[entry.slot] = false;
        const char* imageKey = entry.loader == slProgress  ? "Bitmap"
                               : entry.loader == slMenuBar ? "menuBar"
                                                           : "Image";
        const std::string image = ini.ReadString(entry.section, imageKey, "");
        if (image.empty())
            continue;

        std::unique_ptr<TDataSkinObject> element;
        switch (entry.loader) {
        case slProgress:
        case slBorder:
            element = std::make_unique<TDataSkinBorder>(entry.section);
            break;
        case slGroupBox:
            element = std::make_unique<TDataSkinBoxLabel>(entry.section);
            break;
        case slGeneric:
        case slMenuBar:
            element = std::make_unique<TDataSkinObject>(entry.section);
            break;
        }
        LoadImage(element->Bitmap, image);

        if (entry.loader == slMenuBar) {
            element->Tile = std::min(ini.ReadInteger(entry.section, "TileMenu", 1), 1);
            element->LeftWidth = ini.ReadInteger(entry.section, "TileLeftMenu", 1);
            element->RightWidth = ini.ReadInteger(entry.section, "TileRightMenu", 1);
            slots_[entry.slot] = std::move(element);
            continue;
        }

        element->Style = ini.ReadInteger(entry.section, "Style", 0);
        element->LeftWidth = ini.ReadInteger(entry.section, "LeftWidth", 0);
        element->RightWidth = ini.ReadInteger(entry.section, "RightWidth", 0);
        element->TopHeight = ini.ReadInteger(entry.section, "TopHeight", 0);
        element->BottomHeight = ini.ReadInteger(entry.section, "BottomHeight", 0);
        if (entry.loader == slGeneric)
            element->Frame = ini.ReadInteger(entry.section, "Frame", 0);
        element->Trans = ini.ReadInteger(entry.section, "Trans", 0);
        element->Tile = ini.ReadInteger(entry.section, "Tile", 0);
        if (element->Tile > 1)
            element->Tile = entry.loader == slProgress ? 1 : 0;
        if (entry.loader != slProgress) {
            element->NormalColour = ini.ReadInteger(entry.section, "NormalColour", -1);
            element->MouseOverColour = ini.ReadInteger(entry.section, "MouseOverColour", -1);
            element->PressedColour = ini.ReadInteger(entry.section, "PressedColour", -1);
            element->NormalColour2 =
                ParseColour(ini.ReadString(entry.section, "NormalColour2", ""), buttonText);
            element->MouseOverColour2 =
                ParseColour(ini.ReadString(entry.section, "MouseOverColour2", ""), buttonText);
            element->PressedColour2 =
                ParseColour(ini.ReadString(entry.section, "PressedColour2", ""), buttonText);
        }
        if (entry.loader == slGroupBox) {
            auto& box = static_cast<TDataSkinBoxLabel&>(*element);
            box.BackgroundAlignment = ini.ReadInteger(entry.section, "BackgroundAlignment", 0);
            box.BackgroundLeftShift = ini.ReadInteger(entry.section, "BackgroundLeftShift", 0);
            box.BackgroundRightShift = ini.ReadInteger(entry.section, "BackgroundRightShift", 0);
        }
        if (entry.loader == slBorder) {
            auto& border = static_cast<TDataSkinBorder&>(*element);
            LoadImage(border.Bitmap2, ini.ReadString(entry.section, entry.secondImageKey, ""));
            if (entry.slot == ssComboButton && !border.Bitmap.Empty()) {
                // The image for a button on the left. Mirrored cell by cell (four, the fixed
                // count) so that each state keeps its place in the strip.
                border.Bitmap2.Assign(border.Bitmap);
                border.Bitmap2.SetPixelFormat(pf24bit);
                MirrorCells(border.Bitmap2, 4);
            }
        }
        if (entry.slot == ssTabPane) {
            element->LeftWidth = std::min(element->LeftWidth, 4);
            element->TopHeight = std::min(element->TopHeight, 4);
            element->RightWidth = std::min(element->RightWidth, 4);
            element->BottomHeight = std::min(element->BottomHeight, 4);
        }
        slots_[entry.slot] = std::move(element);
    }
}

void TSkinData::LoadBuiltInTracks() {
    const std::pair<TSkinSlot, const char*> tracks[] = {{ssTrack, "TRACK"}, {ssTrackVert, "TRACKVERT"}};
    for (const auto& [slot, name] : tracks) {
        if (slots_[slot])
            continue;
        auto element = std::make_unique<TDataSkinObject>(name);
        element->LeftWidth = element->TopHeight = element->RightWidth = element->BottomHeight = 3;
        element->Tile = 0;
        element->Frame = 1;
        try {
            element->Bitmap.LoadFromResourceName(GetModuleHandleA(nullptr), name);
        } catch (const Exception&) {
            ClearBitmap(element->Bitmap); // a program built without the images draws native tracks
        }
        slots_[slot] = std::move(element);
        builtIn_[slot] = true;
    }
}

void TSkinData::FixFrameCounts(const TQuickIni& ini) {
    buttons_->Frame = 5;
    title_->Frame = 2;
    auto fix = [this](TSkinSlot slot, int frame) {
        if (slots_[slot])
            slots_[slot]->Frame = frame;
    };
    if (slots_[ssProgress])
        slots_[ssProgress]->Frame = slots_[ssProgress]->Style == 0 ? 2 : 1;
    fix(ssMenuBar, 2);
    fix(ssGroupBoxEdge, 2);
    fix(ssToolBars, 5);
    fix(ssTabs, 5);
    fix(ssTabPane, 1);
    fix(ssStatusBarEdges, 3);
    fix(ssGroupBox, 1);
    fix(ssComboButton, 4);
    fix(ssSunkEdge, 4);
    fix(ssExtraImages, 5);
    if (slots_[ssHeaderbar] && slots_[ssHeaderbar]->Frame == 0)
        slots_[ssHeaderbar]->Frame = 5;
    fix(ssMenuItem, 5);
    fix(ssMenuBackground, 1);
    fix(ssScrollbar, 23);
    fix(ssHorzScroll, 4);
    fix(ssVertScroll, 4);
    fix(ssUpDownHorz, 8);
    fix(ssUpDownVert, 8);
    for (TSkinSlot slot : {ssTrackThumbHorz, ssTrackThumbVert, ssTrackThumbLeft, ssTrackThumbRight,
                           ssTrackThumbUp, ssTrackThumbDown})
        fix(slot, 5);
    fix(ssHorzScrollThumb, ini.ReadInteger("HorzScrollThumb", "FrameCount", 3));
    fix(ssVertScrollThumb, ini.ReadInteger("VertScrollThumb", "FrameCount", 3));

    // A count below 1 (a zero or negative value in the description) would divide every cell
    // computation by zero; such an image is taken as one cell.
    auto atLeastOne = [](TDataSkinObject* element) {
        if (element && element->Frame < 1)
            element->Frame = 1;
    };
    for (auto& frame : frames_)
        atLeastOne(frame.get());
    for (auto& button : sysButtons_)
        atLeastOne(button.get());
    for (auto& slot : slots_)
        atLeastOne(slot.get());

    auto cells = [](const TBitmap& image) {
        return std::max(image.Width() / (image.Height() < 16 ? 13 : 16), 4);
    };
    if (buttons_->RadioFrame <= 0)
        buttons_->RadioFrame = cells(buttons_->RadioBitmap);
    if (buttons_->CheckFrame <= 0)
        buttons_->CheckFrame = cells(buttons_->CheckBitmap);
}

void TSkinData::MakeComboElements() {
    comboPending_ = false;
    MakeComboFrames();
    MakeComboArrow();
}

void TSkinData::MakeComboFrames() {
    TDataSkinObject* sunkEdge = slots_[ssSunkEdge].get();
    TDataSkinObject* comboButton = slots_[ssComboButton].get();
    if (!sunkEdge || !comboButton)
        return;
    const TDataSkinObject* extra = slots_[ssExtraImages].get();
    const int button = GetSystemMetrics(SM_CXHSCROLL) + 2;
    const int cells = sunkEdge->Frame;

    TBitmap strip(kComboCellWidth * cells, kComboCellHeight);
    HDC dc = strip.MemoryDC();
    {
        TOwnedBrush magenta(CreateSolidBrush(ColorToRGB(kMagenta)));
        RECT all{0, 0, strip.Width(), strip.Height()};
        FillRect(dc, &all, magenta.Get());
        for (int b = 1; b <= cells; ++b) {
            const int x = kComboCellWidth * (b - 1);
            DrawElementCell(dc, RECT{x, 0, x + kComboCellWidth, kComboCellHeight}, *sunkEdge, b,
                            sunkEdge->Trans == 1);
            const RECT buttonRect{x + kComboCellWidth - button, 0, x + kComboCellWidth, kComboCellHeight};
            DrawElementCell(dc, buttonRect, *comboButton, b, true);
            if (extra && b <= extra->Frame && !extra->Bitmap.Empty()) {
                const RECT cell = CellRect(*extra, b);
                const int w = cell.right - cell.left, h = cell.bottom - cell.top;
                const int left = buttonRect.left + (button - w) / 2, top = (kComboCellHeight - h) / 2;
                // The arrow must stand out from the button it sits on in every state.
                const RECT face = CellRect(*comboButton, b);
                TColor under = colours_[scButtonFace];
                if (face.right > face.left && face.bottom > face.top) {
                    const TColor pixel = comboButton->Bitmap.PixelColor((face.left + face.right) / 2,
                                                                        (face.top + face.bottom) / 2);
                    if (pixel != kMagenta)
                        under = pixel;
                }
                DrawLegibleGlyph(dc, RECT{left, top, left + w, top + h}, extra->Bitmap, cell, under);
            }
            // The text area stays transparent so the control's own text shows through.
            RECT text{x + 2, 2, x + kComboCellWidth - 1 - button, 18};
            FillRect(dc, &text, magenta.Get());
        }
    }
    GdiFlush();

    comboButton->Bitmap.Assign(strip);
    comboButton->Style = 2;
    comboButton->TopHeight = sunkEdge->TopHeight;
    comboButton->BottomHeight = sunkEdge->BottomHeight;
    comboButton->LeftWidth = 2;
    comboButton->RightWidth = button + 2;
    // The left-button version: each cell mirrored in place, so cell b still shows state b.
    MirrorCells(strip, cells);
    sunkEdge->Bitmap.Assign(strip);
    sunkEdge->LeftWidth = button + 2;
    sunkEdge->RightWidth = 2;
}

void TSkinData::MakeComboArrow() {
    const TDataSkinObject* comboButton = slots_[ssComboButton].get();
    const TDataSkinObject* sunkEdge = slots_[ssSunkEdge].get();
    if (!comboButton) {
        // A kept arrow from an earlier skin must not show with this one.
        if (slots_[ssComboArrow])
            ClearBitmap(slots_[ssComboArrow]->Bitmap);
        return;
    }
    if (!slots_[ssComboArrow])
        slots_[ssComboArrow] = std::make_unique<TDataSkinObject>("ComboxArrow");
    TDataSkinObject& arrow = *slots_[ssComboArrow];
    if (!sunkEdge) {
        arrow.Bitmap.Assign(comboButton->Bitmap);
        ReplaceMagenta(arrow.Bitmap, colours_[scButtonFace]);
        arrow.Frame = comboButton->Frame;
    } else if (comboButton->Style == 2) {
        const int cells = sunkEdge->Frame;
        const int cellWidth = comboButton->Bitmap.Width() / cells;
        arrow.Bitmap.SetPixelFormat(pf24bit);
        arrow.Bitmap.SetSize(0, 0);
        arrow.Bitmap.SetSize(kComboArrowSize * cells, kComboArrowSize);
        for (int i = 0; i < cells; ++i)
            BitBlt(arrow.Bitmap.MemoryDC(), kComboArrowSize * i, 0, kComboArrowSize, kComboArrowSize,
                   comboButton->Bitmap.MemoryDC(), (i + 1) * cellWidth - 19, 2, SRCCOPY);
        GdiFlush();
        arrow.Frame = cells;
    }
}

void TSkinData::MakeToolbar() {
    if (!slots_[ssToolbar])
        slots_[ssToolbar] = std::make_unique<TDataSkinObject>("Toolbar");
    TDataSkinObject& toolbar = *slots_[ssToolbar];
    const TColor caption = colours_[scCaption];
    const TColor top = MixColours(colours_[scButtonFace], clWhite, 150);
    TColor bottom = MixColours(clGray, caption, 150);
    const int saturation = ColourSaturation(caption);
    if (saturation > 110)
        bottom = MixColours(caption, clWhite, (5625 - 25 * saturation) / 140 + 50);
    toolbar.Bitmap.SetPixelFormat(pf24bit);
    toolbar.Bitmap.SetSize(10, 40);
    GradientFill(toolbar.Bitmap.MemoryDC(), RECT{0, 0, 10, 40}, top, true, bottom);
    GdiFlush();
    toolbar.Frame = 1;
}

TColor TSkinData::CaptionColour() const {
    const TDataSkinBorder& top = FrameTop();
    if (top.Bitmap.Empty())
        return colours_[scButtonFace];
    const int cellHeight = top.Bitmap.Height() / std::max(top.Frame, 1);
    return top.Bitmap.PixelColor(top.Bitmap.Width() / 3, cellHeight / 3);
}
