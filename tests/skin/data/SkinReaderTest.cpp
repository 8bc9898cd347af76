#include "SkinRead.h"
#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromText(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string StreamText(const TMemoryStream& stream) {
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

void LoadPacked(TMemoryStream& stream, const Bytes& packed) {
    stream.Clear();
    stream.WriteBuffer(packed.data(), packed.size());
}

// A packed skin whose archive says version, the rest as our writer makes it.
Bytes PackedWithVersion(std::uint32_t version) {
    Bytes archive = BuildSkinArchive({{"a.bmp", FromText("xy")}, {"s.ini", FromText("[a]")}});
    for (int i = 0; i < 4; ++i)
        archive[static_cast<size_t>(i)] = static_cast<std::uint8_t>(version >> (8 * i));
    return LzhPack(archive);
}

class SkinReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TMemoryStream packed;
        WritePackedSkin({{"Buttons.bmp", FromText("first")},
                         {"FrameTop.BMP", FromText("top")},
                         {"buttons.bmp", FromText("second")},
                         {"empty.bmp", {}},
                         {"Skin.ini", FromText("[Buttons]\r\nBitmap=buttons.bmp\r\n")}},
                        packed);
        packed.Seek(0, soEnd); // ReadArchive starts at 0 whatever the position
        std::string error;
        ASSERT_TRUE(reader_.ReadArchive(packed, error)) << error;
    }

    TSkinReader reader_;
};

TEST_F(SkinReaderTest, HoldsTheHeaderNamesSizesAndDataArea) {
    EXPECT_EQ(reader_.Version(), 70000u);
    EXPECT_EQ(reader_.Count(), 5);
    EXPECT_EQ(reader_.NameListLength(), 61);
    ASSERT_EQ(reader_.Names().Count(), 5);
    EXPECT_EQ(reader_.Names()[1], "frametop.bmp");
    EXPECT_EQ(reader_.Names()[4], "skin.ini");
    EXPECT_EQ(reader_.EntrySize(2), 6);
    EXPECT_EQ(reader_.EntrySize(3), 0);
    EXPECT_EQ(StreamText(reader_.Data()), "firsttopsecond[Buttons]\r\nBitmap=buttons.bmp\r\n");
}

TEST_F(SkinReaderTest, ExtractFileFindsTheFirstEntryOfThatNameInAnyCase) {
    TMemoryStream target;
    target.WriteBuffer("old", 3);
    reader_.ExtractFile("BUTTONS.BMP", target);
    EXPECT_EQ(StreamText(target), "first");
    EXPECT_EQ(target.Position(), 0);

    reader_.ExtractFile("frametop.bmp", target);
    EXPECT_EQ(StreamText(target), "top");

    reader_.ExtractFile("buttons", target); // the bare stem is no name
    EXPECT_EQ(target.Size(), 0);
    reader_.ExtractFile("empty.bmp", target);
    EXPECT_EQ(target.Size(), 0);
}

TEST_F(SkinReaderTest, ExtractFileContainingReturnsTheFirstMatchAndItsName) {
    TMemoryStream target;
    std::string name;
    ASSERT_TRUE(reader_.ExtractFileContaining(".ini", target, name));
    EXPECT_EQ(name, "skin.ini");
    EXPECT_EQ(StreamText(target), "[Buttons]\r\nBitmap=buttons.bmp\r\n");
    EXPECT_EQ(target.Position(), 0);

    ASSERT_TRUE(reader_.ExtractFileContaining("buttons", target, name));
    EXPECT_EQ(name, "buttons.bmp");
    EXPECT_EQ(StreamText(target), "first");

    EXPECT_FALSE(reader_.ExtractFileContaining(".ico", target, name));
    EXPECT_EQ(name, "");
    EXPECT_EQ(target.Size(), 0);
}

TEST_F(SkinReaderTest, AFailedReadLeavesNoEntriesBehind) {
    TMemoryStream packed;
    LoadPacked(packed, PackedWithVersion(10000));
    std::string error;
    EXPECT_FALSE(reader_.ReadArchive(packed, error));
    EXPECT_EQ(error, "This is Older Skin File\rPlease update to new version !");
    EXPECT_EQ(reader_.Count(), 0);
    EXPECT_EQ(reader_.Names().Count(), 0);
    EXPECT_TRUE(reader_.Data().Bytes().empty());
    TMemoryStream target;
    reader_.ExtractFile("buttons.bmp", target);
    EXPECT_EQ(target.Size(), 0);
}

class SkinReaderMessageTest : public TUiTest {};

TAnswer MessageOk() {
    TAnswer answer;
    answer.ClassName = "TMessageForm";
    answer.Button = "OK";
    return answer;
}

TEST_F(SkinReaderMessageTest, AnUnlistedVersionIsReportedInAMessageBox) {
    TestApplication();
    TSkinReader reader;
    TMemoryStream packed;
    LoadPacked(packed, PackedWithVersion(10000));
    TDialogAnswerer answer(MessageOk());
    EXPECT_FALSE(reader.ReadArchive(packed));
    const TDialogReport& report = answer.Wait();
    ASSERT_TRUE(report.Answered);
    EXPECT_NE(report.Text.find("This is Older Skin File"), std::string::npos) << report.Text;
    EXPECT_NE(report.Text.find("Please update to new version !"), std::string::npos) << report.Text;
    EXPECT_EQ(reader.Count(), 0);
}

TEST_F(SkinReaderMessageTest, ADamagedSkinIsReportedInAMessageBox) {
    TestApplication();
    TSkinReader reader;
    TMemoryStream packed;
    Bytes archive = BuildSkinArchive({{"a.bmp", FromText("xy")}});
    archive[85 + 7] = 0x7F; // the size table: a.bmp claims 0x7F00007F bytes
    archive[85 + 7 + 3] = 0x7F;
    LoadPacked(packed, LzhPack(archive));
    TDialogAnswerer answer(MessageOk());
    EXPECT_FALSE(reader.ReadArchive(packed));
    const TDialogReport& report = answer.Wait();
    ASSERT_TRUE(report.Answered);
    EXPECT_NE(report.Text.find("Damaged skin file: the entry sizes add up past the end of the data."),
              std::string::npos)
        << report.Text;
}

} // namespace
