#include "SkinInfo.h"

#include "SkinRead.h"
#include "Streams.h"
#include "WinSkinData.h"
#include "WinSkinIni.h"

#include <cstdio>
#include <iostream>

namespace {
class TLines {
  public:
    explicit TLines(std::vector<std::string>& lines) : lines_(lines) {}

    void Add(const std::string& element, const std::string& value) {
        lines_.push_back(element + " = " + value);
    }
    void Int(const std::string& element, const char* field, int value) {
        Add(Field(element, field), std::to_string(value));
    }
    void Colour(const std::string& element, const char* field, TColor value) {
        Add(Field(element, field), Hex(value));
    }
    void Flag(const std::string& element, const char* field, bool value) {
        Add(Field(element, field), value ? "true" : "false");
    }
    void Image(const std::string& element, const char* field, const TBitmap& image) {
        Add(Field(element, field),
            image.Empty() ? "empty" : std::to_string(image.Width()) + "x" + std::to_string(image.Height()));
    }
    void Text(const std::string& element, const char* field, const std::string& value) {
        Add(Field(element, field), value);
    }

    static std::string Hex(TColor value) {
        char text[16];
        std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(value));
        return text;
    }

  private:
    static std::string Field(const std::string& element, const char* field) { return element + "." + field; }
    std::vector<std::string>& lines_;
};

void DescribeObject(TLines& out, const std::string& element, const TDataSkinObject& object) {
    out.Int(element, "LeftWidth", object.LeftWidth);
    out.Int(element, "TopHeight", object.TopHeight);
    out.Int(element, "RightWidth", object.RightWidth);
    out.Int(element, "BottomHeight", object.BottomHeight);
    out.Image(element, "Bitmap", object.Bitmap);
    out.Int(element, "Trans", object.Trans);
    out.Int(element, "Tile", object.Tile);
    out.Text(element, "Name", object.Name);
    out.Int(element, "Frame", object.Frame);
    out.Int(element, "Style", object.Style);
    out.Int(element, "NormalColour", object.NormalColour);
    out.Int(element, "MouseOverColour", object.MouseOverColour);
    out.Int(element, "PressedColour", object.PressedColour);
    out.Colour(element, "NormalColour2", object.NormalColour2);
    out.Colour(element, "MouseOverColour2", object.MouseOverColour2);
    out.Colour(element, "PressedColour2", object.PressedColour2);
    if (auto* border = dynamic_cast<const TDataSkinBorder*>(&object))
        out.Image(element, "Bitmap2", border->Bitmap2);
    if (auto* box = dynamic_cast<const TDataSkinBoxLabel*>(&object)) {
        out.Int(element, "BackgroundLeftShift", box->BackgroundLeftShift);
        out.Int(element, "BackgroundRightShift", box->BackgroundRightShift);
        out.Int(element, "BackgroundAlignment", box->BackgroundAlignment);
    }
    if (auto* button = dynamic_cast<const TDataSkinSysButton*>(&object)) {
        out.Int(element, "Action", button->Action);
        out.Int(element, "Align", button->Align);
        out.Int(element, "XCoord", button->XCoord);
        out.Int(element, "YCoord", button->YCoord);
        out.Int(element, "CombineOp", button->CombineOp);
        out.Int(element, "Visibility", button->Visibility);
        out.Int(element, "Visibility1", button->Visibility1);
    }
}

void DescribeSlot(TLines& out, const TSkinData& skin, TSkinSlot slot) {
    const std::string name = SkinSlotName(slot);
    const TDataSkinObject* element = skin.Slot(slot);
    out.Add(name, !element ? "absent" : skin.IsBuiltIn(slot) ? "builtin" : "present");
    if (element)
        DescribeObject(out, name, *element);
}
} // namespace

