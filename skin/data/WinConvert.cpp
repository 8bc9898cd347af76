#include "WinConvert.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {

// Every constant is fixed by the format; changing one makes streams unreadable elsewhere.
constexpr int kRingSize = 4096;
constexpr int kRingMask = kRingSize - 1;
constexpr int kMaxMatch = 60;
constexpr int kThreshold = 2; // matches of this length or shorter are sent as literals
constexpr int kMinMatch = kThreshold + 1;
constexpr int kSymbols = 256 - kThreshold + kMaxMatch; // 314: 256 literals, 58 match lengths
constexpr int kNodes = 2 * kSymbols - 1;               // 627
constexpr int kRoot = kNodes - 1;
constexpr unsigned kMaxFreq = 0x8000;
constexpr int kRingStart = kRingSize - kMaxMatch; // first write position; all before it are spaces

// The fixed code of the upper 6 bits of a match position: 3 bits for 0, then 4, 5, 6, 7 and 8
// bits. Both tables are indexed by the next 8 bits of the stream.
struct TPositionTables {
    std::uint8_t Upper[256];
    std::uint8_t Length[256];
    std::uint8_t Prefix[64]; // the code of each upper value, right-aligned
    std::uint8_t PrefixLength[64];
};

constexpr int UpperCodeLength(int upper) {
    return upper < 1 ? 3 : upper < 4 ? 4 : upper < 12 ? 5 : upper < 24 ? 6 : upper < 48 ? 7 : 8;
}

constexpr TPositionTables MakePositionTables() {
    TPositionTables tables{};
    int index = 0;
    for (int upper = 0; upper < 64; ++upper) {
        int length = UpperCodeLength(upper);
        tables.Prefix[upper] = static_cast<std::uint8_t>(index >> (8 - length));
        tables.PrefixLength[upper] = static_cast<std::uint8_t>(length);
        for (int k = 0; k < (1 << (8 - length)); ++k) {
            tables.Upper[index] = static_cast<std::uint8_t>(upper);
            tables.Length[index] = static_cast<std::uint8_t>(length);
            ++index;
        }
    }
    return tables;
}

constexpr TPositionTables kPosition = MakePositionTables();
static_assert(kPosition.Upper[31] == 0 && kPosition.Upper[32] == 1 && kPosition.Upper[255] == 63);
static_assert(kPosition.Length[79] == 4 && kPosition.Length[80] == 5 && kPosition.Length[240] == 8);

// The adaptive Huffman tree shared by both directions. Nodes are kept in non-decreasing
// frequency order; an internal node's children are son and son + 1, a leaf's son is
// symbol + kNodes. parent[kNodes + symbol] is the leaf node of symbol.
struct THuffTree {
    unsigned freq[kNodes + 1];
    int son[kNodes];
    int parent[kNodes + kSymbols];

