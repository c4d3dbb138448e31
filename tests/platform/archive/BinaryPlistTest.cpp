#include "ArchiveTestSupport.h"
#include "platform/archive/ArchiveError.h"
#include "platform/archive/BinaryPlistDocument.h"
#include "platform/archive/BinaryPlistReader.h"
#include "platform/archive/BinaryPlistWriter.h"

#include <QJsonArray>

using namespace ql;

namespace {

// A binary plist assembled by hand from raw objects (2-byte offsets, 1-byte
// references unless told otherwise), for inputs no writer would produce.
QByteArray rawPlist(const QList<QByteArray>& objects, quint64 top = 0, int refSize = 1, quint64 countOverride = 0)
{
    QByteArray out("bplist00");
    QList<qsizetype> offsets;
    for (const QByteArray& o : objects) {
        offsets.append(out.size());
        out.append(o);
    }
    const qsizetype table = out.size();
    for (qsizetype o : offsets) {
        out.append(char(o >> 8));
        out.append(char(o & 0xFF));
    }
    QByteArray trailer(32, '\0');
    trailer[6] = 2;
    trailer[7] = char(refSize);
    const quint64 count = countOverride ? countOverride : quint64(objects.size());
    for (int i = 0; i < 8; ++i) {
        trailer[8 + i] = char(count >> (56 - 8 * i));
        trailer[16 + i] = char(top >> (56 - 8 * i));
        trailer[24 + i] = char(quint64(table) >> (56 - 8 * i));
    }
    return out + trailer;
}

ArchiveErrorCode codeOf(const Result<PlistValue>& r)
{
    return r.ok() ? ArchiveErrorCode(0) : ArchiveErrorCode(r.error().code);
}

} // namespace

TEST(BinaryPlistTest, WritesEveryKindThatPlistlibAndWeReadBack)
{
    const PlistValue shared = PlistValue::array({PlistValue::string(QStringLiteral("shared"))});
    const PlistValue root = PlistValue::dictionary({
        {QStringLiteral("small"), PlistValue::integer(7)},
        {QStringLiteral("wide"), PlistValue::integer(70000)},
        {QStringLiteral("negative"), PlistValue::integer(-3)},
        {QStringLiteral("huge"), PlistValue::unsignedInteger(18446744073709551615ull)},
        {QStringLiteral("double"), PlistValue::real(0.1)},
        {QStringLiteral("float"), PlistValue::float32(36.123456789f)},
        {QStringLiteral("yes"), PlistValue::boolean(true)},
        {QStringLiteral("date"), PlistValue::date(86400.0)},
        {QStringLiteral("bytes"), PlistValue::data(QByteArray(300, 'x'))},
        {QStringLiteral("ascii"), PlistValue::string(QStringLiteral("a string longer than fifteen"))},
        {QStringLiteral("unicode"), PlistValue::string(QStringLiteral("Grüße ✓"))},
        {QStringLiteral("uid"), PlistValue::uid(300)},
        {QStringLiteral("one"), shared},
        {QStringLiteral("two"), shared},
    });
    const QByteArray data = writeBinaryPlist(root);
    const Result<PlistValue> back = readBinaryPlist(data);
    ASSERT_TRUE(back.ok()) << back.error().describe().toStdString();
    EXPECT_EQ(*back, root);
    EXPECT_TRUE(back->find(QStringLiteral("float"))->isFloat32());
    EXPECT_TRUE(back->find(QStringLiteral("huge"))->isBigUnsigned());
    // The shared container is one object in the file, so one after reading.
    EXPECT_EQ(back->find(QStringLiteral("one"))->containerIdentity(), back->find(QStringLiteral("two"))->containerIdentity());

    const QJsonObject seen = test::describe(data);
    EXPECT_EQ(seen[QStringLiteral("small")].toObject()[QStringLiteral("int")].toInt(), 7);
    EXPECT_EQ(seen[QStringLiteral("negative")].toObject()[QStringLiteral("int")].toInt(), -3);
    EXPECT_DOUBLE_EQ(seen[QStringLiteral("float")].toObject()[QStringLiteral("real4")].toDouble(), 36.12345504760742);
    EXPECT_DOUBLE_EQ(seen[QStringLiteral("double")].toObject()[QStringLiteral("real8")].toDouble(), 0.1);
    EXPECT_EQ(seen[QStringLiteral("unicode")].toString(), QStringLiteral("Grüße ✓"));
    EXPECT_EQ(seen[QStringLiteral("uid")].toObject()[QStringLiteral("uid")].toInt(), 300);
}

