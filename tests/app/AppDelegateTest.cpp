// Start-up: the defaults come first, and a file that cannot be opened is
// reported without ending the program.
#include "document/DocumentTestSupport.h"

#include "app/AppDelegate.h"
#include "app/design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "util/ValueTransformer.h"

using namespace ql;

class StartUp : public ql::testing::DocumentFixture {
protected:
    void launch(const QStringList& paths) { AppDelegate(controller, helper).applicationDidFinishLaunching(paths); }

    ValueTransformerRegistry registry;
    ZVDesignHelper helper {defaults, registry, QStringLiteral("org.example.test")};
};

TEST_F(StartUp, ABadFileIsReportedAndANewDocumentKeepsTheProgramGoing)
{
    const QString bad = path(QStringLiteral("BAD.qvleaf"));
    ql::testing::writeFile(bad, "not a document at all");
    launch({bad});
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("loaded4"))) << "the defaults are registered first";
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts.first().messageText, QStringLiteral("The document “BAD.qvleaf” could not be opened."));
    ASSERT_EQ(controller.documents().size(), 1);
    EXPECT_TRUE(controller.documents().first()->filePath().isEmpty());

    // A good file beside a bad one opens alone.
    const QString good = path(QStringLiteral("good.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(controller.documents().first(), good));
    ASSERT_TRUE(controller.closeDocument(controller.documents().first()));
    launch({bad, good});
    EXPECT_EQ(prompter.alerts.size(), 2);
    ASSERT_EQ(controller.documents().size(), 1);
    EXPECT_TRUE(controller.documents().first()->filePath().endsWith(QStringLiteral("good.qvleaf")));
}