    void Start() {
        for (int i = 0; i < kSymbols; ++i) {
            freq[i] = 1;
            son[i] = i + kNodes;
            parent[i + kNodes] = i;
        }
        for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
            freq[j] = freq[i] + freq[i + 1];
            son[j] = i;
            parent[i] = parent[i + 1] = j;
        }
        freq[kNodes] = 0xFFFF; // sentinel: stops the upward scans in Update
        parent[kRoot] = 0;     // ends the walk in Update; node 0 is never a parent
    }

    // Halves every leaf and builds the internal nodes again from scratch.
    void Rebuild() {
        int leaves = 0;
        for (int i = 0; i < kNodes; ++i) {
            if (son[i] >= kNodes) {
                freq[leaves] = (freq[i] + 1) / 2;
                son[leaves] = son[i];
                ++leaves;
            }
        }
        for (int i = 0, j = kSymbols; j < kNodes; i += 2, ++j) {
            unsigned f = freq[i] + freq[i + 1];
            int k = j - 1;
            while (f < freq[k])
                --k;
            ++k;
            std::memmove(&freq[k + 1], &freq[k], static_cast<size_t>(j - k) * sizeof freq[0]);
            std::memmove(&son[k + 1], &son[k], static_cast<size_t>(j - k) * sizeof son[0]);
            freq[k] = f;
            son[k] = i;
        }
        for (int i = 0; i < kNodes; ++i) {
            int k = son[i];
            parent[k] = i;
            if (k < kNodes)
                parent[k + 1] = i;
        }
    }

    void Update(int symbol) {
        if (freq[kRoot] >= kMaxFreq)
            Rebuild();
        int c = parent[symbol + kNodes];
        do {
            unsigned k = ++freq[c];
            if (k > freq[c + 1]) {
                // Swap with the last node still below the new count, keeping the order.
                int l = c + 1;
                while (k > freq[l + 1])
                    ++l;
                freq[c] = freq[l];
                freq[l] = k;
                int i = son[c];
                parent[i] = l;
                if (i < kNodes)
                    parent[i + 1] = l;
                int j = son[l];
                son[l] = i;
                parent[j] = c;
                if (j < kNodes)
                    parent[j + 1] = c;
                son[c] = j;
                c = l;
            }
            c = parent[c];
        } while (c != 0);
    }
};

// ---- decoding

constexpr size_t kInputBlock = 16 * 1024;
constexpr size_t kOutputBlock = 64 * 1024;

struct TDecodeState {
    THuffTree tree;
    std::uint8_t ring[kRingSize];
    std::uint8_t input[kInputBlock];
    std::uint8_t output[kOutputBlock];
};

struct TBitBuffer {
    std::uint64_t bits = 0;
    int count = 0;
};

// The code stream, buffered a block at a time. Past the end of the input every byte reads as
// zero.
class TByteSource {
  public:
    TByteSource(const TLzhReadProc& read, std::uint8_t* block) : read_(read), block_(block) {}

    // Tops the buffer up to more than 56 valid bits, most significant bit first; bits are
    // kept left-aligned and count says how many are valid. Taken and given by value: a bit
    // buffer whose address escaped would be reloaded around every byte store of the decoder.
    TBitBuffer Fill(TBitBuffer b) {
        while (b.count <= 56) {
            if (pos_ == len_ && !NextBlock()) {
                int zeroBytes = (63 - b.count) / 8;
                zeros_ += static_cast<unsigned>(zeroBytes);
                b.count += zeroBytes * 8;
                break;
            }
            b.bits |= static_cast<std::uint64_t>(block_[pos_++]) << (56 - b.count);
            b.count += 8;
        }
        return b;
    }
    // Bytes taken so far, the zero bytes past the end included.
    std::uint64_t Taken() const { return consumed_ + pos_ + zeros_; }

  private:
    bool NextBlock() {
        consumed_ += len_;
        pos_ = len_ = 0;
        if (atEnd_)
            return false;
        len_ = read_(block_, kInputBlock);
        atEnd_ = len_ == 0;
        return !atEnd_;
    }

    const TLzhReadProc& read_;
    std::uint8_t* block_;
    size_t pos_ = 0;
    size_t len_ = 0;
    bool atEnd_ = false;
    std::uint64_t consumed_ = 0;
    std::uint64_t zeros_ = 0;
};

