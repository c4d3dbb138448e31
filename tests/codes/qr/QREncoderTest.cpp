#include "codes/qr/QREncoder.h"
#include "support/CodeDecoders.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ql {
namespace {

QColor pixel(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

bool isClearWhite(const QColor& c)
{
    return c.alpha() == 0;
}

bool isOpaqueBlack(const QColor& c)
{
    return c == QColor(0, 0, 0, 255);
}

bool isOpaqueWhite(const QColor& c)
{
    return c == QColor(255, 255, 255, 255);
}

// Every module's pixels against the matrix, and the margins transparent.
void expectRenderedMatrix(const QImage& image, const DataMatrix& matrix, int moduleSize, int margin)
{
    const int n = static_cast<int>(matrix.dimension());
    const int end = margin + n * moduleSize;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = pixel(image, x, y);
            if (x < margin || y < margin || x >= end || y >= end) {
                ASSERT_TRUE(isClearWhite(c)) << x << "," << y;
                continue;
            }
            const bool dark = matrix.valueAt((x - margin) / moduleSize, (y - margin) / moduleSize) != 0;
            ASSERT_TRUE(dark ? isOpaqueBlack(c) : isOpaqueWhite(c)) << x << "," << y;
        }
    }
}

QString toolPath()
{
    return QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/code-render");
}

