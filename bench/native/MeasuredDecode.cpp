#include "MeasuredDecode.h"

#include "WinConvert.h"

std::vector<std::uint8_t> MeasuredDecodeOurs(const std::vector<std::uint8_t>& packed) {
    // The path the skin reader takes.
    return LzhUnpack(packed);
}

long MeasuredDecodeReference(TReferenceLzhuf<TReferenceIo::Stdio>& decoder, const TReferenceFiles& files) {
    return decoder.Decode(files.In(), files.Out());
}

long MeasuredDecodeUnlocked(TReferenceLzhuf<TReferenceIo::Unlocked>& decoder, const TReferenceFiles& files) {
    return decoder.Decode(files.In(), files.Out());
}
