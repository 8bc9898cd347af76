#include "TransferChoice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {
constexpr TTransferMode Copy = TTransferMode::Copy;
constexpr TTransferMode Move = TTransferMode::Move;
const std::optional<TTransferMode> NoPreference;

std::string Name(TTransferMode mode) {
    return mode == Move ? "move" : "copy";
}
} // namespace

TEST(TransferChoice, EveryCombinationOfSwitchKeysAndSourcePreference) {
    struct TRow {
        bool Switch;
        bool Shift;
        bool Ctrl;
        std::optional<TTransferMode> Source;
        TTransferMode Expected;
    };
    const TRow table[] = {
        // No key, no preference: the switch as it always was.
        {false, false, false, NoPreference, Copy},
        {true, false, false, NoPreference, Move},
        // Shift moves and Ctrl copies against the switch and against the source.
        {false, true, false, NoPreference, Move},
        {true, true, false, NoPreference, Move},
        {false, true, false, Copy, Move},
        {true, false, true, NoPreference, Copy},
        {false, false, true, NoPreference, Copy},
        {true, false, true, Move, Copy},
        // The source's preference beats the switch.
        {false, false, false, Move, Move},
        {true, false, false, Copy, Copy},
        // Shift and Ctrl together count as no key.
        {false, true, true, NoPreference, Copy},
        {true, true, true, NoPreference, Move},
        {false, true, true, Move, Move},
        {true, true, true, Copy, Copy},
    };
    for (const TRow& row : table) {
        SCOPED_TRACE(std::string("switch ") + (row.Switch ? "move" : "copy") + (row.Shift ? ", Shift" : "") +
                     (row.Ctrl ? ", Ctrl" : "") + ", source " + (row.Source ? Name(*row.Source) : "none"));
        EXPECT_EQ(Name(ChooseTransfer(row.Switch, TTransferKeys{row.Shift, row.Ctrl}, row.Source)),
                  Name(row.Expected));
    }
}

TEST(TransferChoice, ThePreferredDropEffectNamesAMoveOnlyWithoutCopy) {
    // Explorer's cut, and its copy (copy with link).
    EXPECT_EQ(PreferredTransfer(DropEffectMove), Move);
    EXPECT_EQ(PreferredTransfer(DropEffectCopy | DropEffectLink), Copy);
    EXPECT_EQ(PreferredTransfer(DropEffectCopy), Copy);
    // A source that allows either is copied: the sources stay.
    EXPECT_EQ(PreferredTransfer(DropEffectCopy | DropEffectMove), Copy);
    EXPECT_EQ(PreferredTransfer(DropEffectMove | DropEffectLink), Move);
    // Nothing a transfer can do: no preference, and the switch decides.
    EXPECT_EQ(PreferredTransfer(0), NoPreference);
    EXPECT_EQ(PreferredTransfer(DropEffectLink), NoPreference);
    // Bits nobody defined change nothing.
    EXPECT_EQ(PreferredTransfer(0x80000000u | DropEffectMove), Move);
    EXPECT_EQ(PreferredTransfer(0x80000000u), NoPreference);
}
