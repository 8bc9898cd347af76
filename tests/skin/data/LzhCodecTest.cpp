#include "WinConvert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Known answers from tests/skin/data/make_lzh_vectors.py, a separate plain implementation of the
// format (greedy matches, nearest distance first).

// "A": one literal, coded from the initial tree as 111001101.
const std::uint8_t kPackedA[] = {
    0x01, 0x00, 0x00, 0x00, 0xE6, 0x80,
};

// "abcabcabcabcabcabcabcabc!": three literals, one overlapping match, one literal.
const std::uint8_t kPackedAbc[] = {
    0x19, 0x00, 0x00, 0x00, 0xF6, 0xFB, 0xBD, 0xF3, 0xC0, 0x2D, 0x68,
};

// Three times the same sentence with a line break: matches at many distances and lengths.
const std::uint8_t kPackedText[] = {
    0x08, 0x01, 0x00, 0x00, 0xF0, 0x7D, 0x3E, 0x3A, 0xCF, 0xFF, 0xDF, 0xEB, 0xFA, 0xC2, 0xC3, 0xBE,
    0xF9, 0xDF, 0xDC, 0xBB, 0x73, 0xFD, 0x77, 0xDB, 0xF0, 0xC1, 0xB9, 0x64, 0x02, 0xC4, 0x70, 0x56,
    0xC5, 0x5F, 0x2B, 0x6F, 0xDF, 0xE6, 0xAF, 0xE5, 0xAF, 0xBF, 0x02, 0x7B, 0x4A, 0xA8, 0xD1, 0xA1,
    0xC4, 0xB2, 0x05, 0x3C, 0x9C, 0x7A, 0xAB, 0xE8, 0x43, 0x5B, 0x20, 0x56, 0x9E, 0x15, 0x97, 0xA5,
    0xCD, 0xBA, 0xCC, 0xE5, 0xBC, 0x04, 0xBB, 0x99, 0x2F, 0xFF, 0x25, 0xC0,
};
const char kText[] =
    "The skin engine reads its skins from packed archives; the skin engine reads them once.\r\n";

// Literals only, 200000 bytes of TestBytes(200000, 7): the tree is rebuilt several times, so
// equal streams show that both sides rebuild alike.
constexpr size_t kLiteralStreamSize = 200235;
constexpr std::uint32_t kLiteralStreamCrc = 0x3E581C41;

