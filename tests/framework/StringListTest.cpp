// The sorted string list: where Add puts a line, what it does with one already there under each
// duplicate policy, and what IndexOf finds by its binary search, also in long lists with runs of
// equal lines.
#include "StringList.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using TLines = std::vector<std::string>;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Adds the lines one by one and gives the indices Add answered.
std::vector<int> AddAll(TStringList& list, const TLines& lines) {
    std::vector<int> indices;
    for (const std::string& line : lines)
        indices.push_back(list.Add(line));
    return indices;
}

const TLines Fruit{"pear", "Apple", "fig", "apple", "PEAR", "banana"};

TEST(SortedStringList, IgnoringDuplicatesKeepsTheFirstAndAnswersItsIndex) {
    TStringList list;
    list.SetSorted(true);
    ASSERT_EQ(list.Duplicates(), dupIgnore);
    EXPECT_EQ(AddAll(list, Fruit), (std::vector<int>{0, 0, 1, 0, 2, 1}));
    EXPECT_EQ(list.Lines(), (TLines{"Apple", "banana", "fig", "pear"}));
    EXPECT_EQ(list.IndexOf("FIG"), 2);
    EXPECT_EQ(list.IndexOf("apple"), 0);
    EXPECT_EQ(list.IndexOf("grape"), -1);
    EXPECT_EQ(list.IndexOf(""), -1);
    EXPECT_EQ(list.IndexOf("zzz"), -1);
}

TEST(SortedStringList, AcceptingDuplicatesPutsANewLineBeforeItsEqualsAndFindsTheFirst) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupAccept);
    EXPECT_EQ(AddAll(list, Fruit), (std::vector<int>{0, 0, 1, 0, 3, 2}));
    EXPECT_EQ(list.Lines(), (TLines{"apple", "Apple", "banana", "fig", "PEAR", "pear"}));
    EXPECT_EQ(list.IndexOf("APPLE"), 0);
    EXPECT_EQ(list.IndexOf("Pear"), 4);
    EXPECT_EQ(list.IndexOf("grape"), -1);
}

TEST(SortedStringList, RefusingDuplicatesRaisesAndLeavesTheListAsItWas) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupError);
    AddAll(list, {"pear", "Apple", "fig"});
    int changes = 0;
    struct TCounter {
        int* Count;
        void Changed(TObject*) { ++*Count; }
    } counter{&changes};
    list.OnChange = Bind<&TCounter::Changed>(&counter);
    try {
        list.Add("APPLE");
        ADD_FAILURE() << "a duplicate was added";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "String list does not allow duplicates");
    }
    EXPECT_EQ(list.Lines(), (TLines{"Apple", "fig", "pear"}));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(list.Add("grape"), 2);
    EXPECT_EQ(changes, 1);
}

TEST(SortedStringList, CaseSensitiveListsKeepEveryCaseInCodeOrder) {
    TStringList list;
    list.SetCaseSensitive(true);
    list.SetSorted(true);
    EXPECT_EQ(AddAll(list, {"b", "B", "a", "A", "b"}), (std::vector<int>{0, 0, 1, 0, 3}));
    EXPECT_EQ(list.Lines(), (TLines{"A", "B", "a", "b"}));
    EXPECT_EQ(list.IndexOf("a"), 2);
    EXPECT_EQ(list.IndexOf("A"), 0);
}

TEST(SortedStringList, UnsortedListsAppendEveryLineWhateverThePolicy) {
    for (TDuplicates policy : {dupIgnore, dupAccept, dupError}) {
        TStringList list;
        list.SetDuplicates(policy);
        EXPECT_EQ(AddAll(list, Fruit), (std::vector<int>{0, 1, 2, 3, 4, 5}));
        EXPECT_EQ(list.Lines(), Fruit);
        EXPECT_EQ(list.IndexOf("PEAR"), 0);
        // Sorting afterwards keeps both of equal lines, in the order they had.
        list.SetSorted(true);
        EXPECT_EQ(list.Lines(), (TLines{"Apple", "apple", "banana", "fig", "pear", "PEAR"}));
    }
}

// Long lists: every line lands in order, and the binary search finds the first of equal lines
// wherever the run lies.
TEST(SortedStringList, LongListsStaySortedAndFindTheFirstOfEveryRun) {
    for (TDuplicates policy : {dupIgnore, dupAccept}) {
        SCOPED_TRACE(policy == dupIgnore ? "ignoring duplicates" : "accepting duplicates");
        TStringList list;
        list.SetSorted(true);
        list.SetDuplicates(policy);
        unsigned seed = 7;
        TLines added;
        for (int i = 0; i < 600; ++i) {
            seed = seed * 1103515245 + 12345;
            char line[16];
            std::snprintf(line, sizeof line, "item%03u", (seed >> 16) % 200);
            std::string text = line;
            if (seed & 0x100)
                text[0] = 'I';
            added.push_back(text);
            const int index = list.Add(text);
            ASSERT_GE(index, 0);
            ASSERT_LT(index, list.Count());
            EXPECT_EQ(Lower(list[index]), Lower(text));
        }
        TLines distinct;
        for (const std::string& line : added)
            distinct.push_back(Lower(line));
        std::sort(distinct.begin(), distinct.end());
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        EXPECT_EQ(list.Count(), policy == dupIgnore ? static_cast<int>(distinct.size()) : 600);

        TLines lowered;
        for (const std::string& line : list)
            lowered.push_back(Lower(line));
        EXPECT_TRUE(std::is_sorted(lowered.begin(), lowered.end()));
        for (const std::string& key : distinct) {
            const int first =
                static_cast<int>(std::lower_bound(lowered.begin(), lowered.end(), key) - lowered.begin());
            EXPECT_EQ(list.IndexOf(key), first) << key;
        }
        EXPECT_EQ(list.IndexOf("item200"), -1);
    }
}

} // namespace
