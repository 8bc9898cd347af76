#include "MeasuredDecode.h"

#include "WinConvert.h"

std::vector<std::uint8_t> MeasuredDecodeOurs(const std::vector<std::uint8_t>& packed)
{
    // The path the skin reader takes.
    return LzhUnpack(packed);
}

std::vector<std::uint8_t> MeasuredDecodeReference(TReferenceLzhuf<TReferenceIo::Stdio>& decoder,
                                                  const std::vector<std::uint8_t>& packed)
{
    return decoder.Decode(packed.data(), packed.size());
}

std::vector<std::uint8_t> MeasuredDecodeUnlocked(TReferenceLzhuf<TReferenceIo::Unlocked>& decoder,
                                                 const std::vector<std::uint8_t>& packed)
{
    return decoder.Decode(packed.data(), packed.size());
}