template <size_t N> Bytes FromArray(const std::uint8_t (&data)[N]) {
    return Bytes(data, data + N);
}
Bytes FromText(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// The same linear congruential generator as make_lzh_vectors.py's lcg_bytes.
Bytes TestBytes(size_t size, std::uint32_t seed) {
    Bytes out(size);
    std::uint32_t x = seed;
    for (auto& b : out) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    return out;
}

std::uint32_t Crc32(const Bytes& data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t b : data) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void SetAnnouncedSize(Bytes& packed, std::uint32_t size) {
    for (int i = 0; i < 4; ++i)
        packed[static_cast<size_t>(i)] = static_cast<std::uint8_t>(size >> (8 * i));
}

// Packs, checks that the stream unpacks to the input and that every code byte is needed.
void ExpectRoundTrip(const Bytes& data, const std::string& what) {
    SCOPED_TRACE(what);
    Bytes packed = LzhPack(data);
    ASSERT_GE(packed.size(), 4u);
    TLzhUnpackResult result;
    Bytes unpacked = LzhUnpack(packed, &result);
    EXPECT_EQ(result.AnnouncedSize, data.size());
    EXPECT_TRUE(result.HeaderComplete);
    EXPECT_EQ(result.Produced, data.size());
    EXPECT_EQ(result.CodeBytesUsed, packed.size() - 4);
    EXPECT_TRUE(unpacked == data);
}

TEST(LzhKnownAnswers, DecodesStreamsOfTheSeparateImplementation) {
    struct {
        Bytes packed;
        Bytes expected;
    } cases[] = {
        {FromArray(kPackedA), FromText("A")},
        {FromArray(kPackedAbc), FromText("abcabcabcabcabcabcabcabc!")},
        {FromArray(kPackedText), FromText(std::string(kText) + kText + kText)},
    };
    for (const auto& c : cases) {
        TLzhUnpackResult result;
        EXPECT_EQ(LzhUnpack(c.packed, &result), c.expected);
        EXPECT_EQ(result.CodeBytesUsed, c.packed.size() - 4);
    }
}

TEST(LzhKnownAnswers, EncodesLiteralsAndRebuildsTheTreeLikeTheSeparateImplementation) {
    EXPECT_EQ(LzhPack(FromText("A")), FromArray(kPackedA));

    Bytes data = TestBytes(200000, 7);
    Bytes packed = LzhPack(data.data(), data.size(), TLzhPackOptions{false});
    EXPECT_EQ(packed.size(), kLiteralStreamSize);
    EXPECT_EQ(Crc32(packed), kLiteralStreamCrc);
    EXPECT_TRUE(LzhUnpack(packed) == data);
}

TEST(LzhRoundTrip, SmallAndDegenerateInputs) {
    ExpectRoundTrip({}, "empty");
    EXPECT_EQ(LzhPack(Bytes{}), (Bytes{0, 0, 0, 0}));
    for (int b = 0; b < 256; ++b)
        ExpectRoundTrip(Bytes{static_cast<std::uint8_t>(b)}, "one byte " + std::to_string(b));
    ExpectRoundTrip(FromText("ab"), "two bytes");
    ExpectRoundTrip(FromText("aaa"), "shortest match length");
    ExpectRoundTrip(FromText("    "), "spaces, as in the initial ring");
}

TEST(LzhRoundTrip, AllBytePatternsAndRuns) {
    Bytes every;
    for (int repeat = 0; repeat < 20; ++repeat)
        for (int b = 0; b < 256; ++b)
            every.push_back(static_cast<std::uint8_t>(repeat % 2 ? 255 - b : b));
    ExpectRoundTrip(every, "every byte value, both directions");

    for (size_t run : {60, 61, 62, 121, 70000})
        ExpectRoundTrip(Bytes(run, 0x5A), "run of " + std::to_string(run));

    Bytes mixed;
    for (int i = 0; i < 300; ++i) {
        mixed.insert(mixed.end(), static_cast<size_t>(i % 97 + 1), static_cast<std::uint8_t>(i));
        mixed.push_back(static_cast<std::uint8_t>(i * 7));
    }
    ExpectRoundTrip(mixed, "runs of every length between literals");
}

TEST(LzhRoundTrip, MatchesAtEveryDistanceClass) {
    // A random block repeated at a fixed period forces matches at that distance: the upper six
    // bits of the position take every prefix length from 3 to 8 bits.
    for (size_t period : {1, 3, 64, 65, 128, 2048, 4095, 4096, 5000}) {
        Bytes block = TestBytes(period, static_cast<std::uint32_t>(period));
        Bytes data;
        while (data.size() < 3 * period + 500)
            data.insert(data.end(), block.begin(), block.end());
        ExpectRoundTrip(data, "period " + std::to_string(period));
    }
}

TEST(LzhRoundTrip, DeepTreesOfFibonacciFrequencies) {
    // Counts in Fibonacci proportion make the most lopsided trees; sent most frequent first
    // they reach codes of 16 bits, which the decoder must read without running out of bits.
    std::mt19937 rng(77);
    for (std::uint32_t start : {1u, 400u}) {
        Bytes data;
        std::uint32_t a = start, b = start;
        for (int k = 0; k < 14; ++k) {
            data.insert(data.end(), a, static_cast<std::uint8_t>(k * 17));
            std::uint32_t next = a + b;
            a = b;
            b = next;
        }
        std::shuffle(data.begin(), data.end(), rng);
        for (int order = 0; order < 2; ++order) {
            if (order == 1)
                std::sort(data.begin(), data.end(), [](std::uint8_t x, std::uint8_t y) { return x > y; });
            Bytes packed = LzhPack(data.data(), data.size(), TLzhPackOptions{false});
            TLzhUnpackResult result;
            EXPECT_TRUE(LzhUnpack(packed, &result) == data) << start << " " << order;
            EXPECT_EQ(result.CodeBytesUsed, packed.size() - 4);
        }
    }
}

TEST(LzhRoundTrip, OneMegabyteOfRandomBytesAndOfText) {
    std::mt19937 rng(12345);
    Bytes random(1 << 20);
    for (auto& b : random)
        b = static_cast<std::uint8_t>(rng());
    ExpectRoundTrip(random, "1 MiB random");

    Bytes text;
    const char* words[] = {"skin ", "frame ",      "button ", "caption ",
                           "\r\n",  "0x00FF00FF ", "= ",      "[Colours]"};
    while (text.size() < (1 << 20)) {
        std::string w = words[rng() % 8];
        text.insert(text.end(), w.begin(), w.end());
    }
    ExpectRoundTrip(text, "1 MiB of words");
}

TEST(LzhUnpack, StopsExactlyAtTheAnnouncedSize) {
    Bytes data = FromText(std::string(2000, 'a') + "tail");
    Bytes packed = LzhPack(data);
    // The first symbols are a literal and then 60-byte matches: every cut but a multiple of 60
    // after the literal falls inside a match, which must not run past the announced end.
    for (std::uint32_t size : {1u, 2u, 3u, 10u, 61u, 62u, 1000u, 1999u}) {
        Bytes cut = packed;
        SetAnnouncedSize(cut, size);
        TLzhUnpackResult result;
        Bytes out = LzhUnpack(cut, &result);
        EXPECT_EQ(out.size(), size);
        EXPECT_EQ(result.Produced, size);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin())) << size;
    }
}

