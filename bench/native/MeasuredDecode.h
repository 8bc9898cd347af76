#pragma once
// The decodes the benchmark measures. They live in a translation unit of their own so that they
// stay real functions: callgrind counts the instructions between entering and leaving one of
// them (--toggle-collect names it), everything it calls included.

#include "ReferenceLzhuf.h"

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> MeasuredDecodeOurs(const std::vector<std::uint8_t>& packed);
std::vector<std::uint8_t> MeasuredDecodeReference(TReferenceLzhuf<TReferenceIo::Stdio>& decoder,
                                                  const std::vector<std::uint8_t>& packed);
std::vector<std::uint8_t> MeasuredDecodeUnlocked(TReferenceLzhuf<TReferenceIo::Unlocked>& decoder,
                                                 const std::vector<std::uint8_t>& packed);

// Patterns for callgrind's --toggle-collect, each matching exactly one of the functions above.
inline constexpr const char* kMeasuredOursPattern = "MeasuredDecodeOurs(*";
inline constexpr const char* kMeasuredReferencePattern = "MeasuredDecodeReference(*";
inline constexpr const char* kMeasuredUnlockedPattern = "MeasuredDecodeUnlocked(*";
