// A corpus of texts of every kind and length, encoded at every level and
// compared with two independent parties: libqrencode must build exactly the
// symbol we build with one of our eight masks (same segments, version and
// level), and ZXing and zbar must read back every rendered symbol.
#include "codes/qr/CQR_Encode.h"
#include "codes/qr/QREncoder.h"
#include "codes/qr/QrVersionTable.h"
#include "support/CodeDecoders.h"

#include <gtest/gtest.h>
#include <qrencode.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <random>

namespace ql {
namespace {

struct CorpusText {
    std::string kind;
    QByteArray bytes;
};

// Characters per kind at version 40, by level L, M, Q, H.
constexpr int kDigitCapacity[4] = {7089, 5596, 3993, 3057};
constexpr int kAlphanumericCapacity[4] = {4296, 3391, 2420, 1852};
constexpr int kByteCapacity[4] = {2953, 2331, 1663, 1273};

const char kAlphanumerics[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
const char kLowerAndPunctuation[] = "abcdefghijklmnopqrstuvwxyz,;!?()[]{}<>=_#&@'\"~^|";
const char* const kUtf8Pieces[] = {"é", "ü", "ß", "Ω", "λ", "Ж", "東", "京", "€", "½", "😀", "ñ", "a", " ", "z", "7"};

std::vector<int> lengthsUpTo(int capacity)
{
    std::vector<int> lengths = {1, 2, 3, 5, 8, 13, 21, 40, 80, 150, 300, 600, 1200, capacity / 2, capacity - 1, capacity};
    std::erase_if(lengths, [capacity](int n) { return n < 1 || n > capacity; });
    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
    return lengths;
}

QByteArray fromPool(std::mt19937& random, const char* pool, size_t poolSize, int length)
{
    std::uniform_int_distribution<size_t> pick(0, poolSize - 1);
    QByteArray text;
    for (int i = 0; i < length; ++i)
        text.append(pool[pick(random)]);
    return text;
}

// At most `length` bytes of whole UTF-8 characters.
QByteArray utf8Text(std::mt19937& random, int length)
{
    std::uniform_int_distribution<size_t> pick(0, std::size(kUtf8Pieces) - 1);
    QByteArray text;
    while (text.size() < length) {
        QByteArray piece(kUtf8Pieces[pick(random)]);
        if (text.size() + piece.size() > length)
            piece = "u";
        text += piece;
    }
    return text;
}

// Runs of digits, capitals and other bytes, so that segments start and merge.
QByteArray mixedText(std::mt19937& random, int length)
{
    std::uniform_int_distribution<int> runLength(1, 24);
    std::uniform_int_distribution<int> kind(0, 2);
    QByteArray text;
    while (text.size() < length) {
        const int n = std::min<int>(runLength(random), length - static_cast<int>(text.size()));
        switch (kind(random)) {
        case 0: text += fromPool(random, "0123456789", 10, n); break;
        case 1: text += fromPool(random, kAlphanumerics, sizeof kAlphanumerics - 1, n); break;
        default: text += fromPool(random, kLowerAndPunctuation, sizeof kLowerAndPunctuation - 1, n); break;
        }
    }
    return text;
}

bool encodable(int level, const QByteArray& text)
{
    return QREncoder::encodeBytesWithECLevel(level, 0, text).dimension() > 0;
}

std::vector<CorpusText> corpusForLevel(int level)
{
    std::mt19937 random(20261206u + static_cast<unsigned>(level));
    std::vector<CorpusText> corpus;
    for (int n : lengthsUpTo(kDigitCapacity[level]))
        corpus.push_back({"numeric", fromPool(random, "0123456789", 10, n)});
    for (int n : lengthsUpTo(kAlphanumericCapacity[level]))
        corpus.push_back({"alphanumeric", fromPool(random, kAlphanumerics, sizeof kAlphanumerics - 1, n)});
    for (int n : lengthsUpTo(kByteCapacity[level]))
        corpus.push_back({"byte", fromPool(random, kLowerAndPunctuation, sizeof kLowerAndPunctuation - 1, n)});
    for (int n : lengthsUpTo(kByteCapacity[level]))
        corpus.push_back({"utf-8", utf8Text(random, n)});
    for (int n : lengthsUpTo(kByteCapacity[level])) {
        // Mixed text near the limit may need a little less room than bytes
        // would; shorten it until it fits.
        QByteArray text = mixedText(random, n);
        while (!encodable(level, text))
            text.chop(std::max<qsizetype>(1, text.size() / 50));
        corpus.push_back({"mixed", text});
    }
    return corpus;
}

struct QrInputDeleter {
    void operator()(QRinput* input) const { QRinput_free(input); }
};
struct QrCodeDeleter {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

// libqrencode's symbol for exactly our segments, version and level.
DataMatrix libqrencodeMatrix(const CQR_Encode& ours, const QByteArray& text)
{
    const std::unique_ptr<QRinput, QrInputDeleter> input(
        QRinput_new2(ours.version(), static_cast<QRecLevel>(ours.level())));
    if (!input)
        return DataMatrix(0);
    static constexpr QRencodeMode modes[3] = {QR_MODE_NUM, QR_MODE_AN, QR_MODE_8};
    int position = 0;
    for (const CQR_Encode::Segment& segment : ours.segments()) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.constData()) + position;
        if (QRinput_append(input.get(), modes[segment.mode], segment.length, bytes) != 0)
            return DataMatrix(0);
        position += segment.length;
    }
    const std::unique_ptr<QRcode, QrCodeDeleter> code(QRcode_encodeInput(input.get()));
    if (!code || code->version != ours.version())
        return DataMatrix(0);
    DataMatrix matrix(code->width);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x)
            matrix.set(code->data[y * code->width + x] & 1, x, y);
    }
    return matrix;
}