int runTool(const QStringList& arguments)
{
    QProcess process;
    process.start(toolPath(), arguments);
    if (!process.waitForFinished(60000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

TEST(QREncoderTest, RendersHelloAtTheCodeBrowserSize)
{
    const DataMatrix matrix = QREncoder::encodeWithECLevel(0, -1, QStringLiteral("HELLO"));
    ASSERT_EQ(matrix.dimension(), 21);
    const QImage image = QREncoder::renderDataMatrix(matrix, 1000);
    ASSERT_EQ(image.size(), QSize(1000, 1000));
    // 47 pixels per module; 6 margin pixels at top and left, 7 at bottom and right.
    expectRenderedMatrix(image, matrix, 47, 6);
    EXPECT_TRUE(isClearWhite(pixel(image, 999, 999)));
    EXPECT_TRUE(isClearWhite(pixel(image, 992, 993)));

    const auto zxing = testsupport::decodeWithZxing(testsupport::preparedForDecoding(image));
    ASSERT_TRUE(zxing.has_value());
    EXPECT_EQ(zxing->text, "HELLO");
}

TEST(QREncoderTest, RenderingMarginsAndRefusals)
{
    const DataMatrix largest = QREncoder::encodeWithECLevel(0, 0, QString(7089, QLatin1Char('8')));
    ASSERT_EQ(largest.dimension(), 177);
    const QImage image = QREncoder::renderDataMatrix(largest, 1000);
    ASSERT_FALSE(image.isNull());
    expectRenderedMatrix(image, largest, 5, 57); // margins of 57 and 58 pixels
    EXPECT_TRUE(isOpaqueBlack(pixel(image, 941, 57)));
    EXPECT_TRUE(isClearWhite(pixel(image, 942, 57)));

    // An exact multiple leaves no margin at all.
    const DataMatrix small = QREncoder::encodeWithECLevel(2, 0, QStringLiteral("exact"));
    ASSERT_EQ(small.dimension(), 21);
    expectRenderedMatrix(QREncoder::renderDataMatrix(small, 210), small, 10, 0);
    expectRenderedMatrix(QREncoder::renderDataMatrix(small, 21), small, 1, 0);

    EXPECT_TRUE(QREncoder::renderDataMatrix(DataMatrix(0), 1000).isNull());
    EXPECT_TRUE(QREncoder::renderDataMatrix(largest, 0).isNull());
    EXPECT_TRUE(QREncoder::renderDataMatrix(largest, -5).isNull());
    EXPECT_TRUE(QREncoder::renderDataMatrix(largest, 10).isNull());
    EXPECT_TRUE(QREncoder::renderDataMatrix(largest, 176).isNull());
    // 4 x D x D must stay below 2^31.
    EXPECT_TRUE(QREncoder::renderDataMatrix(small, 23171).isNull());
    EXPECT_TRUE(QREncoder::renderDataMatrix(small, 2000000000).isNull());
}

TEST(QREncoderTest, MatrixTextAndByteStrings)
{
    DataMatrix m(2);
    m.set(1, 1, 0);
    EXPECT_EQ(m.description(), QStringLiteral("01\n00\n"));
    // Out of range reads as light and writes go nowhere.
    m.set(1, 2, 0);
    m.set(1, -1, 5);
    EXPECT_EQ(m.valueAt(2, 0), 0);
    EXPECT_EQ(m.description(), QStringLiteral("01\n00\n"));
    EXPECT_EQ(DataMatrix(-3).dimension(), 0);
    EXPECT_EQ(DataMatrix(0).description(), QString());

    // A text holding U+0000 is encoded up to that character.
    const QString withNul = QStringLiteral("AB") + QChar(0) + QStringLiteral("CD");
    EXPECT_EQ(QREncoder::encodeWithECLevel(1, 0, withNul), QREncoder::encodeWithECLevel(1, 0, QStringLiteral("AB")));
    EXPECT_EQ(QREncoder::encodeCStringWithECLevel(1, 0, "AB\0CD"), QREncoder::encodeWithECLevel(1, 0, QStringLiteral("AB")));
    // Whole byte strings keep their zero bytes.
    const QByteArray bytes("AB\0CD", 5);
    EXPECT_NE(QREncoder::encodeBytesWithECLevel(1, 0, bytes), QREncoder::encodeWithECLevel(1, 0, QStringLiteral("AB")));

    // UTF-8 text reaches the reader as it was typed.
    const QString text = QStringLiteral("Grüße, 東京 – ½ €");
    const DataMatrix utf8 = QREncoder::encodeWithECLevel(0, 0, text);
    const auto decoded = testsupport::decodeWithZbar(
        testsupport::preparedForDecoding(QREncoder::renderDataMatrix(utf8, static_cast<int>(utf8.dimension()) * 8)));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(QByteArray::fromStdString(decoded->text), text.toUtf8());
}

TEST(QREncoderTest, BadInputFailsCleanly)
{
    EXPECT_EQ(QREncoder::encodeWithECLevel(0, 0, QString()).dimension(), 0);
    EXPECT_EQ(QREncoder::encodeCStringWithECLevel(0, 0, nullptr).dimension(), 0);
    EXPECT_EQ(QREncoder::encodeBytesWithECLevel(0, 0, QByteArray()).dimension(), 0);
    EXPECT_EQ(QREncoder::encodeWithECLevel(0, 0, QString(7090, QLatin1Char('1'))).dimension(), 0);
    EXPECT_EQ(QREncoder::encodeWithECLevel(0, 0, QString(2954, QLatin1Char('x'))).dimension(), 0);
    EXPECT_EQ(QREncoder::encodeWithECLevel(3, 0, QString(1000000, QLatin1Char('x'))).dimension(), 0);
    EXPECT_EQ(QREncoder::encodeBytesWithECLevel(0, 0, QByteArray(1000000, '\0')).dimension(), 0);
    EXPECT_EQ(QREncoder::encodeWithECLevel(0, 41, QStringLiteral("1")).dimension(), 0);
    EXPECT_EQ(QREncoder::encodeWithECLevel(7, 0, QStringLiteral("1")).dimension(), 0);
    EXPECT_EQ(QREncoder::encodeWithECLevel(0, 0, QStringLiteral("1"), 8).dimension(), 0);
    EXPECT_EQ(QREncoder::encodeWithECLevel(0, 0, QStringLiteral("1"), -2).dimension(), 0);
    // A fixed version grows when the text needs more room.
    EXPECT_EQ(QREncoder::encodeWithECLevel(0, 1, QString(42, QLatin1Char('1'))).dimension(), 25);
    EXPECT_EQ(QREncoder::encodeWithECLevel(0, 3, QStringLiteral("1")).dimension(), 29);
}

TEST(QREncoderTest, EncryptedVariantCarriesTheWholeCiphertext)
{
    const QString passphrase32(32, QLatin1Char('k'));
    const Result<QByteArray> encrypted = QREncoder::aesEncryptString(QStringLiteral("Grüße"), passphrase32);
    ASSERT_TRUE(encrypted.ok());
    EXPECT_EQ(encrypted->size(), 16);
    const Result<QString> decrypted = QREncoder::aesDecryptString(*encrypted, passphrase32);
    ASSERT_TRUE(decrypted.ok());
    EXPECT_EQ(*decrypted, QStringLiteral("Grüße"));

    // The openssl tool agrees on key, IV and padding.
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("enc"), QStringLiteral("-aes-256-cbc"), QStringLiteral("-nosalt"), QStringLiteral("-K"),
                   QString::fromLatin1(QByteArray("secret").append(26, '\0').toHex()), QStringLiteral("-iv"),
                   QString(32, QLatin1Char('0'))});
    ASSERT_TRUE(openssl.waitForStarted());
    openssl.write("Hello, world");
    openssl.closeWriteChannel();
    ASSERT_TRUE(openssl.waitForFinished());
    EXPECT_EQ(openssl.readAllStandardOutput(), *QREncoder::aesEncryptString(QStringLiteral("Hello, world"), QStringLiteral("secret")));

    const Result<QByteArray> tooLong = QREncoder::aesEncryptString(QStringLiteral("x"), passphrase32 + QLatin1Char('k'));
    ASSERT_FALSE(tooLong.ok());
    EXPECT_EQ(tooLong.error().domain, QStringLiteral("invalid passphrase exception"));
    EXPECT_EQ(tooLong.error().message, QStringLiteral("passphrase too long: 33"));
    EXPECT_FALSE(QREncoder::aesDecryptString(*encrypted, passphrase32 + QLatin1Char('k')).ok());
    EXPECT_FALSE(QREncoder::aesEncryptString(QStringLiteral("x"), QStringLiteral("pässword")).ok());
    EXPECT_FALSE(QREncoder::encodeWithECLevel(0, 0, QStringLiteral("x"), passphrase32 + QLatin1Char('k')).ok());
    // Wrong key: the padding does not check out.
    EXPECT_FALSE(QREncoder::aesDecryptString(*encrypted, QStringLiteral("other")).ok());
    EXPECT_FALSE(QREncoder::aesDecryptString(QByteArray("short"), passphrase32).ok());

    // A ciphertext with zero bytes inside still reaches the reader whole.
    QString plain;
    QByteArray cipher;
    for (int i = 0; i < 10000 && !cipher.contains('\0'); ++i) {
        plain = QStringLiteral("message %1").arg(i);
        cipher = *QREncoder::aesEncryptString(plain, QStringLiteral("secret"));
    }
    ASSERT_TRUE(cipher.contains('\0'));
    const Result<DataMatrix> matrix = QREncoder::encodeWithECLevel(1, 0, plain, QStringLiteral("secret"));
    ASSERT_TRUE(matrix.ok());
    const QImage image = QREncoder::renderDataMatrix(*matrix, static_cast<int>(matrix->dimension()) * 6);
    const auto decoded = testsupport::decodeWithZbar(testsupport::preparedForDecoding(image));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(QByteArray::fromStdString(decoded->text), cipher);
}

TEST(QREncoderTest, CodeRenderToolWritesImagesAndMatrices)
{
    ASSERT_TRUE(QFile::exists(toolPath())) << "build the code-render tool first";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString matrixFile = dir.filePath(QStringLiteral("m.txt"));
    ASSERT_EQ(runTool({QStringLiteral("qr-matrix"), QStringLiteral("01234567"), matrixFile, QStringLiteral("--level"),
                       QStringLiteral("M"), QStringLiteral("--version"), QStringLiteral("1"), QStringLiteral("--mask"),
                       QStringLiteral("3")}),
              0);
    QFile file(matrixFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(file.readAll()), QREncoder::encodeWithECLevel(1, 1, QStringLiteral("01234567"), 3).description());

    const QString png = dir.filePath(QStringLiteral("q.png"));
    ASSERT_EQ(runTool({QStringLiteral("qr"), QStringLiteral("HELLO"), png}), 0);
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(1000, 1000));
    const auto decoded = testsupport::decodeWithZbar(testsupport::preparedForDecoding(image));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->text, "HELLO");

    const QString digits(7089, QLatin1Char('4'));
    EXPECT_EQ(runTool({QStringLiteral("qr"), digits, png, QStringLiteral("--size"), QStringLiteral("10")}), 1);
    EXPECT_EQ(runTool({QStringLiteral("qr"), QStringLiteral("x"), png, QStringLiteral("--size"), QStringLiteral("0")}), 1);
    EXPECT_EQ(runTool({QStringLiteral("qr"), QStringLiteral("x"), png, QStringLiteral("--version"), QStringLiteral("41")}), 1);
    EXPECT_EQ(runTool({QStringLiteral("qr-matrix"), digits + QLatin1Char('4'), matrixFile}), 1);
    EXPECT_EQ(runTool({QStringLiteral("qr"), QStringLiteral("x"), png, QStringLiteral("--level"), QStringLiteral("7")}), 2);
    EXPECT_EQ(runTool({QStringLiteral("qr"), QStringLiteral("x"), png, QStringLiteral("--mask"), QStringLiteral("two")}), 2);
}

} // namespace ql
