#include "TransferRequest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// A NUL-ended list as its names.
std::vector<std::wstring> Names(const std::wstring& list) {
    std::vector<std::wstring> names;
    size_t start = 0;
    while (start < list.size() && list[start] != L'\0') {
        size_t end = list.find(L'\0', start);
        names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}
} // namespace

TEST(TransferRequest, SeveralSourcesGetOneDestinationEachInTheSameOrder) {
    const std::vector<std::wstring> sources = {L"C:\\src\\one.txt", L"D:\\Album\\", L"C:\\src\\\u03a9.txt"};
    TTransferLists lists = MakeTransferLists(sources, L"E:\\Target\\", true);
    EXPECT_TRUE(lists.OneDestinationEach);
    EXPECT_EQ(lists.From, sources[0] + L'\0' + sources[1] + L'\0' + sources[2] + L'\0' + L'\0');
    EXPECT_EQ(Names(lists.To), (std::vector<std::wstring>{L"E:\\Target\\one.txt", L"E:\\Target\\Album",
                                                          L"E:\\Target\\\u03a9.txt"}));
    // Closed by a second NUL, nothing after it.
    ASSERT_GE(lists.To.size(), 2u);
    EXPECT_EQ(lists.To.substr(lists.To.size() - 2), std::wstring(2, L'\0'));
    EXPECT_EQ(lists.To.find(std::wstring(2, L'\0')), lists.To.size() - 2);

    // Without the trailing backslash on the folder: the same names.
    EXPECT_EQ(Names(MakeTransferLists(sources, L"E:\\Target", true).To), Names(lists.To));
}

TEST(TransferRequest, OneSourceOrOneFolderForAllKeepsTheFolderAlone) {
    const std::wstring folderOnly(L"E:\\Target\\\0\0", 12);
    EXPECT_EQ(MakeTransferLists({L"C:\\a.txt"}, L"E:\\Target\\", true).To, folderOnly);
    TTransferLists copy = MakeTransferLists({L"C:\\a.txt", L"C:\\b.txt"}, L"E:\\Target\\", false);
    EXPECT_FALSE(copy.OneDestinationEach);
    EXPECT_EQ(copy.To, folderOnly);
    // A drive root has no name of its own to arrive under.
    TTransferLists root = MakeTransferLists({L"C:\\a.txt", L"F:\\"}, L"E:\\Target\\", true);
    EXPECT_FALSE(root.OneDestinationEach);
    EXPECT_EQ(root.To, folderOnly);
    EXPECT_EQ(MakeTransferLists({}, L"E:\\T\\", true).From, std::wstring(1, L'\0'));
}

TEST(TransferRequest, LastPathName) {
    EXPECT_EQ(LastPathName(L"C:\\a\\b.txt"), L"b.txt");
    EXPECT_EQ(LastPathName(L"C:\\a\\b\\\\"), L"b");
    EXPECT_EQ(LastPathName(L"\\\\server\\share\\x"), L"x");
    EXPECT_EQ(LastPathName(L"C:\\"), L"");
    EXPECT_EQ(LastPathName(L"C:file"), L"file");
    EXPECT_EQ(LastPathName(L"plain"), L"plain");
}

TEST(TransferRequest, TheShellsOwnCodesHaveWordsAndSystemCodesDoNot) {
    EXPECT_EQ(ShellOwnErrorText(0x7C), "A path in the source or the destination is not valid.");
    EXPECT_FALSE(ShellOwnErrorText(0x402).empty());
    EXPECT_FALSE(ShellOwnErrorText(0x10000).empty());
    for (unsigned code : {0u, 2u, 5u, 0x70u, 0x77u, 0x4C7u})
        EXPECT_EQ(ShellOwnErrorText(code), "") << code;
}
