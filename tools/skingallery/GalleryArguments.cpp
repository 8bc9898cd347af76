#include "GalleryArguments.h"

#include <cerrno>
#include <cstdlib>

const char* const GalleryUsage =
    "usage: skingallery [--skin N] [--still] [--size WxH] [--mdi] [FILE.skn]\n"
    "  FILE.skn    show a skin packed by 'perchskin pack' instead of the built-in skins\n"
    "  --skin N    start in built-in skin N (0 to 7)\n"
    "  --still     the progress bar stands still (for pictures)\n"
    "  --size WxH  the window W by H pixels, at the screen's top left\n"
    "  --mdi       open \"MDI gallery\": an MDI frame with two document windows\n"
    "  --help      show this text\n";

namespace {
// A whole decimal number that an int holds.
bool ReadNumber(const std::string& text, size_t& at, int& value) {
    const char* start = text.c_str() + at;
    if (*start < '0' || *start > '9')
        return false;
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(start, &end, 10);
    if (errno != 0 || number > 0x7FFFFFFFL)
        return false;
    value = static_cast<int>(number);
    at += static_cast<size_t>(end - start);
    return true;
}
} // namespace

TGalleryArguments ParseGalleryArguments(const std::vector<std::string>& arguments) {
    TGalleryArguments result;
    auto fail = [&](const std::string& error) {
        result.Error = error;
        return result;
    };
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h" || argument == "/?") {
            result.Help = true;
        } else if (argument == "--still") {
            result.Still = true;
        } else if (argument == "--mdi") {
            result.Mdi = true;
        } else if (argument == "--skin" || argument == "--size") {
            if (i + 1 >= arguments.size())
                return fail(argument + " needs a value");
            const std::string& value = arguments[++i];
            size_t at = 0;
            if (argument == "--skin") {
                if (!ReadNumber(value, at, result.Skin) || at != value.size())
                    return fail("--skin needs a skin number, not \"" + value + "\"");
            } else {
                bool read = ReadNumber(value, at, result.Width) && at < value.size() &&
                            (value[at] == 'x' || value[at] == 'X');
                ++at;
                read = read && ReadNumber(value, at, result.Height) && at == value.size();
                if (!read || result.Width == 0 || result.Height == 0)
                    return fail("--size needs a width and a height such as 800x600, not \"" + value + "\"");
            }
        } else if (!argument.empty() && argument[0] == '-') {
            return fail("unknown option " + argument);
        } else if (!result.SkinFile.empty()) {
            return fail("only one skin file can be shown, not both " + result.SkinFile + " and " + argument);
        } else {
            result.SkinFile = argument;
        }
    }
    return result;
}
