#include "TargetEntry.h"

std::string_view TargetPath(std::string_view entry) {
    size_t eq = entry.find('=');
    return eq == std::string_view::npos ? entry : entry.substr(0, eq);
}

std::string_view TargetShortTitle(std::string_view entry) {
    size_t eq = entry.find('=');
    return eq == std::string_view::npos ? std::string_view() : entry.substr(eq + 1);
}

std::string WithShortTitle(std::string_view entry, std::string_view title) {
    std::string result(TargetPath(entry));
    result += '=';
    result += title;
    return result;
}