TEST(BinaryPlistTest, HalvesOfCharactersNeverReachAFileOrAText)
{
    // Written: plistlib reads the file, the halves replaced, the pair kept.
    const QString torn = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00)
                         + QStringLiteral("\U0001F600");
    const QString mended = QStringLiteral("a\uFFFDb\uFFFD\U0001F600");
    const QJsonObject seen =
        test::describe(writeBinaryPlist(PlistValue::dictionary({{QStringLiteral("text"), PlistValue::string(torn)}})));
    EXPECT_EQ(seen[QStringLiteral("text")].toString(), mended);

    // Read: a file holding them gives the text with the halves replaced.
    const QByteArray units("\x00" "a" "\xd8\x00" "\x00" "b" "\xdc\x00", 8);
    const Result<PlistValue> read = readBinaryPlist(rawPlist({QByteArray("\x64", 1) + units}));
    ASSERT_TRUE(read.ok()) << read.error().describe().toStdString();
    EXPECT_EQ(read->toString(), QStringLiteral("a\uFFFDb\uFFFD"));
}

TEST(BinaryPlistTest, ReadsWhatPlistlibWrites)
{
    const Result<PlistValue> plist = readBinaryPlist(test::pythonFixture(QStringLiteral("document")));
    ASSERT_TRUE(plist.ok()) << plist.error().describe().toStdString();
    const PlistValue::Array& objects = plist->find(QStringLiteral("$objects"))->toArray();
    bool sawHuge = false;
    bool sawNegative = false;
    for (const PlistValue& o : objects) {
        sawHuge |= o.isBigUnsigned() && o.toUnsigned() == 18446744073709551615ull;
        sawNegative |= o.type() == PlistValue::Type::Integer && o.toInteger() == -5;
    }
    EXPECT_TRUE(sawHuge);
    EXPECT_TRUE(sawNegative);
}

