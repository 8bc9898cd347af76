#pragma once
// A target entry is one line: a folder path, or a folder path, "=", and a
// short title. The path is the text before the first "="; the title all
// after it (it may hold further "=").

#include <string>
#include <string_view>

std::string_view TargetPath(std::string_view entry);
// Empty when the entry has no "=".
std::string_view TargetShortTitle(std::string_view entry);
// The entry's path with a new short title (replacing any old one).
std::string WithShortTitle(std::string_view entry, std::string_view title);