TEST(LzhUnpack, ReadsBytesPastTheEndAsZero) {
    Bytes data = TestBytes(5000, 99);
    Bytes packed = LzhPack(data);
    for (size_t keep : {4u, 5u, 100u, 1000u}) {
        Bytes truncated(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(keep));
        Bytes padded = truncated;
        padded.insert(padded.end(), 16000, 0);
        TLzhUnpackResult result;
        Bytes out = LzhUnpack(truncated, &result);
        EXPECT_EQ(out.size(), data.size()) << keep; // a truncated stream still yields the size
        EXPECT_EQ(out, LzhUnpack(padded)) << keep;
        EXPECT_GT(result.CodeBytesUsed, keep - 4); // it did run past the end
    }
    // Whatever decoded before the cut is unchanged.
    Bytes half(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packed.size() / 2));
    Bytes out = LzhUnpack(half);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 1000, out.begin()));
}

TEST(LzhUnpack, HeaderShorterThanFourBytesAndRefusedSizes) {
    TLzhUnpackResult result;
    EXPECT_TRUE(LzhUnpack(Bytes{}, &result).empty());
    EXPECT_FALSE(result.HeaderComplete);
    EXPECT_EQ(result.AnnouncedSize, 0u);

    // Two bytes: the rest of the header reads as zero, so 0x0102 bytes are announced.
    Bytes out = LzhUnpack(Bytes{0x02, 0x01}, &result);
    EXPECT_FALSE(result.HeaderComplete);
    EXPECT_EQ(result.AnnouncedSize, 0x0102u);
    EXPECT_EQ(out.size(), 0x0102u);

    // Over the limit: nothing decoded, nothing allocated for the output.
    Bytes huge = {0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0x34};
    out = LzhUnpack(huge, &result);
    EXPECT_TRUE(result.TooLarge);
    EXPECT_EQ(result.AnnouncedSize, 0xFFFFFFFFu);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(result.Produced, 0u);

    Bytes justOver = LzhPack(Bytes(101, 'x'));
    LzhUnpack(justOver, &result, 100);
    EXPECT_TRUE(result.TooLarge);
    EXPECT_EQ(LzhUnpack(justOver, &result, 101).size(), 101u);
    EXPECT_FALSE(result.TooLarge);

    SetAnnouncedSize(justOver, kLzhMaxUnpackedSize + 1);
    LzhUnpack(justOver, &result);
    EXPECT_TRUE(result.TooLarge);
}

TEST(LzhStreams, CallbacksMayDeliverOneByteAtATime) {
    Bytes data = TestBytes(30000, 5);
    const Bytes head(data.begin(), data.begin() + 10000);
    data.insert(data.end(), head.begin(), head.end());
    Bytes packed;
    size_t readPos = 0;
    TLZH packer(
        [&](std::uint8_t* buffer, size_t count) {
            size_t n = std::min<size_t>({count, 7, data.size() - readPos});
            std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(readPos), n, buffer);
            readPos += n;
            return n;
        },
        [&](const std::uint8_t* buffer, size_t count) {
            packed.insert(packed.end(), buffer, buffer + count);
        });
    packer.Pack();
    EXPECT_EQ(packed, LzhPack(data));

    size_t pos = 0;
    size_t reads = 0;
    Bytes out;
    TLZH unpacker(
        [&](std::uint8_t* buffer, size_t count) {
            ++reads;
            if (pos == packed.size() || count == 0)
                return size_t{0};
            *buffer = packed[pos++];
            return size_t{1};
        },
        [&](const std::uint8_t* buffer, size_t count) { out.insert(out.end(), buffer, buffer + count); });
    TLzhUnpackResult result = unpacker.Unpack();
    EXPECT_TRUE(out == data);
    EXPECT_EQ(result.CodeBytesUsed, packed.size() - 4);
    EXPECT_EQ(pos, packed.size());
    EXPECT_GE(reads, packed.size());
}

} // namespace
