#pragma once
// A plain LZHUF decoder written the way the format's original C program reads a stream: one bit
// at a time from a 16-bit buffer fed by getc, every output byte handed to putc, the tree in the
// usual frequency, parent and son arrays. It is the yardstick for TLZH and a second, independent
// reading of the same streams; the program never uses it.
//
// Host only (fmemopen, getc_unlocked): the benchmark that uses it runs on Linux.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// How the bytes come and go. Stdio: the C library's getc and putc, calls into the library as in
// any build of the original program today. Unlocked: getc_unlocked and putc_unlocked, which
// compile to plain buffer accesses like the getc and putc macros of the compilers the program
// was first built with; the stricter yardstick.
enum class TReferenceIo { Stdio, Unlocked };

template <TReferenceIo Io>
class TReferenceLzhuf {
public:
    TReferenceLzhuf();

    // A packed skin (4-byte size, code stream) in, exactly the announced bytes out. Sizes over
    // 64 MiB yield nothing: this only ever reads our own skins.
    std::vector<std::uint8_t> Decode(const std::uint8_t* packed, size_t size);

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

extern template class TReferenceLzhuf<TReferenceIo::Stdio>;
extern template class TReferenceLzhuf<TReferenceIo::Unlocked>;
