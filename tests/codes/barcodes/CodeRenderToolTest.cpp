// The code-render tool that tests and people use from the command line.
#include "BarcodeTesting.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString errors;
    QImage image;
};

ToolRun codeRender(const QStringList& arguments)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("code.png");
    QProcess process;
    process.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/code-render"), QStringList(arguments).replaceInStrings("OUT", out));
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError()), QImage(out)};
}

} // namespace

TEST(CodeRenderTool, RendersKindsAndReportsRefusals)
{
    const ToolRun ean13 = codeRender({"ean13", "9780306406157", "OUT", "--scale", "2"});
    ASSERT_EQ(ean13.exitCode, 0) << ean13.errors.toStdString();
    EXPECT_EQ(ean13.image.size(), QSize(218, 144));
    EXPECT_EQ(barcodetest::decodedByBoth(ean13.image, 2).zxing, "9780306406157");

    const ToolRun supplemented = codeRender({"ean13", "9780306406157+12345", "OUT", "--scale", "2"});
    ASSERT_EQ(supplemented.exitCode, 0);
    const barcodetest::Readings read = barcodetest::decodedByBoth(supplemented.image, 2);
    EXPECT_EQ(read.zxing, "9780306406157 12345");
    EXPECT_EQ(read.zbar, "978030640615712345");

    const ToolRun isbn = codeRender({"isbn", "978-0-306-40615-7", "OUT", "--caption", "off"});
    ASSERT_EQ(isbn.exitCode, 0);
    EXPECT_EQ(isbn.image.size(), QSize(109, 72));

    const ToolRun refused = codeRender({"ean8", "96385075", "OUT"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errors.contains("Invalid barcode provided. Check number does not match")) << refused.errors.toStdString();
    EXPECT_TRUE(refused.image.isNull());

    const ToolRun code128 = codeRender({"code128", "Hello", "OUT", "--scale", "2"});
    ASSERT_EQ(code128.exitCode, 0);
    EXPECT_EQ(barcodetest::decodedByBoth(code128.image, 2).zxing, "Hello");
    EXPECT_EQ(code128.image.height(), 34);
    for (const QStringList& arguments : QList<QStringList>{
             {"code39", "CODE39"}, {"code39mod43", "CODE39"}, {"code39full", "abc"}, {"code39fullmod43", "abc"},
             {"code93", "TEST93"}, {"code11", "123-45"}, {"codabar", "A123B"}, {"itf", "12345"}, {"std2of5", "123"},
             {"msi", "1234567"}, {"postnet", "12345"}, {"pharmacode", "131070"}, {"fim", "A"}}) {
        const ToolRun run = codeRender(arguments + QStringList{"OUT"});
        EXPECT_EQ(run.exitCode, 0) << arguments.join(u' ').toStdString() << ": " << run.errors.toStdString();
        EXPECT_FALSE(run.image.isNull());
    }
    const ToolRun msi = codeRender({"msi", "6", "OUT", "--msi-scheme", "2"});
    EXPECT_EQ(msi.exitCode, 1);
    EXPECT_TRUE(msi.errors.contains("the modulo 11 check digit would be 10"));
    EXPECT_EQ(codeRender({"msi", "6", "OUT", "--msi-scheme", "1"}).exitCode, 0);
    EXPECT_EQ(codeRender({"msi", "6", "OUT", "--msi-scheme", "9"}).exitCode, 2);
    EXPECT_EQ(codeRender({"fim", "F", "OUT"}).exitCode, 1);

    EXPECT_EQ(codeRender({"ean13", "9780306406157+1", "OUT"}).exitCode, 1);
    EXPECT_EQ(codeRender({"ean13", "9780306406157", "OUT", "--scale", "zero"}).exitCode, 2);
    EXPECT_EQ(codeRender({"ean13", "9780306406157", "OUT", "--scale", "300"}).exitCode, 2);
    EXPECT_EQ(codeRender({"ean13", "9780306406157", "OUT", "--scale", "nan"}).exitCode, 2);
    EXPECT_EQ(codeRender({"nosuchkind", "1", "OUT"}).exitCode, 2);
}
