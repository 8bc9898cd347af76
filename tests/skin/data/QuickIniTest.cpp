#include "WinSkinIni.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TQuickIni Ini(std::string_view text) {
    TQuickIni ini;
    ini.LoadFromText(text);
    return ini;
}

TEST(QuickIni, KeepsTrimmedLinesAndDropsCommentsAndBlanks) {
    TQuickIni ini = Ini(" [A] \r\n; comment\r\n\r\n\t key = value \rnext=1\n#hash=2\n  ;also comment");
    ASSERT_EQ(ini.LineCount(), 4u);
    EXPECT_EQ(ini.Line(0), "[A]");
    EXPECT_EQ(ini.Line(1), "key = value");
    EXPECT_EQ(ini.Line(2), "next=1");
    EXPECT_EQ(ini.Line(3), "#hash=2");
    // A hash sign starts no comment: it belongs to the key.
    EXPECT_EQ(ini.ReadString("A", "#hash", "-"), "2");
    EXPECT_EQ(ini.ReadString("A", "key", "-"), "value");
}

TEST(QuickIni, NulEndsTheTextAndBytesAbove127AreNotBlanks) {
    TQuickIni ini = Ini(std::string_view("[A]\nk=\xA0v\xA0\n\0[B]\nk=2\n", 20));
    EXPECT_EQ(ini.ReadString("A", "k", "-"), "\xA0v\xA0");
    EXPECT_EQ(ini.ReadString("B", "k", "-"), "-");
}

TEST(QuickIni, SectionsAndKeysIgnoreCaseAndTheFirstOneWins) {
    TQuickIni ini = Ini("[buttons]\nRightwidth=8\nTrans=\nTrans=1\nLeftWidth=3\nLEFTWIDTH=4\n"
                        "[Buttons]\nTopHeight=5\n[Other]\nRightWidth=9\n");
    EXPECT_EQ(ini.ReadInteger("Buttons", "RightWidth", 0), 8);
    EXPECT_EQ(ini.ReadInteger("BUTTONS", "leftwidth", 0), 3);
    // An empty value gives the default, and the search stops there: the later Trans=1 is unseen.
    EXPECT_EQ(ini.ReadInteger("Buttons", "Trans", 7), 7);
    // The second [Buttons] is never read.
    EXPECT_EQ(ini.ReadInteger("Buttons", "TopHeight", -1), -1);
    // Keys of one section do not leak into the next.
    EXPECT_EQ(ini.ReadString("Other", "Trans", "-"), "-");
    EXPECT_EQ(ini.ReadString("Missing", "RightWidth", "-"), "-");
}

TEST(QuickIni, BlanksInsideBracketsBelongToTheSectionName) {
    TQuickIni ini = Ini("[ Padded ]\nk=1\n[Tab.Pane]\nk=2\n[]\nk=3\n");
    EXPECT_EQ(ini.ReadString(" Padded ", "k", "-"), "1");
    EXPECT_EQ(ini.ReadString("Padded", "k", "-"), "-");
    EXPECT_EQ(ini.ReadString("tab.pane", "K", "-"), "2");
    EXPECT_EQ(ini.ReadString("", "k", "-"), "3");
    std::vector<std::string> sections{"stale"};
    ini.ReadSections(sections);
    EXPECT_EQ(sections, (std::vector<std::string>{"Padded", "Tab.Pane", ""}));
}

TEST(QuickIni, ValuesKeepEverythingAfterTheFirstEquals) {
    TQuickIni ini = Ini("[S]\nImage = Skins\\A=B.bmp \nnoequals\n=empty key\nEmpty=\n");
    EXPECT_EQ(ini.ReadString("S", "image", "-"), "Skins\\A=B.bmp");
    EXPECT_EQ(ini.ReadString("S", "Empty", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "noequals", "-"), "-");
}

TEST(QuickIni, ReadsFromAStreamPosition) {
    struct TFakeStream {
        std::string data;
        long long position = 4;
        long long Size() const { return static_cast<long long>(data.size()); }
        long long Position() const { return position; }
        size_t Read(void* buffer, size_t count) {
            data.copy(static_cast<char*>(buffer), count, static_cast<size_t>(position));
            return count;
        }
    } stream{"xxx\n[A]\nk=v\n"};
    TQuickIni ini;
    ini.LoadFromStream(stream);
    EXPECT_EQ(ini.ReadString("A", "k", "-"), "v");
}

