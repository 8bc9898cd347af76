// lzh_decode_bench [LIST]: decodes the packed skins named in LIST (lines "item<TAB>name<TAB>file",
// written by the build) with TLZH and with the plain reference decoder, checks that they give
// the same bytes, and prints throughput and instructions per output byte. Instructions come
// from valgrind --tool=callgrind, one run per decoder and skin, so they repeat exactly from run
// to run; the clock figures depend on the machine and on what else it is doing.
//
// lzh_decode_bench --count ours|reference|unlocked FILE... is the subject of a callgrind run.

#include "MeasuredDecode.h"
#include "SkinArchive.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Below this the clock's resolution and the scheduler dominate one decode of a skin.
constexpr double kMinSecondsPerDecoder = 0.15;
constexpr int kMinRounds = 5;
constexpr int kMaxRounds = 500;
constexpr double kTargetRatio = 0.75;

enum TDecoder { Ours, Reference, Unlocked, DecoderCount };

struct TDecoderInfo {
    const char* Name; // on the command line of a callgrind run
    const char* Pattern;
};
constexpr std::array<TDecoderInfo, DecoderCount> kDecoders = {{
    {"ours", kMeasuredOursPattern},
    {"reference", kMeasuredReferencePattern},
    {"unlocked", kMeasuredUnlockedPattern},
}};

using TCount = std::optional<std::uint64_t>;

struct TSkin {
    std::string Item;
    std::string Name;
    std::string File;
    std::vector<std::uint8_t> Packed;
    size_t BytesOut = 0;
    std::array<double, DecoderCount> Seconds{}; // best single decode
    std::array<TCount, DecoderCount> Instructions{};
};

class TDecoders {
  public:
    // What a decode needs besides the decoding itself (the reference's files written and
    // rewound), done outside what is timed or counted.
    void Prepare(TDecoder decoder, const std::vector<std::uint8_t>& packed) {
        packed_ = &packed;
        if (decoder != Ours)
            files_.Prepare(packed);
    }
    // The decode that is timed, and that callgrind counts.
    void Decode(TDecoder decoder) {
        switch (decoder) {
        case Ours:
            ours_ = MeasuredDecodeOurs(*packed_);
            break;
        case Reference:
            size_ = MeasuredDecodeReference(reference_, files_);
            break;
        case Unlocked:
            size_ = MeasuredDecodeUnlocked(unlocked_, files_);
            break;
        case DecoderCount:
            break;
        }
    }
    // The same decode without going through the measured functions.
    void DecodeUncounted(TDecoder decoder) {
        switch (decoder) {
        case Ours:
            ours_ = LzhUnpack(*packed_);
            break;
        case Reference:
            size_ = reference_.Decode(files_.In(), files_.Out());
            break;
        case Unlocked:
            size_ = unlocked_.Decode(files_.In(), files_.Out());
            break;
        case DecoderCount:
            break;
        }
    }
    std::vector<std::uint8_t> Result(TDecoder decoder) const {
        return decoder == Ours ? ours_ : files_.Output(size_);
    }

    std::vector<std::uint8_t> Run(TDecoder decoder, const std::vector<std::uint8_t>& packed) {
        Prepare(decoder, packed);
        Decode(decoder);
        return Result(decoder);
    }
    std::vector<std::uint8_t> RunUncounted(TDecoder decoder, const std::vector<std::uint8_t>& packed) {
        Prepare(decoder, packed);
        DecodeUncounted(decoder);
        return Result(decoder);
    }

  private:
    TReferenceLzhuf<TReferenceIo::Stdio> reference_;
    TReferenceLzhuf<TReferenceIo::Unlocked> unlocked_;
    TReferenceFiles files_;
    const std::vector<std::uint8_t>* packed_ = nullptr;
    std::vector<std::uint8_t> ours_;
    long size_ = 0;
};

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Exception(path + ": cannot open");
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<TSkin> ReadSkinList(const std::string& listFile) {
    std::ifstream in(listFile);
    if (!in)
        throw Exception(listFile + ": cannot open");
    std::vector<TSkin> skins;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        std::istringstream fields(line);
        TSkin skin;
        if (!std::getline(fields, skin.Item, '\t') || !std::getline(fields, skin.Name, '\t') ||
            !std::getline(fields, skin.File))
            throw Exception(listFile + ": bad line: " + line);
        skin.Packed = ReadBytes(skin.File);
        skins.push_back(std::move(skin));
    }
    return skins;
}