class QrCorpusTest : public ::testing::TestWithParam<int> {};

TEST_P(QrCorpusTest, MatchesLibqrencodeAndReadsBack)
{
    const int level = GetParam();
    const std::vector<CorpusText> corpus = corpusForLevel(level);
    ASSERT_GE(corpus.size(), 75u);
    int agreements = 0;
    int versions[41] = {};
    for (const CorpusText& entry : corpus) {
        SCOPED_TRACE(testing::Message() << entry.kind << " text of " << entry.bytes.size() << " bytes");
        auto ours = std::make_unique<CQR_Encode>();
        ASSERT_TRUE(ours->encodeData(level, 0, true, -1, entry.bytes.constData(), static_cast<int>(entry.bytes.size())));
        ++versions[ours->version()];

        const DataMatrix reference = libqrencodeMatrix(*ours, entry.bytes);
        ASSERT_EQ(reference.dimension(), ours->symbleSize());
        std::vector<int> matching;
        for (int mask = 0; mask < 8; ++mask) {
            if (QREncoder::encodeBytesWithECLevel(level, 0, entry.bytes, mask) == reference)
                matching.push_back(mask);
        }
        ASSERT_EQ(matching.size(), 1u);
        if (matching.front() == ours->maskingNo()) {
            ++agreements;
        } else {
            std::cout << "  " << entry.kind << " text of " << entry.bytes.size() << " bytes, version " << ours->version()
                      << ": our mask " << ours->maskingNo() << ", libqrencode's " << matching.front() << "\n";
        }

        const DataMatrix matrix = QREncoder::encodeBytesWithECLevel(level, 0, entry.bytes);
        const QImage image = testsupport::preparedForDecoding(
            QREncoder::renderDataMatrix(matrix, static_cast<int>(matrix.dimension()) * 4), 24);
        const auto zxing = testsupport::decodeWithZxing(image);
        ASSERT_TRUE(zxing.has_value()) << "ZXing";
        EXPECT_EQ(QByteArray::fromStdString(zxing->text), entry.bytes) << "ZXing";
        const auto zbar = testsupport::decodeWithZbar(image);
        ASSERT_TRUE(zbar.has_value()) << "zbar";
        EXPECT_EQ(QByteArray::fromStdString(zbar->text), entry.bytes) << "zbar";
    }
    const int largest = static_cast<int>(std::find_if(std::rbegin(versions), std::rend(versions), [](int n) { return n > 0; })
                                         - std::rbegin(versions));
    std::cout << "level " << "LMQH"[level] << ": " << corpus.size() << " symbols up to version " << 40 - largest
              << "; automatic mask agrees with libqrencode's on " << agreements << " of " << corpus.size() << "\n";
    EXPECT_TRUE(versions[40] > 0);
}

INSTANTIATE_TEST_SUITE_P(Levels, QrCorpusTest, ::testing::Values(0, 1, 2, 3),
                         [](const testing::TestParamInfo<int>& info) { return std::string(1, "LMQH"[info.param]); });

} // namespace
} // namespace ql
