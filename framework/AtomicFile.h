#pragma once
// Replacing a file whole: the new content goes to a temporary file beside the
// old one, reaches the disk, and only then takes the old file's place. A
// failure at any point (disk full, no rights, power loss) leaves the old file
// as it was, and no temporary file behind.

#include <cstddef>
#include <string>

// Raises EFCreateError naming fileName and the system's reason. A file marked read-only or
// hidden is not replaced (as the system refuses to overwrite such a file in place), nor is a
// symbolic link or other reparse point, which the replace would turn into a plain file beside
// whatever it points to.
void WriteFileReplacing(const std::string& fileName, const void* data, size_t size);

// The steps of a replace, for tests that make one fail the way the system would (a full disk
// at Write or Flush, a folder that takes no new file at CreateTemp).
enum class TReplaceStep { CreateTemp, Write, Flush, Replace };
// Called after each step succeeded; a non-zero system error code makes the step fail with it.
using TReplaceFault = unsigned long (*)(TReplaceStep step);
// nullptr: no faults (the default).
void SetReplaceFault(TReplaceFault fault);
