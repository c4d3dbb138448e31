// The QR Code symbol encoder (model 2, versions 1-40, levels L, M, Q, H): one
// object serves one encoding. It splits the input bytes into numeric,
// alphanumeric and 8-bit segments, chooses the version, completes the data
// codewords, adds Reed-Solomon error correction, places everything in the
// module matrix and applies the data mask.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace ql {

class QrSegmentList;

class CQR_Encode {
public:
    enum Mode : uint8_t { ModeNumeral = 0, ModeAlphabet = 1, Mode8Bit = 2 };

    struct Segment {
        uint8_t mode = ModeNumeral;
        int length = 0; // in bytes of the input
        bool operator==(const Segment&) const = default;
    };

    static constexpr int kMaxSymbolSize = 177;
    static constexpr int kMaxDataCodeWords = 2956; // version 40-L
    static constexpr int kMaxDataBits = kMaxDataCodeWords * 8;
    static constexpr int kMaxAllCodeWords = 3706;
    // The most characters any symbol holds (digits at 40-L); longer input is
    // refused before it is analysed.
    static constexpr int kMaxSourceLength = 7089;

    // Indexed [x][y]: x the column from the left, y the row from the top.
    using ModuleMatrix = std::array<std::array<uint8_t, kMaxSymbolSize>, kMaxSymbolSize>;

    // level 0-3; version 1-40 for at least that version, 0 (or below, with
    // autoExtent) for the smallest that fits; maskingNo 0-7 or -1 to choose
    // by penalty; length below 1 takes the source up to its zero byte.
    // Returns false, leaving symbleSize() 0, when the data cannot be encoded
    // or an argument is out of range.
    bool encodeData(int level, int version, bool autoExtent, int maskingNo, const char* source, int length);

    // Results of a successful encodeData().
    int symbleSize() const { return m_nSymbleSize; }
    bool isDark(int x, int y) const { return m_byModuleData[idx(x)][idx(y)] != 0; }
    int version() const { return m_nVersion; }
    int level() const { return m_nLevel; }
    int maskingNo() const { return m_nMaskingNo; }
    const std::vector<Segment>& segments() const { return m_segments; }
    // The bit stream before completion, and afterwards the data codewords.
    std::span<const uint8_t> dataCodeWords(int count) const;
    std::span<const uint8_t> allCodeWords() const;

    // The steps of an encoding, public so that each can be checked alone.
    int getEncodeVersion(int version, const char* source, int length);
    bool encodeSourceData(const char* source, int length, int verGroup);
    static int getBitLength(uint8_t mode, int ncData, int verGroup);
    int setBitStream(int index, uint16_t data, int ncData);
    static bool isNumeralData(unsigned char c);
    static bool isAlphabetData(unsigned char c);
    static uint8_t alphabetToBinaly(unsigned char c);
    static void getRSCodeWord(uint8_t* work, int ncDataCodeWord, int ncRSCodeWord);
    int dataBitLength() const { return m_ncDataCodeWordBit; }

private:
    friend class CQR_EncodeTest;

    static size_t idx(int i) { return static_cast<size_t>(i); }
    static int countWidth(uint8_t mode, int verGroup);
    static std::vector<Segment> classRuns(const char* source, int length);
    void buildSegments(std::vector<Segment> runs, int verGroup);
    static void mergeNumeralAndAlphabet(QrSegmentList& segments, int verGroup);
    static void mergeInto8Bit(QrSegmentList& segments, int verGroup);
    bool encodeRuns(std::vector<Segment> runs, const char* source, int verGroup);
    static int segmentBits(QrSegmentList& segments, int n, int verGroup);
    void completeDataCodeWords();
    void buildAllCodeWords();

    void formatModule();
    void setFunctionModule();
    void setFinderPattern(int x, int y);
    void setAlignmentPattern(int x, int y);
    void setVersionPattern();
    void setCodeWordPattern();
    int countPenalty() const;

    int m_nLevel = 0;
    int m_nVersion = 0;
    int m_nMaskingNo = 0;
    int m_nSymbleSize = 0;
    ModuleMatrix m_byModuleData{};
    int m_ncDataCodeWordBit = 0;
    std::array<uint8_t, kMaxDataCodeWords> m_byDataCodeWord{};
    // Grows with the input: text that changes class often opens more
    // segments than any fixed bound would allow, yet may merge into few.
    std::vector<Segment> m_segments;
    int m_ncAllCodeWord = 0;
    std::array<uint8_t, kMaxAllCodeWords> m_byAllCodeWord{};
};

} // namespace ql