// The decoders must agree with each other and with what the archive format promises; a fast
// decoder that gets a byte wrong measures nothing.
std::string Verify(TSkin& skin, TDecoders& decoders) {
    TLzhUnpackResult result;
    std::vector<std::uint8_t> ours = LzhUnpack(skin.Packed, &result);
    skin.BytesOut = ours.size();
    if (!result.HeaderComplete || ours.size() != result.AnnouncedSize)
        return "TLZH produced " + std::to_string(ours.size()) + " of " +
               std::to_string(result.AnnouncedSize) + " announced bytes";
    if (result.CodeBytesUsed != skin.Packed.size() - 4)
        return "TLZH used " + std::to_string(result.CodeBytesUsed) + " of " +
               std::to_string(skin.Packed.size() - 4) + " code bytes";
    for (TDecoder decoder : {Reference, Unlocked}) {
        std::vector<std::uint8_t> theirs = decoders.Run(decoder, skin.Packed);
        if (theirs != ours) {
            auto diff = std::mismatch(ours.begin(), ours.end(), theirs.begin(), theirs.end());
            return std::string("the ") + kDecoders[decoder].Name + " decoder differs from TLZH at byte " +
                   std::to_string(diff.first - ours.begin()) + " (sizes " + std::to_string(ours.size()) +
                   " and " + std::to_string(theirs.size()) + ")";
        }
    }
    TSkinArchive archive;
    TSkinArchiveError error = ParseSkinArchive(ours.data(), ours.size(), archive);
    if (error != TSkinArchiveError::None)
        return "not a skin archive: " + SkinArchiveErrorText(error);
    return {};
}

double TimeOnce(TDecoders& decoders, TDecoder decoder, const std::vector<std::uint8_t>& packed) {
    decoders.Prepare(decoder, packed);
    auto start = std::chrono::steady_clock::now();
    decoders.Decode(decoder);
    auto stop = std::chrono::steady_clock::now();
    if (decoders.Result(decoder).empty())
        std::abort(); // uses the result, and Verify has seen every skin decode
    return std::chrono::duration<double>(stop - start).count();
}

// Best of alternating rounds: whatever else the machine does slows all decoders alike, and the
// fastest round is the one least disturbed.
void Time(TSkin& skin, TDecoders& decoders) {
    std::array<double, DecoderCount> total{};
    for (int d = 0; d < DecoderCount; ++d) {
        TimeOnce(decoders, static_cast<TDecoder>(d), skin.Packed);
        skin.Seconds[d] = 1e30;
    }
    for (int round = 0; round < kMaxRounds; ++round) {
        if (round >= kMinRounds &&
            std::all_of(total.begin(), total.end(), [](double t) { return t >= kMinSecondsPerDecoder; }))
            break;
        for (int d = 0; d < DecoderCount; ++d) {
            double t = TimeOnce(decoders, static_cast<TDecoder>(d), skin.Packed);
            total[d] += t;
            skin.Seconds[d] = std::min(skin.Seconds[d], t);
        }
    }
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char ch : text) {
        if (ch == '\'')
            quoted += "'\\''";
        else
            quoted += ch;
    }
    return quoted + "'";
}

bool ValgrindPresent() {
    return std::system("valgrind --version >/dev/null 2>&1") == 0;
}

TCount CallgrindTotal(const fs::path& outFile) {
    std::ifstream in(outFile);
    std::string line;
    TCount total;
    while (std::getline(in, line)) {
        // "totals:" closes the file; older callgrind versions only write "summary:".
        for (const char* key : {"totals:", "summary:"}) {
            if (line.rfind(key, 0) == 0)
                total = std::strtoull(line.c_str() + std::char_traits<char>::length(key), nullptr, 10);
        }
    }
    return total;
}

