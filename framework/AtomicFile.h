#pragma once
// Replacing a file whole: the new content goes to a temporary file beside the
// old one, reaches the disk, and only then takes the old file's place. A
// failure at any point (disk full, no rights, power loss) leaves the old file
// as it was.

#include <cstddef>
#include <string>

// Raises EFCreateError naming fileName and the system's reason.
void WriteFileReplacing(const std::string& fileName, const void* data, size_t size);