std::vector<std::string> DescribeSkin(const TSkinData& skin) {
    std::vector<std::string> lines;
    TLines out(lines);
    out.Add("SkinName", skin.SkinName());

    const std::pair<const char*, const TDataSkinBorder*> frames[] = {{"FrameLeft", &skin.FrameLeft()},
                                                                     {"FrameRight", &skin.FrameRight()},
                                                                     {"FrameTop", &skin.FrameTop()},
                                                                     {"FrameBottom", &skin.FrameBottom()}};
    for (const auto& [name, frame] : frames)
        DescribeObject(out, name, *frame);

    for (int i = 0; i < scColourCount; ++i) {
        auto index = static_cast<TSkinColourIndex>(i);
        out.Add("Colours[" + std::to_string(i) + "]",
                TLines::Hex(skin.Colour(index)) + (skin.ColourSet(index) ? " set" : " default"));
    }
    for (size_t i = 0; i < skin.ExtraColours().size(); ++i)
        out.Add("ExtraColours[" + std::to_string(i) + "]", TLines::Hex(skin.ExtraColours()[i]));
    for (size_t i = 0; i < skin.CustomColours().size(); ++i)
        out.Add("CustomColours[" + std::to_string(i) + "]", TLines::Hex(skin.CustomColours()[i]));

    for (size_t i = 0; i < skin.SysButtons().size(); ++i)
        DescribeObject(out, "SysButtons[" + std::to_string(i) + "]", *skin.SysButtons()[i]);

    const TDataSkinButton& buttons = skin.Buttons();
    DescribeObject(out, "Buttons", buttons);
    out.Image("Buttons", "CheckBitmap", buttons.CheckBitmap);
    out.Image("Buttons", "RadioBitmap", buttons.RadioBitmap);
    out.Int("Buttons", "RadioFrame", buttons.RadioFrame);
    out.Int("Buttons", "CheckFrame", buttons.CheckFrame);
    out.Flag("Buttons", "HasNormalColour2", buttons.HasNormalColour2);
    out.Flag("Buttons", "HasMouseOverColour2", buttons.HasMouseOverColour2);
    out.Flag("Buttons", "HasPressedColour2", buttons.HasPressedColour2);

    // The title keeps its text layout in the base margins; it is shown under its own names.
    const TDataSkinTitle& title = skin.Title();
    out.Int("Title", "TextShift", title.TextShift());
    out.Int("Title", "TextShiftVert", title.TextShiftVert());
    out.Int("Title", "TextRightClip", title.TextRightClip());
    out.Image("Title", "TextBack", title.TextBack());
    out.Int("Title", "Frame", title.Frame);
    out.Int("Title", "TextAlignment", title.TextAlignment);
    out.Int("Title", "TextBackground", title.TextBackground);
    out.Int("Title", "FontHeight", title.FontHeight);
    out.Int("Title", "TextBackLeft", title.TextBackLeft);
    out.Int("Title", "TextBackRight", title.TextBackRight);
    out.Colour("Title", "ActiveTextColour", title.ActiveTextColour);
    out.Colour("Title", "InactiveTextColour", title.InactiveTextColour);

    for (int slot = 0; slot < ssSlotCount; ++slot)
        DescribeSlot(out, skin, static_cast<TSkinSlot>(slot));
    return lines;
}

int RunInfo(const std::string& file) {
    TMemoryStream packed;
    packed.LoadFromFile(file);
    TSkinReader reader;
    std::string error;
    if (!reader.ReadArchive(packed, error)) {
        std::cerr << "perchskin: " << file << ": " << error << "\n";
        return 1;
    }
    TMemoryStream description;
    std::string entryName;
    if (!reader.ExtractFileContaining(".ini", description, entryName))
        std::cerr << "perchskin: " << file << ": no .ini entry; every value is a default\n";
    TQuickIni ini;
    ini.LoadFromStream(description);

    TOwnedComponent<TSkinData> skin = MakeComponent<TSkinData>(nullptr);
    skin->LoadElements(ini, reader);
    for (const std::string& line : DescribeSkin(*skin))
        std::cout << line << "\n";
    return std::cout.good() ? 0 : 1;
}