// Instructions of decoding every file once with the decoder.
TCount CountInstructions(const std::string& self, const fs::path& workDir, const std::string& label,
                         TDecoder decoder, const std::vector<std::string>& files) {
    fs::path base = workDir / (label + "-" + kDecoders[decoder].Name);
    fs::path outFile = base;
    outFile += ".callgrind";
    fs::path logFile = base;
    logFile += ".log";
    std::error_code ec;
    fs::remove(outFile, ec);
    std::string command = "valgrind --tool=callgrind --collect-atstart=no --toggle-collect=" +
                          ShellQuote(kDecoders[decoder].Pattern) +
                          " --callgrind-out-file=" + ShellQuote(outFile.string()) + " " + ShellQuote(self) +
                          " --count " + kDecoders[decoder].Name;
    for (const std::string& file : files)
        command += " " + ShellQuote(file);
    command += " >" + ShellQuote(logFile.string()) + " 2>&1";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "a callgrind run failed, see %s\n", logFile.string().c_str());
        return std::nullopt;
    }
    return CallgrindTotal(outFile);
}

int CountMode(const std::string& name, const std::vector<std::string>& files) {
    auto info = std::find_if(kDecoders.begin(), kDecoders.end(),
                             [&](const TDecoderInfo& d) { return name == d.Name; });
    if (info == kDecoders.end()) {
        std::fprintf(stderr, "--count takes ours, reference or unlocked\n");
        return 2;
    }
    auto decoder = static_cast<TDecoder>(info - kDecoders.begin());
    TDecoders decoders;
    for (const std::string& file : files) {
        std::vector<std::uint8_t> packed = ReadBytes(file);
        // Once outside the counted function first: that binds the library calls and touches
        // the pages, costs a program pays once and not per skin. The callgrind run started
        // with --collect-atstart=no counts only inside the Measured* functions.
        std::vector<std::uint8_t> warm = decoders.RunUncounted(decoder, packed);
        if (warm.empty() || decoders.Run(decoder, packed) != warm)
            return 1;
    }
    return 0;
}

double MegabytesPerSecond(size_t bytes, double seconds) {
    return seconds > 0 ? static_cast<double>(bytes) / seconds / 1e6 : 0;
}

std::string PerByte(TCount instructions, size_t bytes) {
    if (!instructions || bytes == 0)
        return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(*instructions) / static_cast<double>(bytes));
    return text;
}

std::string Ratio(TCount ours, TCount reference) {
    if (!ours || !reference || *reference == 0)
        return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(*ours) / static_cast<double>(*reference));
    return text;
}

std::string TimeRatio(double ours, double reference) {
    if (!(reference > 0))
        return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", ours / reference);
    return text;
}

TCount Sum(TCount a, TCount b) {
    return a && b ? TCount(*a + *b) : std::nullopt;
}

void PrintRow(const std::string& label, size_t bytes, const std::array<double, DecoderCount>& seconds,
              const std::array<TCount, DecoderCount>& instructions) {
    std::printf("%-22s %10zu %10.1f %10.1f %12s %12s %7s %7s\n", label.c_str(), bytes,
                MegabytesPerSecond(bytes, seconds[Ours]), MegabytesPerSecond(bytes, seconds[Reference]),
                PerByte(instructions[Ours], bytes).c_str(), PerByte(instructions[Reference], bytes).c_str(),
                Ratio(instructions[Ours], instructions[Reference]).c_str(),
                TimeRatio(seconds[Ours], seconds[Reference]).c_str());
}

