#include "TransferChoice.h"

std::optional<TTransferMode> PreferredTransfer(std::uint32_t dropEffect) {
    if (dropEffect & DropEffectCopy)
        return TTransferMode::Copy;
    if (dropEffect & DropEffectMove)
        return TTransferMode::Move;
    return std::nullopt;
}

TTransferMode ChooseTransfer(bool moveSwitch, TTransferKeys keys,
                             std::optional<TTransferMode> sourcePreference) {
    if (keys.Shift != keys.Ctrl)
        return keys.Shift ? TTransferMode::Move : TTransferMode::Copy;
    if (sourcePreference)
        return *sourcePreference;
    return moveSwitch ? TTransferMode::Move : TTransferMode::Copy;
}
