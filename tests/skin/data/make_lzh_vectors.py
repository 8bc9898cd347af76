#!/usr/bin/env python3
"""A second, deliberately plain LZHUF codec, written apart from skin/WinConvert.cpp, that makes
the known-answer vectors of LzhCodecTest.cpp. Two implementations that agree bit for bit are
good evidence that both follow the format.

    make_lzh_vectors.py                 print the vectors as C++
    make_lzh_vectors.py unpack IN OUT   decode a packed file (to cross-check the C++ encoder)
    make_lzh_vectors.py pack IN OUT     encode a file (literals and greedy matches)
"""
import sys
import zlib

N, F, THRESHOLD = 4096, 60, 2
N_CHAR = 256 - THRESHOLD + F
T = 2 * N_CHAR - 1
R = T - 1
MAX_FREQ = 0x8000

# Code length of the upper 6 bits of a position, and the 256-entry decoding tables.
def upper_len(u):
    for limit, bits in ((1, 3), (4, 4), (12, 5), (24, 6), (48, 7), (64, 8)):
        if u < limit:
            return bits
D_CODE, D_LEN, P_CODE = [], [], []
for u in range(64):
    P_CODE.append(len(D_CODE) >> (8 - upper_len(u)))
    D_CODE += [u] * (1 << (8 - upper_len(u)))
    D_LEN += [upper_len(u)] * (1 << (8 - upper_len(u)))
assert len(D_CODE) == 256


class Tree:
    def __init__(self):
        self.freq = [0] * (T + 1)
        self.son = [0] * T
        self.prnt = [0] * (T + N_CHAR)
        for i in range(N_CHAR):
            self.freq[i] = 1
            self.son[i] = i + T
            self.prnt[i + T] = i
        i, j = 0, N_CHAR
        while j <= R:
            self.freq[j] = self.freq[i] + self.freq[i + 1]
            self.son[j] = i
            self.prnt[i] = self.prnt[i + 1] = j
            i += 2
            j += 1
        self.freq[T] = 0xFFFF
        self.prnt[R] = 0
        self.rebuilds = 0

    def rebuild(self):
        self.rebuilds += 1
        freq, son = self.freq, self.son
        leaves = [((freq[i] + 1) // 2, son[i]) for i in range(T) if son[i] >= T]
        nodes = list(leaves)  # (freq, son) in node order
        i = 0
        for j in range(N_CHAR, T):
            f = nodes[i][0] + nodes[i + 1][0]
            k = j - 1
            while f < nodes[k][0]:
                k -= 1
            nodes.insert(k + 1, (f, i))
            i += 2
        for idx, (f, s) in enumerate(nodes):
            freq[idx], son[idx] = f, s
        for idx in range(T):
            s = son[idx]
            self.prnt[s] = idx
            if s < T:
                self.prnt[s + 1] = idx

    def update(self, c):
        if self.freq[R] >= MAX_FREQ:
            self.rebuild()
        freq, son, prnt = self.freq, self.son, self.prnt
        c = prnt[c + T]
        while True:
            freq[c] += 1
            k = freq[c]
            if k > freq[c + 1]:
                l = c + 1
                while k > freq[l + 1]:
                    l += 1
                freq[c], freq[l] = freq[l], k
                i = son[c]
                prnt[i] = l
                if i < T:
                    prnt[i + 1] = l
                j = son[l]
                son[l] = i
                prnt[j] = c
                if j < T:
                    prnt[j + 1] = c
                son[c] = j
                c = l
            c = prnt[c]
            if c == 0:
                break

    def code(self, c):
        bits = []
        k = self.prnt[c + T]
        while k != R:
            # Which child of its parent the node is.
            bits.append(0 if self.son[self.prnt[k]] == k else 1)
            k = self.prnt[k]
        return bits[::-1]


class BitIn:
    """16-bit buffer refilled below 9 bits, one byte at a time, zero past the end."""
    def __init__(self, data):
        self.data, self.pos, self.buf, self.len = data, 0, 0, 0

    def _fill(self):
        while self.len <= 8:
            b = self.data[self.pos] if self.pos < len(self.data) else 0
            self.pos += 1
            self.buf |= b << (8 - self.len)
            self.len += 8

    def bit(self):
        self._fill()
        v = (self.buf >> 15) & 1
        self.buf = (self.buf << 1) & 0xFFFF
        self.len -= 1
        return v

    def byte(self):
        self._fill()
        v = (self.buf >> 8) & 0xFF
        self.buf = (self.buf << 8) & 0xFFFF
        self.len -= 8
        return v


def unpack(packed):
    size = int.from_bytes(packed[:4].ljust(4, b"\0"), "little")
    src = BitIn(packed[4:])
    tree = Tree()
    ring = bytearray(b" " * (N - F) + b"\0" * F)
    r = N - F
    out = bytearray()
    while len(out) < size:
        c = tree.son[R]
        while c < T:
            c = tree.son[c + src.bit()]
        c -= T
        tree.update(c)
        if c < 256:
            out.append(c)
            ring[r] = c
            r = (r + 1) % N
        else:
            i = src.byte()
            upper = D_CODE[i] << 6
            for _ in range(D_LEN[i] - 2):
                i = (i << 1) + src.bit()
            pos = upper | (i & 0x3F)
            start = (r - pos - 1) % N
            for k in range(c - 255 + THRESHOLD):
                b = ring[(start + k) % N]
                out.append(b)
                ring[r] = b
                r = (r + 1) % N
    return bytes(out[:size])


def pack(data, matches=True):
    bits = []
    tree = Tree()
    pos = 0
    while pos < len(data):
        best, dist = 0, 0
        if matches:
            for d in range(1, min(pos, N - 1) + 1):
                n = 0
                while n < F and pos + n < len(data) and data[pos + n - d] == data[pos + n]:
                    n += 1
                if n > best:
                    best, dist = n, d
        if best > THRESHOLD:
            sym = 255 - THRESHOLD + best
            bits += tree.code(sym)
            tree.update(sym)
            p = dist - 1
            u = p >> 6
            n = upper_len(u)
            bits += [(P_CODE[u] >> (n - 1 - b)) & 1 for b in range(n)]
            bits += [(p >> (5 - b)) & 1 for b in range(6)]
            pos += best
        else:
            bits += tree.code(data[pos])
            tree.update(data[pos])
            pos += 1
    bits += [0] * (-len(bits) % 8)
    code = bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))
    return len(data).to_bytes(4, "little") + code


