#include "codes/qr/CQR_Encode.h"

#include "codes/qr/QrGaloisField.h"
#include "codes/qr/QrSegmentList.h"
#include "codes/qr/QrVersionTable.h"

#include <algorithm>
#include <cstring>

namespace ql {
namespace {

constexpr int kModeIndicatorBits = 4;

int groupOfVersion(int version)
{
    return version > 26 ? 2 : version > 9 ? 1 : 0;
}

constexpr int kFirstVersionOfGroup[3] = {1, 10, 27};
constexpr int kLastVersionOfGroup[3] = {9, 26, 40};

} // namespace

std::span<const uint8_t> CQR_Encode::dataCodeWords(int count) const
{
    return std::span<const uint8_t>(m_byDataCodeWord).first(idx(std::clamp(count, 0, kMaxDataCodeWords)));
}

std::span<const uint8_t> CQR_Encode::allCodeWords() const
{
    return std::span<const uint8_t>(m_byAllCodeWord).first(idx(m_ncAllCodeWord));
}

namespace {

constexpr uint8_t kNotAlphanumeric = 0xFF;

// The alphanumeric value of each byte, or kNotAlphanumeric.
constexpr std::array<uint8_t, 256> makeAlphanumericValues()
{
    std::array<uint8_t, 256> values{};
    values.fill(kNotAlphanumeric);
    const char symbols[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    for (size_t i = 0; i + 1 < sizeof symbols; ++i)
        values[static_cast<unsigned char>(symbols[i])] = static_cast<uint8_t>(i);
    return values;
}

inline constexpr std::array<uint8_t, 256> kAlphanumericValues = makeAlphanumericValues();

} // namespace

bool CQR_Encode::isNumeralData(unsigned char c)
{
    return c >= '0' && c <= '9';
}

bool CQR_Encode::isAlphabetData(unsigned char c)
{
    return kAlphanumericValues[c] != kNotAlphanumeric;
}

// 44, the value of ':', for anything else, as callers pass only
// alphanumeric bytes.
uint8_t CQR_Encode::alphabetToBinaly(unsigned char c)
{
    const uint8_t value = kAlphanumericValues[c];
    return value == kNotAlphanumeric ? 44 : value;
}

int CQR_Encode::countWidth(uint8_t mode, int verGroup)
{
    static constexpr int widths[3][3] = {{10, 12, 14}, {9, 11, 13}, {8, 16, 16}};
    return widths[mode][verGroup];
}

int CQR_Encode::getBitLength(uint8_t mode, int ncData, int verGroup)
{
    const int header = kModeIndicatorBits + countWidth(mode, verGroup);
    switch (mode) {
    case ModeNumeral: {
        static constexpr int tail[3] = {0, 4, 7};
        return header + 10 * (ncData / 3) + tail[ncData % 3];
    }
    case ModeAlphabet:
        return header + 11 * (ncData / 2) + 6 * (ncData % 2);
    default:
        return header + 8 * ncData;
    }
}

int CQR_Encode::setBitStream(int index, uint16_t data, int ncData)
{
    if (index == -1 || index + ncData > kMaxDataBits)
        return -1;
    // A value of at most 16 bits spans at most three bytes: aligned in a
    // 24-bit window, each byte takes its part at once.
    const int offset = index % 8;
    const uint32_t value = static_cast<uint32_t>(data) & ((1u << ncData) - 1);
    const uint32_t window = value << (24 - offset - ncData);
    const int first = index / 8;
    const int last = (index + ncData - 1) / 8;
    for (int byte = first; byte <= last; ++byte)
        m_byDataCodeWord[idx(byte)] |= static_cast<uint8_t>(window >> (8 * (2 - (byte - first))));
    return index + ncData;
}

int CQR_Encode::segmentBits(QrSegmentList& segments, int n, int verGroup)
{
    const Segment& s = segments[n];
    return getBitLength(s.mode, s.length, verGroup);
}

// Runs of bytes of one class: digits, other alphanumerics, anything else.
std::vector<CQR_Encode::Segment> CQR_Encode::classRuns(const char* source, int length)
{
    std::vector<Segment> runs;
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(source[i]);
        const uint8_t mode = isNumeralData(c) ? ModeNumeral : isAlphabetData(c) ? ModeAlphabet : Mode8Bit;
        if (runs.empty() || runs.back().mode != mode)
            runs.push_back({mode, 0});
        ++runs.back().length;
    }
    return runs;
}

void CQR_Encode::buildSegments(std::vector<Segment> runs, int verGroup)
{
    QrSegmentList alike(std::move(runs));
    mergeNumeralAndAlphabet(alike, verGroup);
    QrSegmentList mixed(std::move(alike).release());
    mergeInto8Bit(mixed, verGroup);
    m_segments = std::move(mixed).release();
}

// Neighbouring numeric and alphanumeric segments join when that is shorter,
// possibly into a neighbouring 8-bit segment instead.
void CQR_Encode::mergeNumeralAndAlphabet(QrSegmentList& segments, int verGroup)
{
    int n = 0;
    while (n < segments.size() - 1) {
        const int count = segments.size();
        const Segment& a = segments[n];
        const Segment& b = segments[n + 1];
        const bool mixed = (a.mode == ModeNumeral && b.mode == ModeAlphabet)
            || (a.mode == ModeAlphabet && b.mode == ModeNumeral);
        if (!mixed) {
            ++n;
            continue;
        }
        const int src = segmentBits(segments, n, verGroup) + segmentBits(segments, n + 1, verGroup);
        const int dst = getBitLength(ModeAlphabet, a.length + b.length, verGroup);
        if (src <= dst) {
            ++n;
            continue;
        }
        int front = 0;
        if (n >= 1 && segments[n - 1].mode == Mode8Bit) {
            const int before = segments[n - 1].length;
            front = getBitLength(Mode8Bit, before + a.length, verGroup) + segmentBits(segments, n + 1, verGroup);
            if (front > dst + getBitLength(Mode8Bit, before, verGroup))
                front = 0;
        }
        int behind = 0;
        if (n < count - 2 && segments[n + 2].mode == Mode8Bit) {
            const int after = segments[n + 2].length;
            behind = segmentBits(segments, n, verGroup) + getBitLength(Mode8Bit, b.length + after, verGroup);
            if (behind > dst + getBitLength(Mode8Bit, after, verGroup))
                behind = 0;
        }
        if (front != 0 && (behind == 0 || front < behind)) {
            segments.join(n - 1, n);
        } else if (behind != 0 && (front == 0 || behind <= front)) {
            segments[n + 1].mode = Mode8Bit;
            segments.join(n + 1, n + 2);
        } else {
            if (n < count - 2 && segments[n + 2].mode == ModeAlphabet)
                segments.join(n + 1, n + 2);
            segments[n].mode = ModeAlphabet;
            segments.join(n, n + 1);
            if (n >= 1 && segments[n - 1].mode == ModeAlphabet)
                segments.join(n - 1, n);
        }
    }
}

// Short segments between others cost more in headers than they save: fold
// them into 8-bit segments when that is shorter.
void CQR_Encode::mergeInto8Bit(QrSegmentList& segments, int verGroup)
{
    const int header8Bit = kModeIndicatorBits + countWidth(Mode8Bit, verGroup);
    int n = 0;
    while (n < segments.size() - 1) {
        const int count = segments.size();
        const int src = segmentBits(segments, n, verGroup) + segmentBits(segments, n + 1, verGroup);
        int dst = getBitLength(Mode8Bit, segments[n].length + segments[n + 1].length, verGroup);
        if (n >= 1 && segments[n - 1].mode == Mode8Bit)
            dst -= header8Bit;
        if (n < count - 2 && segments[n + 2].mode == Mode8Bit)
            dst -= header8Bit;
        if (src <= dst) {
            ++n;
            continue;
        }
        if (n >= 1 && segments[n - 1].mode == Mode8Bit) {
            segments.join(n - 1, n);
            --n;
        }
        if (n < segments.size() - 2 && segments[n + 2].mode == Mode8Bit)
            segments.join(n + 1, n + 2);
        segments[n].mode = Mode8Bit;
        segments.join(n, n + 1);
        if (n >= 1)
            --n;
    }
}

bool CQR_Encode::encodeSourceData(const char* source, int length, int verGroup)
{
    return encodeRuns(classRuns(source, length), source, verGroup);
}

bool CQR_Encode::encodeRuns(std::vector<Segment> runs, const char* source, int verGroup)
{
    buildSegments(std::move(runs), verGroup);

    m_ncDataCodeWordBit = 0;
    m_byDataCodeWord.fill(0);
    const auto* bytes = reinterpret_cast<const unsigned char*>(source);
    int position = 0;
    for (const Segment& segment : m_segments) {
        if (m_ncDataCodeWordBit == -1)
            break;
        // A count that does not fit its field would be written truncated;
        // such data belongs to a larger version group.
        const int width = countWidth(segment.mode, verGroup);
        if (segment.length >= (1 << width)) {
            m_ncDataCodeWordBit = -1;
            break;
        }
        int& bits = m_ncDataCodeWordBit;
        bits = setBitStream(bits, static_cast<uint16_t>(1u << segment.mode), kModeIndicatorBits);
        bits = setBitStream(bits, static_cast<uint16_t>(segment.length), width);
        const unsigned char* c = bytes + position;
        const int n = segment.length;
        switch (segment.mode) {
        case ModeNumeral:
            for (int i = 0; i < n; i += 3) {
                const int digits = std::min(3, n - i);
                int value = 0;
                for (int k = 0; k < digits; ++k)
                    value = value * 10 + (c[i + k] - '0');
                static constexpr int widths[4] = {0, 4, 7, 10};
                bits = setBitStream(bits, static_cast<uint16_t>(value), widths[digits]);
            }
            break;
        case ModeAlphabet:
            for (int i = 0; i < n; i += 2) {
                if (i + 1 < n)
                    bits = setBitStream(bits, static_cast<uint16_t>(alphabetToBinaly(c[i]) * 45 + alphabetToBinaly(c[i + 1])), 11);
                else
                    bits = setBitStream(bits, alphabetToBinaly(c[i]), 6);
            }
            break;
        default:
            for (int i = 0; i < n; ++i)
                bits = setBitStream(bits, c[i], 8);
            break;
        }
        position += n;
    }
    return m_ncDataCodeWordBit != -1;
}

int CQR_Encode::getEncodeVersion(int version, const char* source, int length)
{
    const std::vector<Segment> runs = classRuns(source, length);
    for (int group = groupOfVersion(version); group <= 2; ++group) {
        if (!encodeRuns(runs, source, group))
            continue;
        const int needed = (m_ncDataCodeWordBit + 7) / 8;
        for (int v = kFirstVersionOfGroup[group]; v <= kLastVersionOfGroup[group]; ++v) {
            if (qrVersionInfo(v).dataCodewords[idx(m_nLevel)] >= needed)
                return v;
        }
    }
    return 0;
}

bool CQR_Encode::encodeData(int level, int version, bool autoExtent, int maskingNo, const char* source, int length)
{
    m_nSymbleSize = 0;
    if (level < QrLevelL || level > QrLevelH || version > kQrMaxVersion || maskingNo < -1 || maskingNo > 7
        || source == nullptr)
        return false;
    m_nLevel = level;
    m_nMaskingNo = maskingNo;
    if (length < 1) {
        // Bounded search: anything past the largest capacity is refused anyway.
        length = static_cast<int>(strnlen(source, kMaxSourceLength + 1));
    }
    if (length == 0 || length > kMaxSourceLength)
        return false;

    const int found = getEncodeVersion(version, source, length);
    if (found == 0)
        return false;
    // A fixed version may be larger than needed; the stream already uses its
    // group's count widths, the group in which `found` lies.
    if (version == 0 || (found > version && autoExtent))
        m_nVersion = found;
    else if (found <= version)
        m_nVersion = version;
    else
        return false;

    completeDataCodeWords();
    buildAllCodeWords();
    m_nSymbleSize = m_nVersion * 4 + 17;
    formatModule();
    return true;
}

// Terminator, then the alternating pad codewords up to the capacity.
void CQR_Encode::completeDataCodeWords()
{
    const int capacity = qrVersionInfo(m_nVersion).dataCodewords[idx(m_nLevel)];
    const int terminator = std::min(4, capacity * 8 - m_ncDataCodeWordBit);
    if (terminator > 0)
        m_ncDataCodeWordBit = setBitStream(m_ncDataCodeWordBit, 0, terminator);
    bool ec = true;
    for (int i = (m_ncDataCodeWordBit + 7) / 8; i < capacity; ++i, ec = !ec)
        m_byDataCodeWord[idx(i)] = ec ? 0xEC : 0x11;
}

// Deals the data codewords to the Reed-Solomon blocks, adds each block's
// error correction and interleaves both, block by block.
void CQR_Encode::buildAllCodeWords()
{
    const QrVersionInfo& info = qrVersionInfo(m_nVersion);
    const QrBlockGroup& g1 = info.firstGroup[idx(m_nLevel)];
    const QrBlockGroup& g2 = info.secondGroup[idx(m_nLevel)];
    const int dataTotal = info.dataCodewords[idx(m_nLevel)];
    const int blocks = g1.blocks + g2.blocks;
    m_ncAllCodeWord = info.totalCodewords;
    std::fill_n(m_byAllCodeWord.begin(), m_ncAllCodeWord, 0);

    std::array<uint8_t, kQrMaxBlockCodewords> work{};
    int source = 0;
    for (int b = 0; b < blocks; ++b) {
        const bool second = b >= g1.blocks;
        const QrBlockGroup& group = second ? g2 : g1;
        for (int k = 0; k < group.dataCodewords; ++k) {
            // A longer block's extra codeword follows all the others.
            const int position = k < g1.dataCodewords ? b + k * blocks : blocks * g1.dataCodewords + (b - g1.blocks);
            m_byAllCodeWord[idx(position)] = m_byDataCodeWord[idx(source + k)];
        }
        work.fill(0);
        std::copy_n(m_byDataCodeWord.begin() + source, group.dataCodewords, work.begin());
        const int ecc = group.codewords - group.dataCodewords;
        getRSCodeWord(work.data(), group.dataCodewords, ecc);
        for (int k = 0; k < ecc; ++k)
            m_byAllCodeWord[idx(dataTotal + b + k * blocks)] = work[idx(k)];
        source += group.dataCodewords;
    }
}

// The remainder of the data polynomial times x^n divided by the generator,
// computed with a shift register rather than by moving the whole block; each
// step shifts and adds the generator's multiple in one pass.
void CQR_Encode::getRSCodeWord(uint8_t* work, int ncDataCodeWord, int ncRSCodeWord)
{
    const auto& gf = qrgf::kTables;
    const auto& generator = qrgf::kGenerators[idx(ncRSCodeWord)].exponents;
    std::array<uint8_t, qrgf::kMaxGeneratorDegree + 1> remainder{};
    const int last = ncRSCodeWord - 1;
    for (int i = 0; i < ncDataCodeWord; ++i) {
        const uint8_t factor = work[i] ^ remainder[0];
        if (factor == 0) {
            for (int j = 0; j < last; ++j)
                remainder[idx(j)] = remainder[idx(j + 1)];
            remainder[idx(last)] = 0;
            continue;
        }
        // product[g] is 2^g times factor.
        const uint8_t* product = gf.expOfSum.data() + gf.log[factor];
        for (int j = 0; j < last; ++j)
            remainder[idx(j)] = remainder[idx(j + 1)] ^ product[generator[idx(j)]];
        remainder[idx(last)] = product[generator[idx(last)]];
    }
    std::copy_n(remainder.begin(), ncRSCodeWord, work);
}

} // namespace ql
