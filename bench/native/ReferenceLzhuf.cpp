#include "ReferenceLzhuf.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <unistd.h>

template <TReferenceIo Io> TReferenceLzhuf<Io>::TReferenceLzhuf() {
    std::memset(textBuf_, 0, sizeof textBuf_);
    // The position code's tables: how many of the 256 leading-byte values each code length
    // takes, and with it how many upper-position values share one length.
    static const int kLengthRuns[][2] = {{3, 32}, {4, 48}, {5, 64}, {6, 48}, {7, 48}, {8, 16}};
    int index = 0;
    int upper = 0;
    for (const auto& run : kLengthRuns) {
        int length = run[0];
        int perUpper = 1 << (8 - length);
        for (int k = 0; k < run[1]; ++k) {
            dLen_[index] = static_cast<std::uint8_t>(length);
            dCode_[index] = static_cast<std::uint8_t>(upper + k / perUpper);
            ++index;
        }
        upper += run[1] / perUpper;
    }
}

template <TReferenceIo Io> int TReferenceLzhuf<Io>::GetC() {
    if constexpr (Io == TReferenceIo::Stdio)
        return std::getc(in_);
    else
        return getc_unlocked(in_);
}

template <TReferenceIo Io> void TReferenceLzhuf<Io>::PutC(int c) {
    if constexpr (Io == TReferenceIo::Stdio)
        std::putc(c, out_);
    else
        putc_unlocked(c, out_);
}

template <TReferenceIo Io> int TReferenceLzhuf<Io>::GetBit() {
    while (getLen_ <= 8) {
        int i = GetC();
        if (i < 0)
            i = 0;
        getBuf_ = static_cast<std::uint16_t>(getBuf_ | (i << (8 - getLen_)));
        getLen_ += 8;
    }
    int i = getBuf_;
    getBuf_ = static_cast<std::uint16_t>(getBuf_ << 1);
    getLen_--;
    return i >> 15;
}

template <TReferenceIo Io> int TReferenceLzhuf<Io>::GetByte() {
    while (getLen_ <= 8) {
        int i = GetC();
        if (i < 0)
            i = 0;
        getBuf_ = static_cast<std::uint16_t>(getBuf_ | (i << (8 - getLen_)));
        getLen_ += 8;
    }
    int i = getBuf_;
    getBuf_ = static_cast<std::uint16_t>(getBuf_ << 8);
    getLen_ -= 8;
    return i >> 8;
}

template <TReferenceIo Io> void TReferenceLzhuf<Io>::StartHuff() {
    for (int i = 0; i < N_CHAR; i++) {
        freq_[i] = 1;
        son_[i] = i + T;
        prnt_[i + T] = i;
    }
    int i = 0;
    int j = N_CHAR;
    while (j <= R) {
        freq_[j] = freq_[i] + freq_[i + 1];
        son_[j] = i;
        prnt_[i] = prnt_[i + 1] = j;
        i += 2;
        j++;
    }
    freq_[T] = 0xffff;
    prnt_[R] = 0;
}

template <TReferenceIo Io> void TReferenceLzhuf<Io>::Reconst() {
    int j = 0;
    for (int i = 0; i < T; i++) {
        if (son_[i] >= T) {
            freq_[j] = (freq_[i] + 1) / 2;
            son_[j] = son_[i];
            j++;
        }
    }
    for (int i = 0, j = N_CHAR; j < T; i += 2, j++) {
        unsigned f = freq_[j] = freq_[i] + freq_[i + 1];
        int k;
        for (k = j - 1; f < freq_[k]; k--)
            ;
        k++;
        std::memmove(&freq_[k + 1], &freq_[k], sizeof freq_[0] * static_cast<size_t>(j - k));
        freq_[k] = f;
        std::memmove(&son_[k + 1], &son_[k], sizeof son_[0] * static_cast<size_t>(j - k));
        son_[k] = i;
    }
    for (int i = 0; i < T; i++) {
        int k = son_[i];
        if (k >= T) {
            prnt_[k] = i;
        } else {
            prnt_[k] = prnt_[k + 1] = i;
        }
    }
}

