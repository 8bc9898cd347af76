#pragma once
// Whether a drop or a paste copies or moves: the modifier keys held, what the files' source
// asks for, and the Move switch, in that order. Plain functions, so that they run natively too.

#include <cstdint>
#include <optional>

enum class TTransferMode { Copy, Move };

// The shell's drop-effect bits as a source names them (the clipboard's "Preferred DropEffect").
constexpr std::uint32_t DropEffectCopy = 1;
constexpr std::uint32_t DropEffectMove = 2;
constexpr std::uint32_t DropEffectLink = 4;

// What a source's preferred drop effect asks for: Move when it names moving and not copying
// (files cut in Explorer), Copy when it names copying (files copied; Explorer adds linking),
// nothing when it names neither (linking only, or no effect at all).
std::optional<TTransferMode> PreferredTransfer(std::uint32_t dropEffect);

struct TTransferKeys {
    bool Shift = false;
    bool Ctrl = false;
};

// Shift alone moves and Ctrl alone copies, whatever else says, as in Explorer. Both together
// ask Explorer for a link, which a transfer cannot make: they count as no key. Without a key,
// the source's preference decides, and without one the Move switch.
TTransferMode ChooseTransfer(bool moveSwitch, TTransferKeys keys,
                             std::optional<TTransferMode> sourcePreference = std::nullopt);
