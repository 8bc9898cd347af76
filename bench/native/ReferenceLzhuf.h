#pragma once
// A plain LZHUF decoder written the way the format's original C program reads a stream: one bit
// at a time from a 16-bit buffer fed by getc, every output byte handed to putc, the tree in the
// usual frequency, parent and son arrays. It is the yardstick for TLZH and a second, independent
// reading of the same streams; the program never uses it.
//
// It reads and writes ordinary file streams, as the original program did: streams made on
// memory (fmemopen) are marked by glibc as needing a lock, so every getc and putc on them takes
// the locked path and would make the yardstick slower than the program it stands for.
//
// Host only (getc_unlocked): the benchmark that uses it runs on Linux.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// How the bytes come and go. Stdio: the C library's getc and putc, calls into the library as in
// any build of the original program today. Unlocked: getc_unlocked and putc_unlocked, which
// compile to plain buffer accesses like the getc and putc macros of the compilers the program
// was first built with; the stricter yardstick.
enum class TReferenceIo { Stdio, Unlocked };

template <TReferenceIo Io> class TReferenceLzhuf {
  public:
    TReferenceLzhuf();

    // A packed skin (4-byte size, code stream) read from in, the text written to out (a final
    // match may run a few bytes past the announced size, as in the original). The announced
    // size, or -1 for a stream too short or announcing 0 or over 64 MiB. out is flushed.
    long Decode(std::FILE* in, std::FILE* out);

  private:
    // Under the names the format's descriptions use, so the code reads side by side with them.
    static constexpr int N = 4096;
    static constexpr int F = 60;
    static constexpr int THRESHOLD = 2;
    static constexpr int N_CHAR = 256 - THRESHOLD + F;
    static constexpr int T = N_CHAR * 2 - 1;
    static constexpr int R = T - 1;
    static constexpr unsigned MAX_FREQ = 0x8000;

    int GetC();
    void PutC(int c);
    int GetBit();
    int GetByte();
    void StartHuff();
    void Reconst();
    void Update(int c);
    int DecodeChar();
    int DecodePosition();

    std::uint8_t dCode_[256];
    std::uint8_t dLen_[256];

    std::uint8_t textBuf_[N + F - 1];
    unsigned freq_[T + 1];
    int prnt_[T + N_CHAR];
    int son_[T];

    std::uint16_t getBuf_ = 0;
    int getLen_ = 0;

    std::FILE* in_ = nullptr;
    std::FILE* out_ = nullptr;
};

// The reference decoder's two files: a packed skin written to an ordinary (temporary) file and
// read from the start, and the file its text goes to. Setting up and reading back happen
// outside what the benchmark measures.
class TReferenceFiles {
  public:
    TReferenceFiles();
    TReferenceFiles(const TReferenceFiles&) = delete;
    TReferenceFiles& operator=(const TReferenceFiles&) = delete;
    ~TReferenceFiles();

    // Both files ready for one decode of packed: the input at its start, the output empty.
    void Prepare(const std::vector<std::uint8_t>& packed);
    std::FILE* In() const { return in_; }
    std::FILE* Out() const { return out_; }
    // The first size bytes written to the output.
    std::vector<std::uint8_t> Output(long size) const;

  private:
    std::FILE* in_ = nullptr;
    std::FILE* out_ = nullptr;
};

extern template class TReferenceLzhuf<TReferenceIo::Stdio>;
extern template class TReferenceLzhuf<TReferenceIo::Unlocked>;
