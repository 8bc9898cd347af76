// Fuzzing of the skin loader as a whole: TSkinData::LoadElements on complete archives, the
// description and the bitmaps together, as they come from a skin file. The loader draws with
// GDI, so this runs under Wine (or Windows), where libFuzzer is not at hand: a small mutation
// fuzzer of its own, with the command line of a libFuzzer target as far as `make fuzz` uses it
// (-max_total_time=, -runs=, -seed=, -artifact_prefix=, then corpus folders, the first one
// receiving new inputs).
//
// An input is an unpacked skin archive. Mutations know its shape: description lines and values
// (numbers at their limits, image names of other entries, missing and wrongly cased ones),
// bitmap header fields, cut and swapped images, entries dropped, doubled and renamed, and plain
// byte flips. Guidance comes from what was loaded: `perchskin info` lines of the result, with
// numbers sorted into ranges; an input that gives a line not seen before joins the corpus.
//
// A failure (an exception out of the loader, an image over the loader's own bounds, a crash)
// writes the input to <artifact_prefix>crash-<hash> and ends with exit code 1.

#include "HostPath.h"
#include "SkinArchive.h"
#include "SkinInfo.h"
#include "WinSkinData.h"
#include "WinSkinIni.h"
#include "WinSkinStore.h"

#include <windows.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t MaxSavedPerRun = 64;
constexpr size_t MaxStored = 512;
constexpr size_t MaxSavedSize = 2 * 1024 * 1024;

using Bytes = std::vector<std::uint8_t>;

struct TOptions {
    double MaxTotalTime = 0; // seconds; 0: no limit
    long long Runs = -1;     // -1: no limit
    unsigned Seed = 0;
    std::string ArtifactPrefix;
    std::vector<std::string> Folders;
};

std::uint64_t Hash(const Bytes& bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

std::string HexName(std::uint64_t h) {
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// ---- the input being run, for the crash handler

const Bytes* current = nullptr;
std::string artifactPrefix;

void SaveArtifact(const char* kind) {
    if (!current)
        return;
    const std::string file = artifactPrefix + kind + "-" + HexName(Hash(*current));
    WriteFile(WindowsPath(file), *current);
    std::fprintf(stderr, "artifact_prefix='%s'; Test unit written to %s\n", artifactPrefix.c_str(),
                 file.c_str());
    std::fflush(stderr);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "==ERROR: SkinElementsFuzz: exception 0x%08lx at %p\n",
                 static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                 info->ExceptionRecord->ExceptionAddress);
    SaveArtifact("crash");
    TerminateProcess(GetCurrentProcess(), 1);
    return EXCEPTION_EXECUTE_HANDLER;
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "==ERROR: SkinElementsFuzz: %s\n", what.c_str());
    SaveArtifact("crash");
    std::fflush(stderr);
    std::exit(1);
}

// ---- running one input

class TArchiveSource : public TSkinEntrySource {
  public:
    explicit TArchiveSource(const TSkinArchive& archive) : archive_(archive) {}
    Bytes Extract(const std::string& name) const override {
        const int index = archive_.IndexOf(name);
        return index < 0 ? Bytes() : archive_.Entry(index);
    }

  private:
    const TSkinArchive& archive_;
};

// A `perchskin info` line with every number replaced by its range.
std::string Bucketed(const std::string& line) {
    std::string out;
    for (size_t i = 0; i < line.size();) {
        const bool minus =
            line[i] == '-' && i + 1 < line.size() && std::isdigit(static_cast<unsigned char>(line[i + 1]));
        if (!minus && !std::isdigit(static_cast<unsigned char>(line[i]))) {
            out += line[i++];
            continue;
        }
        size_t end = i + (minus ? 1 : 0);
        if (line.compare(end, 2, "0x") == 0) {
            end += 2;
            while (end < line.size() && std::isxdigit(static_cast<unsigned char>(line[end])))
                ++end;
            out += "#hex";
            i = end;
            continue;
        }
        while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end])))
            ++end;
        const long long value = std::strtoll(line.substr(i, end - i).c_str(), nullptr, 10);
        out += value < 0       ? "#neg"
               : value == 0    ? "#0"
               : value == 1    ? "#1"
               : value <= 4    ? "#few"
               : value <= 16   ? "#16"
               : value <= 256  ? "#256"
               : value <= 4096 ? "#4096"
                               : "#huge";
        i = end;
    }
    return out;
}

