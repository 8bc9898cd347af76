#include "TransferUndo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
TEntryFacts File(std::uint64_t size, std::uint64_t time) {
    return TEntryFacts{false, size, time};
}
TEntryFacts Folder(std::uint64_t time) {
    return TEntryFacts{true, 0, time};
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text)
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return narrow;
}

struct TExpectedItem {
    std::wstring Name;
    std::wstring Source;
    TArrival Arrival;
};

void ExpectItems(const TTransferRecord& record, const std::vector<TExpectedItem>& expected) {
    ASSERT_EQ(record.Items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(record.Items[i].Name, expected[i].Name) << i;
        EXPECT_EQ(record.Items[i].Source, expected[i].Source) << i;
        EXPECT_EQ(record.Items[i].Arrival, expected[i].Arrival) << i;
    }
}

// The target as found now: every recorded item as it was recorded, sources free.
std::vector<TItemNow> Untouched(const TTransferRecord& record) {
    std::vector<TItemNow> now;
    for (const TArrivedItem& item : record.Items)
        now.push_back(TItemNow{item.Facts, false, true});
    return now;
}
} // namespace

TEST(TransferUndoRecord, TellsCreatedFromOverwrittenAndIgnoresWhatDidNotArrive) {
    const std::vector<std::wstring> sources = {L"C:\\src\\new.txt", L"C:\\src\\old.txt", L"C:\\src\\Album\\",
                                               L"C:\\src\\skipped.txt"};
    const TFolderListing before = {{L"old.txt", File(3, 100)}, {L"other.txt", File(1, 50)}};
    const TFolderListing after = {{L"new.txt", File(4, 200)},
                                  {L"old.txt", File(9, 300)},
                                  {L"other.txt", File(1, 50)},
                                  {L"Album", Folder(400)}};
    const TTransferRecord record = RecordArrivals(sources, L"D:\\Target\\", false, before, after);
    EXPECT_FALSE(record.Move);
    EXPECT_EQ(record.Folder, L"D:\\Target");
    ExpectItems(record, {{L"new.txt", sources[0], arCreated},
                         {L"old.txt", sources[1], arOverwritten},
                         {L"Album", sources[2], arCreated}});
    // What the listing after the transfer said, to tell later changes by.
    EXPECT_EQ(record.Items[0].Facts, File(4, 200));
    EXPECT_EQ(record.Items[2].Facts, Folder(400));
    EXPECT_TRUE(HasUndoableItems(record));
}

TEST(TransferUndoRecord, AnOverwriteThatChangedNothingStillExistedBefore) {
    // The user declined the overwrite, or the same file was copied over itself: either way the
    // item is not the transfer's to take away.
    const TTransferRecord record =
        RecordArrivals({L"C:\\a.txt"}, L"D:\\T", false, {{L"A.TXT", File(1, 1)}}, {{L"A.TXT", File(1, 1)}});
    ExpectItems(record, {{L"A.TXT", L"C:\\a.txt", arOverwritten}});
    EXPECT_FALSE(HasUndoableItems(record));
}

TEST(TransferUndoRecord, ACancelledOrFailedTransferRecordsExactlyWhatArrived) {
    const std::vector<std::wstring> sources = {L"C:\\s\\1.txt", L"C:\\s\\2.txt", L"C:\\s\\3.txt"};
    const TFolderListing before = {{L"x.txt", File(1, 1)}};
    // Stopped after the first.
    TFolderListing after = before;
    after.push_back({L"1.txt", File(5, 5)});
    ExpectItems(RecordArrivals(sources, L"D:\\T", true, before, after), {{L"1.txt", sources[0], arCreated}});
    // Stopped before anything arrived: an empty record, nothing to undo.
    const TTransferRecord none = RecordArrivals(sources, L"D:\\T", true, before, before);
    EXPECT_TRUE(none.Items.empty());
    EXPECT_FALSE(HasUndoableItems(none));
}