int BenchMode(const std::string& self, const std::string& listFile) {
    std::vector<TSkin> skins = ReadSkinList(listFile);
    if (skins.empty()) {
        std::printf("lzh_decode_bench: no packed skins listed in %s\n", listFile.c_str());
        return 1;
    }
    TDecoders decoders;
    bool agree = true;
    for (TSkin& skin : skins) {
        std::string problem = Verify(skin, decoders);
        if (!problem.empty()) {
            std::fprintf(stderr, "%s (%s): %s\n", skin.Item.c_str(), skin.Name.c_str(), problem.c_str());
            agree = false;
        }
    }
    if (!agree)
        return 1;

    for (TSkin& skin : skins)
        Time(skin, decoders);

    bool counted = ValgrindPresent();
    fs::path workDir = fs::path(listFile).parent_path() / "callgrind";
    TCount unlockedTotal;
    if (counted) {
        fs::create_directories(workDir);
        std::vector<std::string> files;
        for (TSkin& skin : skins) {
            for (TDecoder decoder : {Ours, Reference})
                skin.Instructions[decoder] =
                    CountInstructions(self, workDir, skin.Item, decoder, {skin.File});
            files.push_back(skin.File);
        }
        unlockedTotal = CountInstructions(self, workDir, "all", Unlocked, files);
    }

    std::printf(
        "LZHUF decoding of %zu packed skins: TLZH (ours) against a plain decoder in the shape of the\n"
        "published reference (bit-at-a-time GetBit/GetByte, getc in, putc out) built alike, reading and\n"
        "writing ordinary files as the original program does (set-up and read-back not measured).\n"
        "Host build, %s. MB/s = 10^6 output bytes per second, best of at least %d decodes.\n",
        skins.size(), PP_BENCH_COMPILER, kMinRounds);
    std::printf("%-22s %10s %10s %10s %12s %12s %7s %7s\n", "skin", "bytes out", "ours MB/s", "ref MB/s",
                "ours instr/B", "ref instr/B", "instr", "time");
    size_t totalBytes = 0;
    std::array<double, DecoderCount> seconds{};
    std::array<TCount, DecoderCount> instructions{};
    instructions[Ours] = instructions[Reference] = std::uint64_t{0};
    for (const TSkin& skin : skins) {
        PrintRow(skin.Item + " " + skin.Name, skin.BytesOut, skin.Seconds, skin.Instructions);
        totalBytes += skin.BytesOut;
        for (int d = 0; d < DecoderCount; ++d) {
            seconds[d] += skin.Seconds[d];
            instructions[d] = Sum(instructions[d], skin.Instructions[d]);
        }
    }
    instructions[Unlocked] = unlockedTotal;
    PrintRow("total", totalBytes, seconds, instructions);

    const double timeRatio = seconds[Ours] / seconds[Reference];
    const double unlockedTimeRatio = seconds[Ours] / seconds[Unlocked];
    std::printf("instr, time: ours / reference, in instructions and in wall-clock time (best decodes).\n");
    if (!counted) {
        std::printf("Ours / reference: time %.3f; instructions n/a (valgrind not found; scripts/setup.sh "
                    "installs it).\n"
                    "Ours / reference with getc_unlocked/putc_unlocked: time %.3f.\n",
                    timeRatio, unlockedTimeRatio);
        return 0;
    }
    if (!instructions[Ours] || !instructions[Reference] || !instructions[Unlocked]) {
        std::printf("Instructions: a callgrind run failed (logs in %s).\n", workDir.string().c_str());
        return 1;
    }
    auto ratio = [&](TDecoder against) {
        return static_cast<double>(*instructions[Ours]) / static_cast<double>(*instructions[against]);
    };
    std::printf("Instructions counted by valgrind --tool=callgrind over the whole decode, calls included.\n");
    std::printf("Ours / reference:          instructions %.3f (target <= %.2f: %s), time %.3f.\n",
                ratio(Reference), kTargetRatio, ratio(Reference) <= kTargetRatio ? "met" : "NOT MET",
                timeRatio);
    std::printf("The reference with getc_unlocked/putc_unlocked (plain buffer accesses, no library calls):\n"
                "%.1f MB/s, %s instr/B.\n"
                "Ours / unlocked reference: instructions %.3f (%s the target), time %.3f.\n",
                MegabytesPerSecond(totalBytes, seconds[Unlocked]),
                PerByte(instructions[Unlocked], totalBytes).c_str(), ratio(Unlocked),
                ratio(Unlocked) <= kTargetRatio ? "within" : "outside", unlockedTimeRatio);
    return 0;
}

std::string SelfPath(const char* argv0) {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::absolute(argv0).string() : self.string();
}

} // namespace

int main(int argc, char** argv) {
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        if (args.size() >= 3 && args[0] == "--count")
            return CountMode(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
        if (args.size() > 1) {
            std::fprintf(stderr,
                         "usage: lzh_decode_bench [LIST] | --count ours|reference|unlocked FILE...\n");
            return 2;
        }
        return BenchMode(SelfPath(argv[0]), args.empty() ? PP_BENCH_SKIN_LIST : args[0]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lzh_decode_bench: %s\n", e.what());
        return 1;
    }
}
