// perchskin: makes and inspects packed skins.
//
//   perchskin pack DIR OUT      version-70000 packed skin of DIR's .bmp files and its one .ini
//   perchskin unpack IN DIR     every entry of IN as a file in DIR
//   perchskin list IN           entry names and sizes
//   perchskin stream IN OUT     IN in the skin component's "SkinStream" form (count + bytes)
//   perchskin info IN           the skin as the loaders see it (SkinInfo.h)

#include "SkinArchive.h"
#include "SkinInfo.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class TToolError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Packed skins hold at most 64 MiB unpacked; a file far beyond that is not a skin.
constexpr std::uintmax_t kMaxInputFile = 256u * 1024u * 1024u;

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::error_code ec;
    std::uintmax_t size = fs::file_size(path, ec);
    if (ec)
        throw TToolError(path.string() + ": " + ec.message());
    if (size > kMaxInputFile)
        throw TToolError(path.string() + ": too large");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw TToolError(path.string() + ": cannot open");
    std::vector<std::uint8_t> bytes(static_cast<size_t>(size));
    if (size && !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
        throw TToolError(path.string() + ": cannot read");
    return bytes;
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    // Written beside the target and renamed over it, so a failed run leaves no half file that
    // a later build step would take for a good one.
    fs::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            throw TToolError(temp.string() + ": cannot create");
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out)
            throw TToolError(temp.string() + ": cannot write");
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw TToolError(path.string() + ": cannot replace");
    }
}

std::string LowerExtension(const fs::path& path) {
    return SkinNameLower(path.extension().string());
}

// A message box text on one line.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

TSkinArchive ReadSkin(const std::string& file) {
    std::vector<std::uint8_t> packed = ReadFile(file);
    TSkinArchive archive;
    TSkinArchiveError error = UnpackSkinArchive(packed.data(), packed.size(), archive);
    if (error != TSkinArchiveError::None)
        throw TToolError(file + ": " + OneLine(SkinArchiveErrorText(error)));
    return archive;
}

int Pack(const std::string& dir, const std::string& out) {
    std::vector<fs::path> bitmaps;
    std::vector<fs::path> descriptions;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file())
            continue;
        std::string ext = LowerExtension(entry.path());
        if (ext == ".bmp")
            bitmaps.push_back(entry.path());
        else if (ext == ".ini")
            descriptions.push_back(entry.path());
    }
    if (descriptions.size() != 1)
        throw TToolError(dir + ": a skin folder needs exactly one .ini file, found " +
                         std::to_string(descriptions.size()));
    // Byte order of the names, so the archive is the same on every machine; the description
    // goes last, where the stored skins have always had it.
    std::sort(bitmaps.begin(), bitmaps.end(), [](const fs::path& a, const fs::path& b) {
        return a.filename().string() < b.filename().string();
    });
    bitmaps.push_back(descriptions.front());

    std::vector<TSkinArchiveEntry> entries;
    for (const fs::path& path : bitmaps)
        entries.push_back({path.filename().string(), ReadFile(path)});
    std::vector<std::uint8_t> archive = BuildSkinArchive(entries);
    std::vector<std::uint8_t> packed = LzhPack(archive);
    WriteFile(out, packed);
    std::cout << out << ": " << entries.size() << " files, " << archive.size() << " bytes packed into "
              << packed.size() << "\n";
    return 0;
}

bool SafeEntryName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char ch) {
        return ch == '/' || ch == '\\' || ch == ':' || static_cast<unsigned char>(ch) < 0x20;
    });
}

int Unpack(const std::string& file, const std::string& dir) {
    TSkinArchive archive = ReadSkin(file);
    fs::create_directories(dir);
    std::set<std::string> written;
    int skipped = 0;
    for (int i = 0; i < archive.Count(); ++i) {
        const std::string& name = archive.Names[static_cast<size_t>(i)];
        // The names come from the file: none may leave the target folder.
        if (!SafeEntryName(name)) {
            std::cerr << "perchskin: " << file << ": entry " << i << " has an unusable name, skipped\n";
            ++skipped;
            continue;
        }
        // Lookups find the first of equal names, so that is the one the program sees.
        if (!written.insert(name).second) {
            std::cerr << "perchskin: " << file << ": second entry named " << name << " skipped\n";
            ++skipped;
            continue;
        }
        WriteFile(fs::path(dir) / name, archive.Entry(i));
    }
    std::cout << dir << ": " << written.size() << " files\n";
    return skipped ? 2 : 0;
}

int List(const std::string& file) {
    TSkinArchive archive = ReadSkin(file);
    std::uint64_t total = 0;
    for (int i = 0; i < archive.Count(); ++i) {
        std::printf("%10lu  %s\n", static_cast<unsigned long>(archive.EntrySize(i)),
                    archive.Names[static_cast<size_t>(i)].c_str());
        total += archive.EntrySize(i);
    }
    std::printf("%10llu  %d entries, version %lu\n", static_cast<unsigned long long>(total), archive.Count(),
                static_cast<unsigned long>(archive.Version));
    return 0;
}

int Stream(const std::string& file, const std::string& out) {
    std::vector<std::uint8_t> packed = ReadFile(file);
    if (packed.size() > 0x7FFFFFFFu)
        throw TToolError(file + ": too large");
    auto count = static_cast<std::uint32_t>(packed.size());
    std::vector<std::uint8_t> bytes = {
        static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
        static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 24)};
    bytes.insert(bytes.end(), packed.begin(), packed.end());
    WriteFile(out, bytes);
    return 0;
}

int Usage() {
    std::cerr << "usage: perchskin pack DIR OUT | unpack IN DIR | list IN | stream IN OUT | info IN\n";
    return 64;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return Usage();
    const std::string& command = args[0];
    try {
        if (command == "pack" && args.size() == 3)
            return Pack(args[1], args[2]);
        if (command == "unpack" && args.size() == 3)
            return Unpack(args[1], args[2]);
        if (command == "list" && args.size() == 2)
            return List(args[1]);
        if (command == "stream" && args.size() == 3)
            return Stream(args[1], args[2]);
        if (command == "info" && args.size() == 2)
            return RunInfo(args[1]);
        return Usage();
    } catch (const std::exception& e) {
        std::cerr << "perchskin: " << e.what() << "\n";
        return 1;
    }
}