TEST(TransferUndoRecord, NamesTheShellMadeUpAreRecordedAsRenamedAndStrangersAreNotRecorded) {
    const std::vector<std::wstring> sources = {L"D:\\T\\report.txt", L"D:\\T\\Album", L"C:\\s\\.profile"};
    const TFolderListing before = {
        {L"report.txt", File(7, 7)}, {L"Album", Folder(7)}, {L".profile", File(2, 2)}};
    TFolderListing after = before;
    after.push_back({L"Copy of report.txt", File(7, 7)});
    after.push_back({L"Album (2)", Folder(9)});
    after.push_back({L".profile - Copy", File(2, 2)});
    // Another program put these here meanwhile: nothing of the transfer's.
    after.push_back({L"report.doc", File(1, 1)});
    after.push_back({L"unrelated.txt", File(1, 1)});
    const TTransferRecord record = RecordArrivals(sources, L"D:\\T", false, before, after);
    ExpectItems(record, {{L"report.txt", sources[0], arOverwritten},
                         {L"Album", sources[1], arOverwritten},
                         {L".profile", sources[2], arOverwritten},
                         {L"Copy of report.txt", sources[0], arRenamed},
                         {L"Album (2)", sources[1], arRenamed},
                         {L".profile - Copy", sources[2], arRenamed}});
    EXPECT_FALSE(HasUndoableItems(record));
}

TEST(TransferUndoRecord, NamesCompareWithoutRegardToCaseAndAMovedNameOfSeveralSourcesIsAmbiguous) {
    EXPECT_TRUE(SameFileName(L"Readme.TXT", L"readme.txt"));
    EXPECT_FALSE(SameFileName(L"readme.txt", L"readme.txt "));
    const std::vector<std::wstring> sources = {L"C:\\one\\a.txt", L"C:\\two\\A.txt", L"C:\\one\\b.txt"};
    const TFolderListing after = {{L"a.txt", File(1, 1)}, {L"B.txt", File(1, 1)}};
    ExpectItems(RecordArrivals(sources, L"D:\\T", true, {}, after),
                {{L"a.txt", sources[0], arAmbiguous}, {L"B.txt", sources[2], arCreated}});
    // A copy of either is still an item the copy created.
    ExpectItems(RecordArrivals(sources, L"D:\\T", false, {}, after),
                {{L"a.txt", sources[0], arCreated}, {L"B.txt", sources[2], arCreated}});
}

// ---- the plan

struct TPlanCase {
    const char* What;
    bool Move;
    TArrival Arrival;
    TItemNow Now;
    TUndoAction Action;
    TLeaveReason Reason;
};

TEST(TransferUndoPlan, EachItemIsTakenBackOnlyWhenNothingCouldBeLost) {
    const TEntryFacts recorded = File(10, 1000);
    const std::vector<TPlanCase> cases = {
        {"created by a copy", false, arCreated, {recorded, false, true}, uaRecycle, lrNone},
        {"created by a move", true, arCreated, {recorded, false, true}, uaMoveBack, lrNone},
        {"overwritten", false, arOverwritten, {recorded, false, true}, uaLeave, lrExistedBefore},
        {"overwritten by a move", true, arOverwritten, {recorded, false, true}, uaLeave, lrExistedBefore},
        {"renamed by the shell", false, arRenamed, {recorded, false, true}, uaLeave, lrRenamed},
        {"one of several of that name", true, arAmbiguous, {recorded, false, true}, uaLeave, lrAmbiguous},
        {"gone since", false, arCreated, {std::nullopt, false, true}, uaLeave, lrGone},
        {"grown since", false, arCreated, {File(11, 1000), false, true}, uaLeave, lrChangedSince},
        {"rewritten since", true, arCreated, {File(10, 1001), false, true}, uaLeave, lrChangedSince},
        {"now a folder", false, arCreated, {Folder(1000), false, true}, uaLeave, lrChangedSince},
        {"source taken again", true, arCreated, {recorded, true, true}, uaLeave, lrSourceTaken},
        {"source folder gone", true, arCreated, {recorded, false, false}, uaLeave, lrSourceFolderGone},
        // A copy does not care where its source is.
        {"copy whose source is taken", false, arCreated, {recorded, true, false}, uaRecycle, lrNone},
    };
    for (const TPlanCase& c : cases) {
        TTransferRecord record;
        record.Move = c.Move;
        record.Folder = L"D:\\T";
        record.Items.push_back(TArrivedItem{L"item.txt", L"C:\\s\\item.txt", recorded, c.Arrival});
        const std::vector<TUndoStep> plan = PlanUndo(record, {c.Now});
        ASSERT_EQ(plan.size(), 1u) << c.What;
        EXPECT_EQ(plan[0].Action, c.Action) << c.What;
        EXPECT_EQ(plan[0].Reason, c.Reason) << c.What;
        EXPECT_EQ(plan[0].Name, L"item.txt") << c.What;
        EXPECT_EQ(plan[0].Source, L"C:\\s\\item.txt") << c.What;
    }
}

