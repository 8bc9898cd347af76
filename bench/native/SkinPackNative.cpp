// bench_skin_pack DIR OUT: packs one skin folder on the host, by the same rules as
// `perchskin pack` (the folder's .bmp files in byte order of their names, then its one .ini).
// The skin tool itself is a Windows program; the native benchmark needs its input without Wine.

#include "SkinArchive.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Exception(path.string() + ": cannot open");
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    // Renamed into place, so an interrupted build never leaves a short file that looks current.
    fs::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
            throw Exception(temp.string() + ": cannot write");
    }
    fs::rename(temp, path);
}

std::vector<TSkinArchiveEntry> SkinEntries(const fs::path& dir) {
    std::vector<fs::path> bitmaps;
    std::vector<fs::path> descriptions;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file())
            continue;
        std::string ext = SkinNameLower(entry.path().extension().string());
        if (ext == ".bmp")
            bitmaps.push_back(entry.path());
        else if (ext == ".ini")
            descriptions.push_back(entry.path());
    }
    if (descriptions.size() != 1)
        throw Exception(dir.string() + ": a skin folder needs exactly one .ini file");
    std::sort(bitmaps.begin(), bitmaps.end(), [](const fs::path& a, const fs::path& b) {
        return a.filename().string() < b.filename().string();
    });
    bitmaps.push_back(descriptions.front());

    std::vector<TSkinArchiveEntry> entries;
    for (const fs::path& path : bitmaps)
        entries.push_back({path.filename().string(), ReadBytes(path)});
    return entries;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: bench_skin_pack DIR OUT\n";
        return 2;
    }
    try {
        WriteBytes(argv[2], PackSkinArchive(SkinEntries(argv[1])));
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "bench_skin_pack: " << e.what() << "\n";
        return 1;
    }
}