TEST(BinaryPlistTest, RefusesDamagedFiles)
{
    const QByteArray good = writeBinaryPlist(PlistValue::array({PlistValue::string(QStringLiteral("abc")), PlistValue::integer(5)}));
    ASSERT_TRUE(readBinaryPlist(good).ok());

    // Every truncation fails cleanly.
    for (qsizetype n = 0; n < good.size(); ++n)
        EXPECT_FALSE(readBinaryPlist(good.left(n)).ok()) << n;
    EXPECT_EQ(codeOf(readBinaryPlist(QByteArray("bplist01") + good.mid(8))), ArchiveErrorCode::NotAPropertyList);

    const QByteArray array2 = QByteArray("\xA2\x01\x02", 3);
    const QByteArray one = QByteArray("\x10\x01", 2);
    EXPECT_TRUE(readBinaryPlist(rawPlist({array2, one, one})).ok());
    // A reference beyond the object count.
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist({QByteArray("\xA1\x09", 2), one}))), ArchiveErrorCode::Damaged);
    // An array that contains itself, directly and through another.
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist({QByteArray("\xA1\x00", 2)}))), ArchiveErrorCode::Cycle);
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist({QByteArray("\xA1\x01", 2), QByteArray("\xA1\x00", 2)}))), ArchiveErrorCode::Cycle);
    // An object count far beyond what the offset table holds.
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist({one}, 0, 1, 1ull << 40))), ArchiveErrorCode::TooLarge);
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist({one}, 0, 1, 1000))), ArchiveErrorCode::Damaged);
    // A top object beyond the count; a reference size of zero.
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist({one}, 5))), ArchiveErrorCode::Damaged);
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist({one}, 0, 0))), ArchiveErrorCode::Damaged);
    // An absurd length: a string claiming 2^62 characters, an array 2^40 entries.
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist({QByteArray("\x6F\x13\x40\x00\x00\x00\x00\x00\x00\x00", 10)}))), ArchiveErrorCode::Damaged);
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist({QByteArray("\xAF\x13\x00\x00\x01\x00\x00\x00\x00\x00", 10)}))), ArchiveErrorCode::TooLarge);
    // A dictionary whose key is not a string; a 128-bit integer beyond 64 bits; an unknown marker.
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist({QByteArray("\xD1\x01\x01", 3), one}))), ArchiveErrorCode::Damaged);
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist({QByteArray("\x14\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00", 17)}))), ArchiveErrorCode::Damaged);
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist({QByteArray("\x9F", 1)}))), ArchiveErrorCode::Damaged);

    // Deep nesting stops at the depth limit instead of exhausting the stack.
    QList<QByteArray> chain;
    for (int i = 0; i < 250; ++i)
        chain.append(i + 1 < 250 ? QByteArray("\xA1") + char(i + 1) : one);
    EXPECT_EQ(codeOf(readBinaryPlist(rawPlist(chain))), ArchiveErrorCode::TooDeep);
    ArchiveLimits roomy;
    roomy.maxDepth = 300;
    EXPECT_TRUE(readBinaryPlist(rawPlist(chain), roomy).ok());

    ArchiveLimits small;
    small.maxBytes = 16;
    EXPECT_EQ(codeOf(readBinaryPlist(good, small)), ArchiveErrorCode::TooLarge);
}

// A dictionary may list a key twice (here "a" once in ASCII, once in UTF-16):
// its last entry answers, whatever order keys are looked up in.
TEST(BinaryPlistTest, RepeatedKeysAnswerTheirLastEntry)
{
    const QByteArray data = rawPlist({QByteArray("\xD3\x01\x02\x03\x04\x05\x06", 7), QByteArray("\x51" "a"),
                                      QByteArray("\x51" "b"), QByteArray("\x61\x00" "a", 3), QByteArray("\x10\x01", 2),
                                      QByteArray("\x10\x02", 2), QByteArray("\x10\x03", 2)});
    const Result<PlistValue> tree = readBinaryPlist(data);
    ASSERT_TRUE(tree.ok());
    EXPECT_EQ(tree->toDictionary().size(), 2u) << "the key is listed once";
    ASSERT_TRUE(tree->find(QStringLiteral("a")));
    EXPECT_EQ(tree->find(QStringLiteral("a"))->toInteger(), 3);
    EXPECT_EQ(tree->find(QStringLiteral("b"))->toInteger(), 2);

    const Result<BinaryPlistDocument> doc = BinaryPlistDocument::open(data);
    ASSERT_TRUE(doc.ok());
    const Result<BinaryPlistDocument::Object> top = doc->object(doc->top());
    ASSERT_TRUE(top.ok());
    EXPECT_TRUE(*doc->repeatsKeys(*top));
    // One cursor, keys in writing order and out of it: every look-up of "a"
    // answers object 6.
    BinaryPlistDocument::KeyCursor cursor;
    for (const char* key : {"a", "b", "a", "a", "b"}) {
        const auto found = doc->find(*top, QString::fromLatin1(key), cursor);
        ASSERT_TRUE(found.ok() && found->has_value()) << key;
        EXPECT_EQ(**found, key[0] == 'a' ? 6u : 5u) << key;
    }
    BinaryPlistDocument::KeyCursor fresh;
    EXPECT_FALSE(doc->find(*top, QStringLiteral("c"), fresh)->has_value());

    // Distinct keys stay on the quick path.
    const QByteArray distinct = rawPlist({QByteArray("\xD2\x01\x02\x03\x04", 5), QByteArray("\x51" "a"),
                                          QByteArray("\x51" "b"), QByteArray("\x10\x01", 2), QByteArray("\x10\x02", 2)});
    const Result<BinaryPlistDocument> plain = BinaryPlistDocument::open(distinct);
    EXPECT_FALSE(*plain->repeatsKeys(*plain->object(plain->top())));
}