size_t ReadAll(const TLzhReadProc& read, std::uint8_t* buffer, size_t count) {
    size_t got = 0;
    while (got < count) {
        size_t n = read(buffer + got, count - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

std::unique_ptr<TDecodeState> AllocateDecodeState() {
    try {
        return std::make_unique<TDecodeState>();
    } catch (const std::bad_alloc&) {
        throw ElzhException("LZH : Cannot get memory for dictionary tables");
    }
}

void Decode(TDecodeState& state, const TLzhReadProc& read, const TLzhWriteProc& write, std::uint32_t size,
            TLzhUnpackResult& result) {
    THuffTree& tree = state.tree;
    tree.Start();
    std::uint8_t* const ring = state.ring;
    std::memset(ring, ' ', kRingStart);
    std::memset(ring + kRingStart, 0, kRingSize - kRingStart);
    std::uint8_t* const out = state.output;
    size_t outLen = 0;

    // The bit buffer lives in locals so that it stays in registers through the hot loop.
    TByteSource source(read, state.input);
    TBitBuffer in;
    unsigned r = kRingStart;
    std::uint32_t left = size;
    while (left > 0) {
        if (outLen > kOutputBlock - kMaxMatch) {
            write(out, outLen);
            result.Produced += outLen;
            outLen = 0;
        }
        // A leaf lies at most 21 levels deep: the tree keeps its sibling order, so a leaf at
        // depth d needs a root count of at least Fibonacci(d + 2) = 46368 for d = 22, and the
        // root is rebuilt at 0x8000. So 40 bits always cover a symbol, and the walk need not
        // look at the count bit by bit.
        if (in.count < 40)
            in = source.Fill(in);
        std::uint64_t bits = in.bits;
        int count = in.count;
        int c = tree.son[kRoot];
        while (c < kNodes) {
            c = tree.son[c + static_cast<int>(bits >> 63)];
            bits <<= 1;
            --count;
        }
        in = {bits, count < 0 ? 0 : count}; // never below 0, whatever the tree
        c -= kNodes;
        tree.Update(c);

        if (c < 256) {
            ring[r] = static_cast<std::uint8_t>(c);
            r = (r + 1) & kRingMask;
            out[outLen++] = static_cast<std::uint8_t>(c);
            --left;
            continue;
        }

        if (in.count < 14)
            in = source.Fill(in);
        unsigned index = static_cast<unsigned>(in.bits >> 56);
        int extra = kPosition.Length[index] - 2;
        unsigned low = static_cast<unsigned>(in.bits >> (56 - extra)) & 0x3F;
        in.bits <<= 8 + extra;
        in.count -= 8 + extra;
        unsigned position = (static_cast<unsigned>(kPosition.Upper[index]) << 6) | low;

        unsigned from = (r - position - 1) & kRingMask;
        // A damaged stream may announce a match that runs past the announced size; only the
        // announced bytes are produced.
        unsigned length = std::min<unsigned>(static_cast<unsigned>(c - 255 + kThreshold), left);
        for (unsigned k = 0; k < length; ++k) {
            std::uint8_t b = ring[(from + k) & kRingMask];
            ring[r] = b;
            r = (r + 1) & kRingMask;
            out[outLen++] = b;
        }
        left -= length;
    }
    if (outLen) {
        write(out, outLen);
        result.Produced += outLen;
    }
    std::uint64_t bitsUsed = source.Taken() * 8 - static_cast<std::uint64_t>(in.count);
    result.CodeBytesUsed = (bitsUsed + 7) / 8;
}

// ---- encoding

class TBitWriter {
  public:
    explicit TBitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    // Appends the low n bits of code (n <= 32), most significant first.
    void Put(std::uint32_t code, int n) {
        bits_ = (bits_ << n) | (code & ((std::uint64_t{1} << n) - 1));
        count_ += n;
        while (count_ >= 8) {
            count_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(bits_ >> count_));
        }
    }
    // The last partial byte, padded with zero bits.
    void Flush() {
        if (count_ > 0)
            out_.push_back(static_cast<std::uint8_t>(bits_ << (8 - count_)));
        count_ = 0;
    }

  private:
    std::vector<std::uint8_t>& out_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
};

class TEncoder {
  public:
    TEncoder(std::vector<std::uint8_t>& out) : writer_(out) { tree_.Start(); }

    void Symbol(int symbol) {
        // Gathered from the leaf up (a right child sits at the odd index of its pair), sent
        // from the root down.
        std::uint64_t code = 0;
        int depth = 0;
        for (int k = tree_.parent[symbol + kNodes]; k != kRoot; k = tree_.parent[k])
            code |= static_cast<std::uint64_t>(k & 1) << depth++;
        while (depth > 32) {
            depth -= 32;
            writer_.Put(static_cast<std::uint32_t>(code >> depth), 32);
        }
        writer_.Put(static_cast<std::uint32_t>(code), depth);
        tree_.Update(symbol);
    }

    void Position(unsigned position) {
        unsigned upper = position >> 6;
        writer_.Put(kPosition.Prefix[upper], kPosition.PrefixLength[upper]);
        writer_.Put(position & 0x3F, 6);
    }

    void Finish() { writer_.Flush(); }

  private:
    THuffTree tree_;
    TBitWriter writer_;
};

// Hash chains over the input; only bytes already sent are referred to (never the initial
// spaces of the ring), so any decoder that follows the format reads our streams.
class TMatchFinder {
  public:
    static constexpr int kMaxHashBits = 15;
    static constexpr int kMaxChain = 128;
    static constexpr size_t kMaxDistance = kRingSize - 1;

    TMatchFinder(const std::uint8_t* data, size_t size)
        : data_(data), size_(size), hashBits_(HashBitsFor(size)), head_(size_t{1} << hashBits_, -1),
          prev_(kRingSize, -1) {}

    // Makes position pos findable; positions are inserted in increasing order.
    void Insert(size_t pos) {
        if (pos + kMinMatch > size_)
            return;
        unsigned h = Hash(pos);
        prev_[pos & kRingMask] = head_[h];
        head_[h] = static_cast<std::int64_t>(pos);
    }

    // Longest match for pos (ties: the nearest), length 0 when under kMinMatch.
    int Find(size_t pos, size_t& distance) const {
        size_t limit = std::min<size_t>(kMaxMatch, size_ - pos);
        if (limit < static_cast<size_t>(kMinMatch))
            return 0;
        int best = 0;
        std::int64_t cand = head_[Hash(pos)];
        for (int chain = 0; chain < kMaxChain && cand >= 0; ++chain) {
            size_t c = static_cast<size_t>(cand);
            if (c >= pos || pos - c > kMaxDistance)
                break;
            if (data_[c + static_cast<size_t>(best)] == data_[pos + static_cast<size_t>(best)]) {
                size_t n = 0;
                while (n < limit && data_[c + n] == data_[pos + n])
                    ++n;
                if (static_cast<int>(n) > best) {
                    best = static_cast<int>(n);
                    distance = pos - c;
                    if (n == limit)
                        break;
                }
            }
            std::int64_t next = prev_[c & kRingMask];
            if (next >= cand)
                break; // the slot was reused by a newer position: the chain ends here
            cand = next;
        }
        return best >= kMinMatch ? best : 0;
    }

  private:
    unsigned Hash(size_t pos) const {
        std::uint32_t v =
            (std::uint32_t{data_[pos]} << 16) | (std::uint32_t{data_[pos + 1]} << 8) | data_[pos + 2];
        return (v * 2654435761u) >> (32 - hashBits_);
    }

    // Small inputs get a small table: setting up the full one would cost more than packing.
    static int HashBitsFor(size_t size) {
        int bits = 10;
        while (bits < kMaxHashBits && (size_t{1} << bits) < size)
            ++bits;
        return bits;
    }

    const std::uint8_t* data_;
    size_t size_;
    int hashBits_;
    std::vector<std::int64_t> head_;
    std::vector<std::int64_t> prev_;
};

void Encode(const std::uint8_t* data, size_t size, const TLzhPackOptions& options,
            std::vector<std::uint8_t>& out) {
    auto encoder = std::make_unique<TEncoder>(out);
    TMatchFinder finder(data, size);
    // Searches before inserting, so a position never finds itself.
    auto matchAt = [&](size_t p, bool search, size_t& d) {
        int n = search && options.Matches ? finder.Find(p, d) : 0;
        if (options.Matches)
            finder.Insert(p);
        return n;
    };
    size_t pos = 0;
    size_t distance = 0;
    int length = matchAt(0, true, distance);
    while (pos < size) {
        if (length >= kMinMatch) {
            // One step of lazy evaluation: a longer match at the next byte wins over this one.
            size_t nextDistance = 0;
            int next = matchAt(pos + 1, length < kMaxMatch, nextDistance);
            if (next > length) {
                encoder->Symbol(data[pos]);
                ++pos;
                length = next;
                distance = nextDistance;
                continue;
            }
            encoder->Symbol(255 - kThreshold + length);
            encoder->Position(static_cast<unsigned>(distance - 1));
            for (size_t k = pos + 2; k < pos + static_cast<size_t>(length); ++k)
                matchAt(k, false, nextDistance);
            pos += static_cast<size_t>(length);
        } else {
            encoder->Symbol(data[pos]);
            ++pos;
        }
        length = pos < size ? matchAt(pos, true, distance) : 0;
    }
    encoder->Finish();
}

void PutSize(std::vector<std::uint8_t>& out, std::uint32_t size) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
}

} // namespace

