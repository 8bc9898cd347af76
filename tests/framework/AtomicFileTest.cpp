// The list writer's failure paths: whatever step fails, the old file is as it was, the error
// names the file and the system's reason, and no temporary file is left beside it.
#include "AtomicFile.h"

#include "SysUtils.h"
#include "TempFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using TNames = std::vector<std::string>;

const std::string OldList = "C:\\Old\r\nC:\\Kept=Title\r\n";
const std::string NewList = "C:\\New\r\n";

// Which step fails, and how.
TReplaceStep faultyStep = TReplaceStep::Write;
DWORD faultCode = 0;
unsigned long Fault(TReplaceStep step) {
    return step == faultyStep ? faultCode : 0;
}

class AtomicFileTest : public ::testing::Test {
  protected:
    void SetUp() override { folder_.Write(Name, OldList); }
    void TearDown() override { SetReplaceFault(nullptr); }

    // The text of the error the replace raised; empty when it succeeded.
    std::string Replace(const std::string& bytes) {
        try {
            WriteFileReplacing(folder_.Path(Name), bytes.data(), bytes.size());
        } catch (const EFCreateError& error) {
            return error.what();
        }
        return {};
    }
    std::string Expected(DWORD code) {
        return "Cannot create file \"" + folder_.Path(Name) + "\". " + SysErrorMessage(code);
    }
    void ExpectUntouched() {
        EXPECT_EQ(folder_.Read(Name), OldList);
        EXPECT_EQ(folder_.Files(), (TNames{Name}));
    }

    static constexpr const char* Name = "perchpoints.dat";
    TTempFolder folder_;
};

TEST_F(AtomicFileTest, ReplacesTheFileWholeAndLeavesNothingElse) {
    EXPECT_EQ(Replace(NewList), "");
    EXPECT_EQ(folder_.Read(Name), NewList);
    EXPECT_EQ(folder_.Files(), (TNames{Name}));
    EXPECT_EQ(Replace(""), "");
    EXPECT_EQ(folder_.Read(Name), "");
}

TEST_F(AtomicFileTest, AFullDiskWhileWritingOrFlushingKeepsTheOldFile) {
    SetReplaceFault(Fault);
    for (TReplaceStep step : {TReplaceStep::Write, TReplaceStep::Flush}) {
        faultyStep = step;
        faultCode = ERROR_DISK_FULL;
        EXPECT_EQ(Replace(std::string(100000, 'x')), Expected(ERROR_DISK_FULL)) << static_cast<int>(step);
        ExpectUntouched();
    }
    // The last step, the replace itself, refused: the same.
    faultyStep = TReplaceStep::Replace;
    faultCode = ERROR_SHARING_VIOLATION;
    EXPECT_EQ(Replace(NewList), Expected(ERROR_SHARING_VIOLATION));
    ExpectUntouched();
}

TEST_F(AtomicFileTest, AFolderThatTakesNoNewFileKeepsTheOldFile) {
    SetReplaceFault(Fault);
    faultyStep = TReplaceStep::CreateTemp;
    faultCode = ERROR_ACCESS_DENIED;
    EXPECT_EQ(Replace(NewList), Expected(ERROR_ACCESS_DENIED));
    ExpectUntouched();
    SetReplaceFault(nullptr);

    // A folder that is not there at all.
    const std::string nowhere = folder_.Path("missing\\perchpoints.dat");
    try {
        WriteFileReplacing(nowhere, NewList.data(), NewList.size());
        ADD_FAILURE() << "wrote into a missing folder";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"" + nowhere + "\". ", 0), 0u)
            << error.what();
    }
    ExpectUntouched();
}

TEST_F(AtomicFileTest, AHiddenOrReadOnlyListIsNotReplaced) {
    for (DWORD attribute : {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN}) {
        SetFileAttributesA(folder_.Path(Name).c_str(), attribute);
        if (!(GetFileAttributesA(folder_.Path(Name).c_str()) & attribute)) {
            // Wine keeps the hidden mark only where the file system can store it.
            std::printf("attribute 0x%lX not kept by this file system; not checked\n", attribute);
            continue;
        }
        EXPECT_EQ(Replace(NewList), Expected(ERROR_ACCESS_DENIED)) << attribute;
        SetFileAttributesA(folder_.Path(Name).c_str(), FILE_ATTRIBUTE_NORMAL);
        ExpectUntouched();
    }
}

TEST_F(AtomicFileTest, ASymbolicLinkIsNotReplacedByAPlainFile) {
    folder_.Write("real.dat", OldList);
    folder_.Remove(Name);
    const std::string link = folder_.Path(Name);
    const bool made = CreateSymbolicLinkA(link.c_str(), folder_.Path("real.dat").c_str(), 0);
    const DWORD attributes = GetFileAttributesA(link.c_str());
    if (!made || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "this system makes no symbolic link that shows as one";
    EXPECT_EQ(Replace(NewList), Expected(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(folder_.Read("real.dat"), OldList);
    EXPECT_EQ(folder_.Files(), (TNames{Name, "real.dat"}));
}
} // namespace
