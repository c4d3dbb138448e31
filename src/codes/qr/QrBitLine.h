// One row or column of a QR symbol as bits (1 dark), with four light modules
// of padding before it and light beyond its end, so that the penalty rules
// can test whole lines with a few word operations instead of module by module.
// The word count is a parameter: most symbols fit one or two words, and
// their lines then cost a fraction of the largest symbol's.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ql {

// The words a line of `size` modules needs: its padding, its modules and
// the ten positions the finder rule looks past the end.
constexpr size_t qrBitLineWords(int size)
{
    return static_cast<size_t>(size + 4 + 10 + 63) / 64;
}

template <size_t Words>
class QrBitLine {
public:
    static constexpr int kPadding = 4;

    QrBitLine() = default;

    // The first `Words` of `words`, as they stand.
    static QrBitLine fromWords(const uint64_t* words)
    {
        QrBitLine line;
        for (size_t n = 0; n < Words; ++n)
            line.m_words[n] = words[n];
        return line;
    }

    void setModule(int module) { setBit(module + kPadding); }
    void setBit(int bit) { orBit(bit, 1); }
    // Without a branch: the penalty builds lines from unpredictable modules.
    void orModule(int module, uint64_t value) { orBit(module + kPadding, value); }
    void orBit(int bit, uint64_t value) { m_words[static_cast<size_t>(bit >> 6)] |= value << (bit & 63); }
    // Eight modules at once: bit k of `bits` is module `first` + k.
    void orByte(int first, uint64_t bits)
    {
        const int bit = first + kPadding;
        const auto word = static_cast<size_t>(bit >> 6);
        const int offset = bit & 63;
        m_words[word] |= bits << offset;
        if (offset > 56 && word + 1 < Words)
            m_words[word + 1] |= bits >> (64 - offset);
    }
    unsigned byteAt(int first) const
    {
        const int bit = first + kPadding;
        const auto word = static_cast<size_t>(bit >> 6);
        const int offset = bit & 63;
        uint64_t bits = m_words[word] >> offset;
        if (offset > 56 && word + 1 < Words)
            bits |= m_words[word + 1] << (64 - offset);
        return static_cast<unsigned>(bits & 0xFF);
    }
    bool module(int module) const
    {
        const int bit = module + kPadding;
        return (m_words[static_cast<size_t>(bit >> 6)] >> (bit & 63)) & 1u;
    }

    // Bits [first, last] set.
    static QrBitLine range(int first, int last)
    {
        QrBitLine line;
        for (int bit = first; bit <= last; ++bit)
            line.setBit(bit);
        return line;
    }

    // Bit i of the result is bit i + k of this line (negative k looks back).
    QrBitLine at(int k) const
    {
        QrBitLine out;
        if (k >= 0) {
            for (size_t n = 0; n < Words; ++n) {
                const uint64_t low = k == 0 ? m_words[n] : m_words[n] >> k;
                const uint64_t high = (k == 0 || n + 1 >= Words) ? 0 : m_words[n + 1] << (64 - k);
                out.m_words[n] = low | high;
            }
        } else {
            const int s = -k;
            for (size_t n = 0; n < Words; ++n) {
                const uint64_t high = m_words[n] << s;
                const uint64_t low = n == 0 ? 0 : m_words[n - 1] >> (64 - s);
                out.m_words[n] = high | low;
            }
        }
        return out;
    }

    QrBitLine operator&(const QrBitLine& o) const { return combine(o, [](uint64_t a, uint64_t b) { return a & b; }); }
    QrBitLine operator|(const QrBitLine& o) const { return combine(o, [](uint64_t a, uint64_t b) { return a | b; }); }
    QrBitLine operator^(const QrBitLine& o) const { return combine(o, [](uint64_t a, uint64_t b) { return a ^ b; }); }
    QrBitLine operator~() const
    {
        QrBitLine out;
        for (size_t n = 0; n < Words; ++n)
            out.m_words[n] = ~m_words[n];
        return out;
    }

    bool any() const
    {
        uint64_t all = 0;
        for (uint64_t word : m_words)
            all |= word;
        return all != 0;
    }

    int count() const
    {
        int total = 0;
        for (uint64_t word : m_words)
            total += popcount(word);
        return total;
    }

private:
    // Inline, as the portable baseline has no population-count instruction
    // and the library call costs more than these few operations.
    static int popcount(uint64_t x)
    {
        x = x - ((x >> 1) & 0x5555555555555555ULL);
        x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
        x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
        return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
    }

    template <class Op>
    QrBitLine combine(const QrBitLine& o, Op op) const
    {
        QrBitLine out;
        for (size_t n = 0; n < Words; ++n)
            out.m_words[n] = op(m_words[n], o.m_words[n]);
        return out;
    }

    std::array<uint64_t, Words> m_words{};
};

} // namespace ql