TLZH::TLZH(TLzhReadProc read, TLzhWriteProc write) : read_(std::move(read)), write_(std::move(write)) {}

TLzhUnpackResult TLZH::Unpack(std::uint32_t maxSize) {
    TLzhUnpackResult result;
    std::uint8_t header[4] = {};
    result.HeaderComplete = ReadAll(read_, header, sizeof header) == sizeof header;
    result.AnnouncedSize =
        static_cast<std::uint32_t>(header[0]) | (static_cast<std::uint32_t>(header[1]) << 8) |
        (static_cast<std::uint32_t>(header[2]) << 16) | (static_cast<std::uint32_t>(header[3]) << 24);
    if (result.AnnouncedSize > maxSize) {
        result.TooLarge = true;
        return result;
    }
    if (result.AnnouncedSize == 0)
        return result;
    std::unique_ptr<TDecodeState> state = AllocateDecodeState();
    Decode(*state, read_, write_, result.AnnouncedSize, result);
    return result;
}

void TLZH::Pack() {
    std::vector<std::uint8_t> input;
    std::uint8_t block[kInputBlock];
    for (;;) {
        size_t n = read_(block, sizeof block);
        if (n == 0)
            break;
        input.insert(input.end(), block, block + n);
    }
    std::vector<std::uint8_t> packed = LzhPack(input.data(), input.size());
    write_(packed.data(), packed.size());
}

