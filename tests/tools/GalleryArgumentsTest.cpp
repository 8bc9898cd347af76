#include "GalleryArguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(GalleryArguments, OptionsFileAndHelpAreReadAndAnythingElseIsRefused) {
    struct TRow {
        std::vector<std::string> Arguments;
        std::string SkinFile;
        int Skin, Width, Height;
        bool Still, Help;
        std::string Error; // its start
    };
    const TRow table[] = {
        {{}, "", 0, 0, 0, false, false, ""},
        {{"--skin", "3", "--still", "--size", "800x600"}, "", 3, 800, 600, true, false, ""},
        {{"my.skn"}, "my.skn", 0, 0, 0, false, false, ""},
        {{"--mdi", "--skin", "2"}, "", 2, 0, 0, false, false, ""},
        {{"--help"}, "", 0, 0, 0, false, true, ""},
        {{"-h"}, "", 0, 0, 0, false, true, ""},
        {{"/?"}, "", 0, 0, 0, false, true, ""},
        {{"--still", "--help", "a.skn"}, "a.skn", 0, 0, 0, true, true, ""},
        {{"--bogus"}, "", 0, 0, 0, false, false, "unknown option --bogus"},
        {{"-help"}, "", 0, 0, 0, false, false, "unknown option -help"},
        {{"--skin"}, "", 0, 0, 0, false, false, "--skin needs a value"},
        {{"--skin", "two"}, "", 0, 0, 0, false, false, "--skin needs a skin number"},
        {{"--skin", "-1"}, "", 0, 0, 0, false, false, "--skin needs a skin number"},
        {{"--skin", "99999999999"}, "", 0, 0, 0, false, false, "--skin needs a skin number"},
        {{"--size", "800"}, "", 0, 0, 0, false, false, "--size needs a width and a height"},
        {{"--size", "0x600"}, "", 0, 0, 0, false, false, "--size needs a width and a height"},
        {{"--size", "800x600x2"}, "", 0, 0, 0, false, false, "--size needs a width and a height"},
        {{"a.skn", "b.skn"}, "", 0, 0, 0, false, false, "only one skin file"},
    };
    for (const TRow& row : table) {
        std::string line;
        for (const std::string& argument : row.Arguments)
            line += " " + argument;
        const TGalleryArguments parsed = ParseGalleryArguments(row.Arguments);
        EXPECT_EQ(parsed.Error.substr(0, row.Error.size()), row.Error) << line;
        EXPECT_EQ(parsed.Error.empty(), row.Error.empty()) << line;
        if (!row.Error.empty())
            continue;
        EXPECT_EQ(parsed.SkinFile, row.SkinFile) << line;
        EXPECT_EQ(parsed.Skin, row.Skin) << line;
        EXPECT_EQ(parsed.Width, row.Width) << line;
        EXPECT_EQ(parsed.Height, row.Height) << line;
        EXPECT_EQ(parsed.Still, row.Still) << line;
        EXPECT_EQ(parsed.Help, row.Help) << line;
        EXPECT_EQ(parsed.Mdi, line.find("--mdi") != std::string::npos) << line;
    }
}