void CheckImage(const TBitmap& bitmap, const std::string& what) {
    if (bitmap.Empty())
        return;
    // Read images keep the loader's bounds, and what it makes from them (combo strips, arrows,
    // the tool-bar gradient, the cut child-window buttons) is smaller still.
    if (bitmap.Width() > TSkinData::MaxImageSide || bitmap.Height() > TSkinData::MaxImageSide ||
        static_cast<std::int64_t>(bitmap.Width()) * bitmap.Height() > TSkinData::MaxImagePixels)
        Fail(what + ": an image of " + std::to_string(bitmap.Width()) + "x" +
             std::to_string(bitmap.Height()));
}

// Loads the input into skin; new behaviour lines go into seen. True when one was new.
bool RunOne(const Bytes& input, TSkinData& skin, std::set<std::string>& seen) {
    TSkinArchive archive;
    if (ParseSkinArchive(input.data(), input.size(), archive) != TSkinArchiveError::None)
        return false; // the archive reader's own fuzz target covers refusals
    current = &input;
    TQuickIni ini;
    const int description = archive.IndexContaining(".ini");
    if (description >= 0) {
        const Bytes text = archive.Entry(description);
        ini.LoadFromText(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    }
    TArchiveSource source(archive);
    try {
        skin.LoadElements(ini, source);
    } catch (const std::exception& error) {
        Fail(std::string("LoadElements threw: ") + error.what());
    } catch (...) {
        Fail("LoadElements threw something that is no std::exception");
    }
    if (!skin.SkinReady())
        Fail("the skin is not ready after a load");
    for (const TDataSkinBorder* frame :
         {&skin.FrameLeft(), &skin.FrameRight(), &skin.FrameTop(), &skin.FrameBottom()})
        CheckImage(frame->Bitmap, "frame " + frame->Name);
    CheckImage(skin.Buttons().Bitmap, "Buttons");
    for (const auto& button : skin.SysButtons())
        CheckImage(button->Bitmap, "caption button " + button->Name);
    for (int slot = 0; slot < ssSlotCount; ++slot) {
        if (const TDataSkinObject* element = skin.Slot(static_cast<TSkinSlot>(slot)))
            CheckImage(element->Bitmap, SkinSlotName(static_cast<TSkinSlot>(slot)));
    }
    bool fresh = false;
    for (const std::string& line : DescribeSkin(skin))
        fresh |= seen.insert(Bucketed(line)).second;
    current = nullptr;
    return fresh;
}

// ---- mutations

const char* const Numbers[] = {"0",     "-1",         "1",           "2",         "3",          "4",
                               "5",     "16",         "255",         "256",       "4096",       "4097",
                               "65535", "2147483647", "-2147483648", "$FFFFFFFF", "0x7FFFFFFF", "",
                               "abc",   "1 2 3",      "999 999 999", "12px",      "$10",        "0x10"};

class TMutator {
  public:
    explicit TMutator(unsigned seed) : random_(seed) {}

    Bytes Mutate(const Bytes& input, const std::vector<Bytes>& corpus) {
        TSkinArchive archive;
        if (ParseSkinArchive(input.data(), input.size(), archive) != TSkinArchiveError::None)
            return FlipBytes(input);
        std::vector<TSkinArchiveEntry> entries;
        for (int i = 0; i < archive.Count(); ++i) {
            if (!archive.Names[static_cast<size_t>(i)].empty())
                entries.push_back({archive.Names[static_cast<size_t>(i)], archive.Entry(i)});
        }
        const int steps = 1 + Below(4);
        for (int step = 0; step < steps; ++step) {
            switch (Below(10)) {
            case 0:
            case 1:
            case 2:
            case 3:
                MutateDescription(entries);
                break;
            case 4:
            case 5:
            case 6:
                MutateImage(entries);
                break;
            case 7:
                MutateEntries(entries);
                break;
            case 8:
                CrossOver(entries, corpus);
                break;
            default: {
                Bytes built = Build(entries);
                return Below(4) == 0 ? FlipBytes(built) : built;
            }
            }
        }
        return Build(entries);
    }

  private:
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(random_() % static_cast<unsigned>(n)); }

    static Bytes Build(const std::vector<TSkinArchiveEntry>& entries) {
        try {
            return BuildSkinArchive(entries);
        } catch (const std::exception&) {
            return Bytes();
        }
    }

    Bytes FlipBytes(Bytes bytes) {
        if (bytes.empty())
            return bytes;
        for (int i = 0, n = 1 + Below(8); i < n; ++i)
            bytes[static_cast<size_t>(Below(static_cast<int>(bytes.size())))] ^=
                static_cast<std::uint8_t>(1 << Below(8));
        return bytes;
    }

    TSkinArchiveEntry* Pick(std::vector<TSkinArchiveEntry>& entries, bool description) {
        std::vector<TSkinArchiveEntry*> found;
        for (auto& entry : entries) {
            const bool ini = entry.Name.find(".ini") != std::string::npos;
            if (ini == description)
                found.push_back(&entry);
        }
        return found.empty() ? nullptr : found[static_cast<size_t>(Below(static_cast<int>(found.size())))];
    }

    std::string AnyImageName(const std::vector<TSkinArchiveEntry>& entries) {
        switch (Below(6)) {
        case 0:
            return "missing.bmp";
        case 1:
            return "Skins\\FRAMETOP.BMP";
        case 2:
            return "";
        default:
            return entries.empty()
                       ? "x.bmp"
                       : entries[static_cast<size_t>(Below(static_cast<int>(entries.size())))].Name;
        }
    }

    void MutateDescription(std::vector<TSkinArchiveEntry>& entries) {
        TSkinArchiveEntry* ini = Pick(entries, true);
        if (!ini)
            return;
        std::vector<std::string> lines;
        std::string line;
        for (std::uint8_t c : ini->Bytes) {
            if (c == '\n') {
                lines.push_back(line);
                line.clear();
            } else if (c != '\r') {
                line += static_cast<char>(c);
            }
        }
        if (!line.empty())
            lines.push_back(line);
        if (lines.empty())
            lines.push_back("[Personality]");
        const size_t at = static_cast<size_t>(Below(static_cast<int>(lines.size())));
        std::string& target = lines[at];
        const size_t eq = target.find('=');
        switch (Below(7)) {
        case 0:
        case 1:
        case 2: // a value at a limit, or an image name
            if (eq != std::string::npos) {
                const bool image =
                    target.find(".bmp") != std::string::npos || target.find(".BMP") != std::string::npos;
                target = target.substr(0, eq + 1) +
                         (image && Below(2) ? AnyImageName(entries)
                                            : Numbers[Below(static_cast<int>(std::size(Numbers)))]);
            }
            break;
        case 3:
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        case 4:
            lines.insert(lines.begin() + Below(static_cast<int>(lines.size()) + 1), target);
            break;
        case 5: // a line moved into another section
            std::swap(target, lines[static_cast<size_t>(Below(static_cast<int>(lines.size())))]);
            break;
        default: // the case of a key or section changed
            for (char& c : target)
                if (Below(3) == 0)
                    c = static_cast<char>(std::isupper(static_cast<unsigned char>(c))
                                              ? std::tolower(static_cast<unsigned char>(c))
                                              : std::toupper(static_cast<unsigned char>(c)));
            break;
        }
        ini->Bytes.clear();
        for (const std::string& l : lines) {
            ini->Bytes.insert(ini->Bytes.end(), l.begin(), l.end());
            ini->Bytes.push_back('\r');
            ini->Bytes.push_back('\n');
        }
    }

    void MutateImage(std::vector<TSkinArchiveEntry>& entries) {
        TSkinArchiveEntry* image = Pick(entries, false);
        if (!image)
            return;
        Bytes& bytes = image->Bytes;
        static const std::int64_t values[] = {0,
                                              1,
                                              -1,
                                              2,
                                              3,
                                              4,
                                              8,
                                              16,
                                              24,
                                              32,
                                              40,
                                              108,
                                              124,
                                              4096,
                                              4097,
                                              65535,
                                              65536,
                                              0x7FFFFFFF,
                                              -0x7FFFFFFF - 1};
        // Fields of the file and information headers: offset, width, height, planes, bits,
        // compression, image size, colours used; and the header size itself.
        static const size_t fields[][2] = {{10, 4}, {14, 4}, {18, 4}, {22, 4}, {26, 2},
                                           {28, 2}, {30, 4}, {34, 4}, {46, 4}};
        switch (Below(40) == 0 ? 4 : Below(4)) {
        case 4: { // a real image just over (or at) the loader's bounds
            static const int sizes[][2] = {{4096, 2}, {4097, 1}, {1, 4097}, {2049, 2048}, {2048, 2048}};
            const auto& size = sizes[Below(static_cast<int>(std::size(sizes)))];
            bytes = BigBitmap(size[0], size[1]);
            break;
        }
        case 0:
        case 1: {
            const auto& field = fields[Below(static_cast<int>(std::size(fields)))];
            if (bytes.size() < field[0] + field[1])
                break;
            const std::uint64_t value =
                static_cast<std::uint64_t>(values[Below(static_cast<int>(std::size(values)))]);
            for (size_t i = 0; i < field[1]; ++i)
                bytes[field[0] + i] = static_cast<std::uint8_t>(value >> (8 * i));
            break;
        }
        case 2:
            bytes.resize(static_cast<size_t>(Below(static_cast<int>(bytes.size()) + 1)));
            break;
        default:
            bytes = FlipBytes(bytes);
            break;
        }
    }

    // A 24-bit bottom-up BMP file of that size, grey.
    static Bytes BigBitmap(int width, int height) {
        const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
        const std::uint32_t image = stride * static_cast<std::uint32_t>(height);
        Bytes bytes(54 + image, 0x80);
        auto put = [&bytes](size_t at, std::uint32_t value, int count) {
            for (int i = 0; i < count; ++i)
                bytes[at + static_cast<size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        };
        bytes[0] = 'B';
        bytes[1] = 'M';
        put(2, 54 + image, 4);
        put(6, 0, 4);
        put(10, 54, 4);
        put(14, 40, 4);
        put(18, static_cast<std::uint32_t>(width), 4);
        put(22, static_cast<std::uint32_t>(height), 4);
        put(26, 1, 2);
        put(28, 24, 2);
        put(30, 0, 4);
        put(34, image, 4);
        put(38, 0, 16);
        return bytes;
    }

    void MutateEntries(std::vector<TSkinArchiveEntry>& entries) {
        if (entries.empty())
            return;
        const size_t at = static_cast<size_t>(Below(static_cast<int>(entries.size())));
        switch (Below(4)) {
        case 0:
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        case 1:
            entries.insert(entries.begin() + Below(static_cast<int>(entries.size()) + 1), entries[at]);
            break;
        case 2: // another entry's name: lookups find the first of the two
            entries[at].Name = entries[static_cast<size_t>(Below(static_cast<int>(entries.size())))].Name;
            break;
        default: // another entry's bytes under this name
            entries[at].Bytes = entries[static_cast<size_t>(Below(static_cast<int>(entries.size())))].Bytes;
            break;
        }
    }

    void CrossOver(std::vector<TSkinArchiveEntry>& entries, const std::vector<Bytes>& corpus) {
        if (corpus.empty() || entries.empty())
            return;
        TSkinArchive other;
        const Bytes& donor = corpus[static_cast<size_t>(Below(static_cast<int>(corpus.size())))];
        if (ParseSkinArchive(donor.data(), donor.size(), other) != TSkinArchiveError::None ||
            other.Count() == 0)
            return;
        const int from = Below(other.Count());
        if (other.Names[static_cast<size_t>(from)].empty())
            return;
        entries[static_cast<size_t>(Below(static_cast<int>(entries.size())))] = {
            other.Names[static_cast<size_t>(from)], other.Entry(from)};
    }

    std::mt19937 random_;
};

TOptions ParseOptions(int argc, char** argv) {
    TOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            const size_t n = std::strlen(name);
            return arg.compare(0, n, name) == 0 ? arg.c_str() + n : nullptr;
        };
        if (const char* v = value("-max_total_time="))
            options.MaxTotalTime = std::atof(v);
        else if (const char* v = value("-runs="))
            options.Runs = std::atoll(v);
        else if (const char* v = value("-seed="))
            options.Seed = static_cast<unsigned>(std::strtoul(v, nullptr, 10));
        else if (const char* v = value("-artifact_prefix="))
            options.ArtifactPrefix = v;
        else if (!arg.empty() && arg[0] == '-')
            continue; // libFuzzer options that mean nothing here
        else
            options.Folders.push_back(arg);
    }
    if (options.Seed == 0)
        options.Seed = static_cast<unsigned>(GetTickCount());
    return options;
}