// Look-ups remember key texts by the address of the string asked with. Keys
// asked with fresh strings each time (addresses come and go), with kept ones
// and with literals, across many dictionaries, answer exactly as the keys say.
TEST(BinaryPlistTest, KeysAskedWithAnyStringsAnswerTheirOwnEntries)
{
    constexpr int kDictionaries = 300;
    constexpr int kKeys = 40;
    const auto has = [](int d, int k) { return (d * 7 + k * 3) % 5 != 0; };
    PlistValue::Array dictionaries;
    for (int d = 0; d < kDictionaries; ++d) {
        PlistValue::Dictionary entries;
        for (int k = 0; k < kKeys; ++k) {
            if (has(d, k))
                entries.emplace_back(QStringLiteral("key %1").arg(k), PlistValue::integer(d * 1000 + k));
        }
        dictionaries.push_back(PlistValue::dictionary(std::move(entries)));
    }
    const Result<BinaryPlistDocument> doc = BinaryPlistDocument::open(writeBinaryPlist(PlistValue::array(std::move(dictionaries))));
    ASSERT_TRUE(doc.ok());
    const BinaryPlistDocument::Object top = *doc->object(doc->top());
    QStringList kept;
    for (int k = 0; k <= kKeys; ++k)
        kept.append(QStringLiteral("key %1").arg(k));
    for (int d = 0; d < kDictionaries; ++d) {
        const BinaryPlistDocument::Object dictionary = *doc->object(*doc->reference(top, std::uint64_t(d)));
        BinaryPlistDocument::KeyCursor cursor;
        for (int step = 0; step < 3 * (kKeys + 1); ++step) {
            const int k = (step * 17 + d) % (kKeys + 1);
            const QString fresh = QStringLiteral("key %1").arg(k);
            const QString& key = step % 3 == 0 ? fresh : step % 3 == 1 ? kept[k] : (k == 3 ? QStringLiteral("key 3") : fresh);
            const auto found = doc->find(dictionary, key, cursor);
            ASSERT_TRUE(found.ok());
            ASSERT_EQ(found->has_value(), k < kKeys && has(d, k)) << d << " " << k;
            if (found->has_value()) {
                EXPECT_EQ(doc->object(**found)->integer(), d * 1000 + k) << d << " " << k;
            }
        }
    }
}

// Large data read more than once comes back whole and never as another
// object's bytes, whatever the order of reading.
TEST(BinaryPlistTest, LargeDataReadAgainIsItsOwn)
{
    QList<QByteArray> blobs;
    for (const int size : {5000, 5000, 70000, 100})
        blobs.append(QByteArray(size, char('a' + blobs.size())));
    PlistValue::Array items;
    for (const int i : {0, 1, 2, 3, 0, 2, 1})
        items.push_back(PlistValue::data(blobs[i]));
    const Result<BinaryPlistDocument> doc = BinaryPlistDocument::open(writeBinaryPlist(PlistValue::array(std::move(items))));
    ASSERT_TRUE(doc.ok());
    const BinaryPlistDocument::Object top = *doc->object(doc->top());
    const int order[] = {0, 1, 2, 3, 0, 2, 1};
    for (int round = 0; round < 2; ++round) {
        for (std::uint64_t at = 0; at < top.count; ++at) {
            QByteArray bytes = doc->data(*doc->object(*doc->reference(top, at)));
            EXPECT_EQ(bytes, blobs[order[at]]) << at;
            bytes.fill('z'); // a reader's own changes stay its own
        }
    }
}
