#pragma once
// `perchskin info FILE`: the skin as the loaders see it, one `Element.Field = value` line per
// value on standard output, in the order the loaders fill them. Problems go to standard error.
// Returns the process exit code (0 on success).

#include <string>
#include <vector>

class TSkinData;

int RunInfo(const std::string& file);

// The lines RunInfo prints for a loaded skin, without line ends.
std::vector<std::string> DescribeSkin(const TSkinData& skin);
