// Pipes, sockets and links to them given as documents, standing in for
// devices too: they are told apart from missing files, never waited on, and
// a save through a link to one leaves it as it was.
#include "DocumentTestSupport.h"

#include "app/document/Document.h"
#include "support/SpecialFiles.h"

#include <QFileInfo>

using namespace ql;
using namespace std::chrono_literals;
using ql::testing::isFifo;
using ql::testing::makeFifo;
using ql::testing::makeSocket;
using ql::testing::returnsWithin;

using SpecialFileDocuments = ql::testing::DocumentFixture;

TEST_F(SpecialFileDocuments, AreRefusedAsNoRegularFilesWithoutWaiting)
{
    const QString pipe = path(QStringLiteral("pipe.qvleaf"));
    ASSERT_TRUE(makeFifo(pipe));
    ASSERT_TRUE(makeFifo(path(QStringLiteral("design.qvmobile"))));
    ASSERT_TRUE(makeSocket(path(QStringLiteral("socket.qvleaf"))));
    ASSERT_TRUE(QFile::link(pipe, path(QStringLiteral("link.qvleaf"))));
    for (const char* name : {"pipe.qvleaf", "design.qvmobile", "socket.qvleaf", "link.qvleaf"}) {
        SCOPED_TRACE(name);
        prompter.alerts.clear();
        Result<Document*> opened = Error {};
        const QString file = path(QString::fromLatin1(name));
        ASSERT_TRUE(returnsWithin(5s, [&] { opened = controller.openDocumentWithContentsOfFile(file); }, pipe));
        ASSERT_FALSE(opened.ok());
        EXPECT_EQ(opened.error().message,
                  QStringLiteral("The file “%1” is not a document Quiverleaf can open: it is not a regular file.")
                      .arg(QString::fromLatin1(name)));
        ASSERT_EQ(prompter.alerts.size(), 1);
        EXPECT_EQ(prompter.alerts[0].informativeText, opened.error().message);
    }
    EXPECT_TRUE(controller.documents().isEmpty());
    EXPECT_TRUE(isFifo(pipe));

    const Result<Document*> missing = controller.openDocumentWithContentsOfFile(path(QStringLiteral("gone.qvleaf")));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().message, QStringLiteral("The file “gone.qvleaf” does not exist."));
}

TEST_F(SpecialFileDocuments, ASaveThroughALinkToOneIsRefusedAndLeavesIt)
{
    const QString pipe = path(QStringLiteral("pipe"));
    const QString link = path(QStringLiteral("Flyer.qvleaf"));
    ASSERT_TRUE(makeFifo(pipe));
    ASSERT_TRUE(QFile::link(pipe, link));
    Document* document = controller.newDocument();
    const Status saved = controller.saveDocumentToFile(document, link);
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().message.contains(QStringLiteral("Flyer.qvleaf"))) << saved.error().message.toStdString();
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts[0].informativeText, saved.error().message);
    EXPECT_TRUE(isFifo(pipe));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), pipe);
    EXPECT_TRUE(document->filePath().isEmpty());
}