// The skins built into the program, unpacked: always part of the corpus.
std::vector<Bytes> BuiltInSkins() {
    std::vector<Bytes> skins;
    TOwnedComponent<TSkinStore> store(new TSkinStore(nullptr));
    const int count = LoadSkinStoreResources(*store, GetModuleHandleA(nullptr));
    for (int i = 0; i < count; ++i) {
        const Bytes& packed = store->Store().Items(i)->DataStream().Bytes();
        TSkinArchive archive;
        if (UnpackSkinArchive(packed.data(), packed.size(), archive) != TSkinArchiveError::None)
            continue;
        std::vector<TSkinArchiveEntry> entries;
        for (int e = 0; e < archive.Count(); ++e)
            entries.push_back({archive.Names[static_cast<size_t>(e)], archive.Entry(e)});
        skins.push_back(BuildSkinArchive(entries));
    }
    return skins;
}

} // namespace

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(OnCrash);
    const TOptions options = ParseOptions(argc, argv);
    artifactPrefix = options.ArtifactPrefix;

    std::vector<Bytes> corpus;
    size_t stored = 0; // inputs in the output folder
    for (const std::string& folder : options.Folders) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(WindowsPath(folder), error)) {
            if (!entry.is_regular_file())
                continue;
            corpus.push_back(ReadFile(entry.path()));
            if (&folder == &options.Folders.front())
                ++stored;
        }
    }
    const size_t given = corpus.size();
    for (Bytes& skin : BuiltInSkins())
        corpus.push_back(std::move(skin));
    if (corpus.empty()) {
        std::fprintf(stderr, "SkinElementsFuzz: no input to start from\n");
        return 1;
    }
    std::printf("INFO: Seed: %u\nINFO: %zu inputs (%zu from the corpus folders)\n", options.Seed,
                corpus.size(), given);
    std::fflush(stdout);

    const fs::path output =
        options.Folders.empty() ? fs::path() : fs::path(WindowsPath(options.Folders.front()));
    std::set<std::string> seen;
    TOwnedComponent<TSkinData> reused(new TSkinData(nullptr)); // loads on top of every earlier one
    for (const Bytes& input : corpus)
        RunOne(input, *reused, seen);

    TMutator mutator(options.Seed);
    const auto start = std::chrono::steady_clock::now();
    long long runs = 0;
    size_t added = 0, saved = 0;
    for (;;) {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if ((options.MaxTotalTime > 0 && elapsed >= options.MaxTotalTime) ||
            (options.Runs >= 0 && runs >= options.Runs))
            break;
        if (options.MaxTotalTime <= 0 && options.Runs < 0 && runs >= 1000)
            break;
        const Bytes input = mutator.Mutate(corpus[static_cast<size_t>(runs) % corpus.size()], corpus);
        ++runs;
        bool fresh = false;
        if (runs % 50 == 0) {
            TOwnedComponent<TSkinData> fresh_skin(new TSkinData(nullptr));
            fresh = RunOne(input, *fresh_skin, seen);
        } else {
            fresh = RunOne(input, *reused, seen);
        }
        if (fresh && !input.empty()) {
            corpus.push_back(input);
            ++added;
            // Inputs are whole skins of a few hundred kilobytes: the folder keeps a bounded share.
            if (!output.empty() && saved < MaxSavedPerRun && stored + saved < MaxStored &&
                input.size() <= MaxSavedSize) {
                WriteFile(output / HexName(Hash(input)), input);
                ++saved;
            }
        }
    }
    std::printf("Done %lld runs in %.0f s: %zu new inputs (%zu saved), corpus %zu, %zu behaviour lines\n",
                runs, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), added,
                saved, corpus.size(), seen.size());
    std::printf("stat::number_of_executed_units: %lld\n", runs);
    return 0;
}