def lcg_bytes(n, seed):
    """The same generator as LzhCodecTest.cpp's TestBytes."""
    out = bytearray()
    x = seed
    for _ in range(n):
        x = (x * 1103515245 + 12345) & 0xFFFFFFFF
        out.append((x >> 16) & 0xFF)
    return bytes(out)


def cxx(name, data):
    rows = [", ".join("0x%02X" % b for b in data[i:i + 12]) for i in range(0, len(data), 12)]
    return "const std::uint8_t %s[] = {\n    %s,\n};\n" % (name, ",\n    ".join(rows))


def main():
    if len(sys.argv) == 4:
        src = open(sys.argv[2], "rb").read()
        out = unpack(src) if sys.argv[1] == "unpack" else pack(src)
        open(sys.argv[3], "wb").write(out)
        return
    vectors = {
        "kPackedA": b"A",
        "kPackedAbc": b"abcabcabcabcabcabcabcabc!",
        "kPackedText": b"The skin engine reads its skins from packed archives; "
                       b"the skin engine reads them once.\r\n" * 3,
    }
    for name, data in vectors.items():
        packed = pack(data)
        assert unpack(packed) == data
        print("// %r" % data[:60])
        print(cxx(name, packed))
    # Literals only, long enough for several tree rebuilds: too big to list, so only its length
    # and CRC-32 are checked against the C++ encoder in the same mode.
    big = lcg_bytes(200000, 7)
    packed = pack(big, matches=False)
    tree_check = unpack(packed)
    assert tree_check == big
    print("// literals only, 200000 bytes of lcg_bytes(seed 7)")
    print("constexpr size_t kLiteralStreamSize = %d;" % len(packed))
    print("constexpr std::uint32_t kLiteralStreamCrc = 0x%08X;" % zlib.crc32(packed))


if __name__ == "__main__":
    main()