std::vector<std::uint8_t> LzhPack(const std::uint8_t* data, size_t size, const TLzhPackOptions& options) {
    if (size > 0xFFFFFFFFu)
        throw ElzhException("LZH : Input too large for a packed skin");
    std::vector<std::uint8_t> out;
    out.reserve(size / 2 + 16);
    PutSize(out, static_cast<std::uint32_t>(size));
    if (size > 0)
        Encode(data, size, options, out);
    return out;
}

std::vector<std::uint8_t> LzhPack(const std::uint8_t* data, size_t size) {
    return LzhPack(data, size, TLzhPackOptions{});
}

std::vector<std::uint8_t> LzhUnpack(const std::uint8_t* packed, size_t size, TLzhUnpackResult* result,
                                    std::uint32_t maxSize) {
    size_t pos = 0;
    std::vector<std::uint8_t> out;
    TLZH lzh(
        [&](std::uint8_t* buffer, size_t count) {
            size_t n = std::min(count, size - pos);
            if (n)
                std::memcpy(buffer, packed + pos, n);
            pos += n;
            return n;
        },
        [&](const std::uint8_t* buffer, size_t count) { out.insert(out.end(), buffer, buffer + count); });
    TLzhUnpackResult r = lzh.Unpack(maxSize);
    if (result)
        *result = r;
    return out;
}
