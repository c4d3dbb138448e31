// The code browser in a real window: typing in the field previews the code
// (read back by ZXing), a text that does not fit says why and cannot be
// inserted, and "Insert" puts the code on the page as a picture.
#include "app/window/WindowTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVImageView.h"
#include "panels/browsers/ZVCodeContentViewController.h"
#include "../PanelTestSupport.h"
#include "support/CodeDecoders.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace ql;

namespace {

class CodeBrowser : public ql::testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        browser = window->controllers().codeContentVC;
        window->changeContentView(4);
        field = browser->codeField();
    }
    void type(CodeKind kind, const QString& text)
    {
        browser->codeKindPicker()->setCurrentIndex(int(kind));
        field->clear();
        QTest::keyClicks(field, text);
    }

    ZVCodeContentViewController* browser = nullptr;
    QLineEdit* field = nullptr;
};

} // namespace

TEST_F(CodeBrowser, ThePreviewFollowsTheTextAndInsertPutsItOnThePage)
{
    ASSERT_TRUE(field->isEnabled()) << "the field's command is there";
    EXPECT_EQ(browser->codeKindPicker()->count(), 4);
    type(CodeKind::QR, QStringLiteral("hello"));
    ASSERT_EQ(browser->preview().size(), QSize(1000, 1000));
    const auto read = testsupport::decodeWithZxing(testsupport::preparedForDecoding(browser->preview()));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->text, "hello");
    EXPECT_TRUE(browser->messageField()->text().isEmpty());
    EXPECT_FALSE(browser->previewView()->pixmap().isNull());
    ASSERT_TRUE(browser->insertButton()->isEnabled());

    QTest::mouseClick(browser->insertButton(), Qt::LeftButton);
    ASSERT_EQ(page->puttyViews().size(), 1);
    ZVPuttyView* element = page->puttyViews().first();
    EXPECT_EQ(element->contentViewType(), ZVPuttyView::ImageContent);
    EXPECT_TRUE(element->isActive());
    EXPECT_EQ(element->frame().center(), page->frame().center());

    type(CodeKind::EAN8, QStringLiteral("96385074"));
    const auto bars = testsupport::decodeLinearWithZxing(testsupport::preparedForDecoding(browser->preview()));
    ASSERT_TRUE(bars.has_value());
    EXPECT_EQ(bars->text, "96385074");
    QTest::mouseClick(browser->insertButton(), Qt::LeftButton);
    EXPECT_EQ(page->puttyViews().size(), 2);
}

TEST_F(CodeBrowser, TextThatDoesNotFitSaysWhyAndCannotBeInserted)
{
    type(CodeKind::EAN13, QStringLiteral("12345"));
    EXPECT_EQ(browser->messageField()->text(), QStringLiteral("EAN-13 requires content to be 13 digits"));
    EXPECT_TRUE(browser->preview().isNull());
    EXPECT_TRUE(browser->previewView()->pixmap().isNull());
    EXPECT_FALSE(browser->insertButton()->isEnabled());
    EXPECT_FALSE(browser->insertCode());

    // Past what the largest QR code holds.
    browser->codeKindPicker()->setCurrentIndex(int(CodeKind::QR));
    field->setText(QString(3000, QLatin1Char('x')));
    EXPECT_TRUE(browser->preview().isNull());
    EXPECT_FALSE(browser->messageField()->text().isEmpty());
    EXPECT_FALSE(browser->insertButton()->isEnabled());

    type(CodeKind::UPCE, QString());
    EXPECT_TRUE(browser->messageField()->text().isEmpty()) << "nothing typed, nothing to complain of";
    EXPECT_TRUE(page->puttyViews().isEmpty());
}
