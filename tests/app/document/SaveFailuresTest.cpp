// Saves that really fail: past the file-size limit, in this process (with
// the limit's signal ignored, as the program ignores it) and in a child that
// saves through document-save-loop; past the largest file the program opens;
// out of memory. The user learns why, the document stays open and edited,
// and the file on disk stays whole.
#include "DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/document/DocumentBudget.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "platform/runtime/AtomicFileWriter.h"
#include "support/AddressSpace.h"

#include <QDir>
#include <QLocale>
#include <QProcess>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>

using namespace ql;
using ql::testing::fileContents;
using ql::testing::writeFile;

namespace {

const QString kSaveLoop = QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/document-save-loop");
const QString kTooLarge = QStringLiteral("The file is larger than this system allows.");

// This process may write files of at most `bytes` while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit small = m_saved;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved {};
    void (*m_handler)(int) = SIG_DFL;
};

// A picture of `bytes` the program cannot decode, kept as it is: memory
// never written to holds no pages, so even a gigabyte costs nothing here.
ZVPuttyView* addUntouchedPicture(Document& document, qsizetype bytes)
{
    const Image picture(ImageRep::undecodable(QByteArray(bytes, Qt::Uninitialized), QSizeF(100, 100)));
    ZVPuttyView* element = ZVPuttyView::initWithImage(picture).release();
    document.contentPages().first()->addPuttyView(element);
    document.updateChangeCountDone();
    return element;
}

} // namespace

using SaveFailures = ql::testing::DocumentFixture;

TEST_F(SaveFailures, PastTheFileSizeLimitTheUserLearnsWhyAndNothingIsLost)
{
    controller.setWindowFactory(nullptr);
    Document* document = controller.newDocument();
    const QString file = path(QStringLiteral("limited.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, file));
    const QByteArray before = fileContents(file);
    document->setNotes(AttributedString(QString(100000, QLatin1Char('x'))));
    document->updateChangeCountDone();
    {
        const FileSizeLimit limit(rlim_t(before.size()) + 4096);
        EXPECT_FALSE(controller.saveDocument(document));
    }
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts[0].messageText, QStringLiteral("The document “limited” could not be saved."));
    EXPECT_EQ(prompter.alerts[0].informativeText,
              QStringLiteral("The file “limited.qvleaf” could not be written. ") + kTooLarge);
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(controller.documents().contains(document));
    EXPECT_EQ(fileContents(file), before);
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("limited*")}, QDir::Files | QDir::Hidden),
              QStringList {QStringLiteral("limited.qvleaf")})
        << "the half-written copy is gone";
    ASSERT_TRUE(controller.saveDocument(document)) << "without the limit it saves";

    // A program that saves is not killed by the limit: it says why and goes on.
    const QString other = path(QStringLiteral("other.qvleaf"));
    writeFile(other, "the last good version");
    QProcess saver;
    saver.setChildProcessModifier([] {
        const rlimit small {65536, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &small);
    });
    saver.start(kSaveLoop, {other, QStringLiteral("--once")});
    ASSERT_TRUE(saver.waitForFinished(60000));
    EXPECT_EQ(saver.exitStatus(), QProcess::NormalExit) << "no SIGXFSZ";
    EXPECT_EQ(saver.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(saver.readAllStandardError()).contains(kTooLarge));
    EXPECT_EQ(fileContents(other), QByteArray("the last good version"));

    // A cause that cannot be brought about here is named as clearly.
    EXPECT_EQ(fileSystemErrorText(ENOSPC), QStringLiteral("The disk is full."));
}

TEST_F(SaveFailures, ASaveThatWouldNotOpenAgainOrThatRunsOutOfMemoryIsRefusedAndNothingIsLost)
{
    controller.setWindowFactory(nullptr);
    Document* document = controller.newDocument();
    document->showFirstPage();
    const QString file = path(QStringLiteral("large.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, file));
    const QByteArray before = fileContents(file);
    const auto refusedWith = [&](const QString& why) {
        ASSERT_EQ(prompter.alerts.size(), 1);
        EXPECT_EQ(prompter.alerts[0].messageText, QStringLiteral("The document “large” could not be saved."));
        EXPECT_EQ(prompter.alerts[0].informativeText, why);
        EXPECT_TRUE(document->isDocumentEdited());
        EXPECT_TRUE(controller.documents().contains(document));
        EXPECT_EQ(document->contentPages().first()->puttyViews().size(), 1);
        EXPECT_EQ(fileContents(file), before);
        prompter.alerts.clear();
    };

    // A document as large as the largest file opened, and its archive's own
    // few bytes more: refused, saying by how much.
    ZVPuttyView* picture = addUntouchedPicture(*document, DocumentBudget::kMaxBytes);
    EXPECT_FALSE(controller.saveDocument(document));
    const QLocale locale;
    refusedWith(QStringLiteral("It would take %1 MB, and no file of more than %2 MB can be opened.")
                    .arg(locale.toString(1025), locale.toString(1024)));
    document->contentPages().first()->deletePuttyView(picture);

#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer takes its memory out of the address-space limit";
#endif
    // Memory running out on the way: said, not an abort.
    addUntouchedPicture(*document, qsizetype(256) << 20);
    {
        const ql::testing::AddressSpaceLimit limit(qsizetype(64) << 20);
        EXPECT_FALSE(controller.saveDocument(document));
    }
    refusedWith(QStringLiteral("There is not enough memory to save it. Close other documents or programs and save "
                               "again."));
}