TEST(QuickIni, IntegersInDecimalAndBothHexForms) {
    TQuickIni ini =
        Ini("[S]\na=0x10\nb=$10\nc=0X1f\nd=-12\ne=+7\nf=12px\ng=5 ; note\nh=0x\ni=$\n"
            "j=2147483647\nk=2147483648\nl=-2147483648\nm=$FFFFFFFF\nn=$123456789\no=-0x10\np=-$10\n");
    EXPECT_EQ(ini.ReadInteger("S", "a", 0), 16);
    EXPECT_EQ(ini.ReadInteger("S", "b", 0), 16);
    EXPECT_EQ(ini.ReadInteger("S", "c", 0), 31);
    EXPECT_EQ(ini.ReadInteger("S", "d", 0), -12);
    EXPECT_EQ(ini.ReadInteger("S", "e", 0), 7);
    EXPECT_EQ(ini.ReadInteger("S", "f", 99), 99);
    EXPECT_EQ(ini.ReadInteger("S", "g", 99), 99); // no trailing comments
    EXPECT_EQ(ini.ReadInteger("S", "h", 99), 99);
    EXPECT_EQ(ini.ReadInteger("S", "i", 99), 99);
    EXPECT_EQ(ini.ReadInteger("S", "j", 0), 2147483647);
    EXPECT_EQ(ini.ReadInteger("S", "k", 99), 99);
    EXPECT_EQ(ini.ReadInteger("S", "l", 0), -2147483647 - 1);
    EXPECT_EQ(ini.ReadInteger("S", "m", 0), -1);
    EXPECT_EQ(ini.ReadInteger("S", "n", 99), 99);
    EXPECT_EQ(ini.ReadInteger("S", "o", 99), 99); // only a leading 0x is hexadecimal
    EXPECT_EQ(ini.ReadInteger("S", "p", 0), -16);
}

TEST(QuickIni, ManySectionsAreFoundByNameAndOnlyTheFirstOfEachCounts) {
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "[S" + std::to_string(i % 1000) + "]\nk=" + std::to_string(i) + "\n";
    TQuickIni ini = Ini(text);
    EXPECT_EQ(ini.ReadInteger("s999", "k", -1), 999);
    EXPECT_EQ(ini.ReadInteger("S0", "k", -1), 0);
    std::vector<std::string> sections;
    ini.ReadSections(sections);
    EXPECT_EQ(sections.size(), 3000u);
}

TEST(QuickIni, TextBeyondTheLimitIsCut) {
    std::string text = "[A]\nk=1\n" + std::string(TQuickIni::MaxTextSize, '\n') + "[B]\nk=2\n";
    TQuickIni ini = Ini(text);
    EXPECT_EQ(ini.ReadString("A", "k", "-"), "1");
    EXPECT_EQ(ini.ReadString("B", "k", "-"), "-");
}

TEST(ParseColour, ThreeNumbersInAnyNotation) {
    EXPECT_EQ(ParseColour("222 222 222", -5), 0xDEDEDE);
    EXPECT_EQ(ParseColour("255 0", -5), 0x0000FF); // pure red: missing blue is 0
    EXPECT_EQ(ParseColour("1,2,3", -5), 0x030201); // red in the low byte
    EXPECT_EQ(ParseColour(" rgb(10; 20 ;30) ", -5), 0x1E140A);
    EXPECT_EQ(ParseColour("256 257 511", -5), 0xFF0100); // modulo 256
    EXPECT_EQ(ParseColour("1 2 3 4 5", -5), 0x030201);
    EXPECT_EQ(ParseColour("99999999999999999999 0 0", -5), 0x0000FF); // 10^20 - 1 is 255 modulo 256
    EXPECT_EQ(ParseColour("x", -5), 0);
    EXPECT_EQ(ParseColour("", -5), -5);
    EXPECT_EQ(ParseColour("", SkinSystemColour(15)), static_cast<TSkinColour>(0xFF00000F));
}

TEST(ReadRGB, SetsTheColourOnlyWhenAllThreeAreThere) {
    TQuickIni ini = Ini("[P]\nActiveTextR=255\nActiveTextG=255\nInActiveTextR=1\nInActiveTextG=258\n"
                        "InActiveTextB=0x10\nBadR=1\nBadG=-1\nBadB=1\n");
    TSkinColour colour = 0x1FFFFFFF;
    EXPECT_FALSE(ReadRGB(ini, "P", "ActiveText", colour));
    EXPECT_EQ(colour, 0x1FFFFFFF);
    EXPECT_FALSE(ReadRGB(ini, "P", "Bad", colour));
    EXPECT_TRUE(ReadRGB(ini, "P", "InActiveText", colour));
    EXPECT_EQ(colour, 0x100201);
}

} // namespace
