#pragma once
// The decodes the benchmark measures. They live in a translation unit of their own so that they
// stay real functions: callgrind counts the instructions between entering and leaving one of
// them (--toggle-collect names it), everything it calls included.

#include "ReferenceLzhuf.h"

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> MeasuredDecodeOurs(const std::vector<std::uint8_t>& packed);
// The reference decoders from the prepared input file to the output file; the text's size.
long MeasuredDecodeReference(TReferenceLzhuf<TReferenceIo::Stdio>& decoder, const TReferenceFiles& files);
long MeasuredDecodeUnlocked(TReferenceLzhuf<TReferenceIo::Unlocked>& decoder, const TReferenceFiles& files);

// Patterns for callgrind's --toggle-collect, each matching exactly one of the functions above.
inline constexpr const char* kMeasuredOursPattern = "MeasuredDecodeOurs(*";
inline constexpr const char* kMeasuredReferencePattern = "MeasuredDecodeReference(*";
inline constexpr const char* kMeasuredUnlockedPattern = "MeasuredDecodeUnlocked(*";