template <TReferenceIo Io> void TReferenceLzhuf<Io>::Update(int c) {
    if (freq_[R] == MAX_FREQ)
        Reconst();
    c = prnt_[c + T];
    do {
        unsigned k = ++freq_[c];
        int l = c + 1;
        if (k > freq_[l]) {
            while (k > freq_[++l])
                ;
            l--;
            freq_[c] = freq_[l];
            freq_[l] = k;

            int i = son_[c];
            prnt_[i] = l;
            if (i < T)
                prnt_[i + 1] = l;

            int j = son_[l];
            son_[l] = i;

            prnt_[j] = c;
            if (j < T)
                prnt_[j + 1] = c;
            son_[c] = j;

            c = l;
        }
    } while ((c = prnt_[c]) != 0);
}

template <TReferenceIo Io> int TReferenceLzhuf<Io>::DecodeChar() {
    int c = son_[R];
    while (c < T) {
        c += GetBit();
        c = son_[c];
    }
    c -= T;
    Update(c);
    return c;
}

template <TReferenceIo Io> int TReferenceLzhuf<Io>::DecodePosition() {
    int i = GetByte();
    int c = dCode_[i] << 6;
    int j = dLen_[i];
    j -= 2;
    while (j--)
        i = (i << 1) + GetBit();
    return c | (i & 0x3f);
}

template <TReferenceIo Io> long TReferenceLzhuf<Io>::Decode(std::FILE* in, std::FILE* out) {
    in_ = in;
    out_ = out;
    getBuf_ = 0;
    getLen_ = 0;

    unsigned long textSize = 0;
    for (int n = 0; n < 4; n++) {
        int c = GetC();
        if (c < 0)
            return -1;
        textSize |= static_cast<unsigned long>(c) << (8 * n);
    }
    if (textSize == 0 || textSize > 64ul * 1024 * 1024)
        return -1;

    StartHuff();
    for (int i = 0; i < N - F; i++)
        textBuf_[i] = ' ';
    int r = N - F;
    for (unsigned long count = 0; count < textSize;) {
        int c = DecodeChar();
        if (c < 256) {
            PutC(c);
            textBuf_[r++] = static_cast<std::uint8_t>(c);
            r &= (N - 1);
            count++;
        } else {
            int i = (r - DecodePosition() - 1) & (N - 1);
            int j = c - 255 + THRESHOLD;
            for (int k = 0; k < j; k++) {
                c = textBuf_[(i + k) & (N - 1)];
                PutC(c);
                textBuf_[r++] = static_cast<std::uint8_t>(c);
                r &= (N - 1);
                count++;
            }
        }
    }
    std::fflush(out_);
    return static_cast<long>(textSize);
}

TReferenceFiles::TReferenceFiles() : in_(std::tmpfile()), out_(std::tmpfile()) {
    if (!in_ || !out_) {
        if (in_)
            std::fclose(in_);
        if (out_)
            std::fclose(out_);
        throw std::runtime_error("cannot make the reference decoder's temporary files");
    }
}

TReferenceFiles::~TReferenceFiles() {
    std::fclose(in_);
    std::fclose(out_);
}

void TReferenceFiles::Prepare(const std::vector<std::uint8_t>& packed) {
    std::rewind(in_);
    if (ftruncate(fileno(in_), 0) != 0 ||
        std::fwrite(packed.data(), 1, packed.size(), in_) != packed.size() || std::fflush(in_) != 0)
        throw std::runtime_error("cannot write the reference decoder's input");
    std::rewind(in_);
    std::rewind(out_);
    if (ftruncate(fileno(out_), 0) != 0)
        throw std::runtime_error("cannot empty the reference decoder's output");
}

std::vector<std::uint8_t> TReferenceFiles::Output(long size) const {
    if (size <= 0)
        return {};
    std::vector<std::uint8_t> text(static_cast<size_t>(size));
    std::rewind(out_);
    text.resize(std::fread(text.data(), 1, text.size(), out_));
    return text;
}

template class TReferenceLzhuf<TReferenceIo::Stdio>;
template class TReferenceLzhuf<TReferenceIo::Unlocked>;