TEST(TransferUndoPlan, AFolderIsComparedByItsTimeOnly) {
    TTransferRecord record;
    record.Items.push_back(TArrivedItem{L"Album", L"C:\\s\\Album", Folder(500), arCreated});
    // Listings give folders no size; a different one means nothing.
    EXPECT_EQ(PlanUndo(record, {TItemNow{TEntryFacts{true, 4096, 500}}})[0].Action, uaRecycle);
    // Something was put in or taken out.
    EXPECT_EQ(PlanUndo(record, {TItemNow{Folder(501)}})[0].Reason, lrChangedSince);
    EXPECT_EQ(PlanUndo(record, {TItemNow{File(0, 500)}})[0].Reason, lrChangedSince);
}

TEST(TransferUndoPlan, CopyOfACreatedAndAnOverwrittenItemRecyclesOnlyTheCreatedOne) {
    const std::vector<std::wstring> sources = {L"C:\\s\\fresh.txt", L"C:\\s\\kept.txt"};
    const TTransferRecord record = RecordArrivals(sources, L"D:\\T", false, {{L"kept.txt", File(1, 1)}},
                                                  {{L"fresh.txt", File(2, 2)}, {L"kept.txt", File(3, 3)}});
    std::vector<TUndoStep> plan = PlanUndo(record, Untouched(record));
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0].Action, uaRecycle);
    EXPECT_EQ(plan[1].Action, uaLeave);
    EXPECT_EQ(plan[1].Reason, lrExistedBefore);
    EXPECT_EQ(UndoMessage(false, plan, Narrow),
              "Sent to the Recycle Bin:\r\n    fresh.txt\r\n\r\n"
              "Left as they are:\r\n    kept.txt: it replaced an item of the same name in the target");
}

// ---- carrying it out and telling the user

TEST(TransferUndoSettle, WhatTheShellDidNotDoIsLeftWithTheReason) {
    auto steps = [] {
        std::vector<TUndoStep> plan(3);
        plan[0] = {L"a", L"C:\\a", uaMoveBack, lrNone};
        plan[1] = {L"b", L"C:\\b", uaLeave, lrSourceTaken};
        plan[2] = {L"c", L"C:\\c", uaMoveBack, lrNone};
        return plan;
    };
    std::vector<TUndoStep> plan = steps();
    SettleUndo(plan, {true, false, false}, false);
    EXPECT_EQ(plan[0].Action, uaMoveBack);
    EXPECT_EQ(plan[1].Reason, lrSourceTaken) << "a step left before keeps its reason";
    EXPECT_EQ(plan[2].Action, uaLeave);
    EXPECT_EQ(plan[2].Reason, lrNotMovedBack);
    EXPECT_EQ(UndoMessage(true, plan, Narrow),
              "Moved back where they came from:\r\n    a\r\n\r\nLeft as they are:\r\n"
              "    b: its old place is taken again\r\n    c: it could not be moved back");

    plan = steps();
    SettleUndo(plan, {false, false, false}, true);
    EXPECT_EQ(plan[0].Reason, lrCancelled);
    EXPECT_EQ(plan[2].Reason, lrCancelled);
    EXPECT_EQ(UndoMessage(true, plan, Narrow).rfind("Nothing was undone.\r\n\r\nLeft as they are:", 0), 0u);

    std::vector<TUndoStep> recycle = {{L"x", L"C:\\x", uaRecycle, lrNone}};
    // Fewer answers than steps: what has no answer was not done.
    SettleUndo(recycle, {}, false);
    EXPECT_EQ(UndoMessage(false, recycle, Narrow),
              "Nothing was undone.\r\n\r\nLeft as they are:\r\n    x: the Recycle Bin did not take it");
}

TEST(TransferUndoSettle, LongListsAreCutShortWithTheCountOfTheRest) {
    std::vector<TUndoStep> plan;
    for (int i = 0; i < 15; ++i)
        plan.push_back({L"f" + std::to_wstring(i), L"", uaRecycle, lrNone});
    plan.push_back({L"\u03a9.txt", L"", uaLeave, lrChangedSince});
    const std::string text = UndoMessage(false, plan, Narrow);
    EXPECT_NE(text.find("    f11\r\n    and 3 more\r\n\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("f12"), std::string::npos);
    EXPECT_NE(text.find("    ?.txt: it has changed since the transfer"), std::string::npos) << text;
}
