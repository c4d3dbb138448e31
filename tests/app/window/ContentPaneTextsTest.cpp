// Every text of the content panes is shown whole at the default font and
// pane width: nothing is clipped by its own size or by what holds it.
#include "WindowTestSupport.h"

#include "panels/browsers/ZVClipArtContentViewController.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace ql::testing {
namespace {

QString shownText(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->currentText();
    return {};
}

// Whether the widget is smaller than its text needs, or reaches out of one
// of the widgets between it and `pane`, which would clip it.
bool cutOff(const QWidget* widget, const QWidget* pane)
{
    const auto* label = qobject_cast<const QLabel*>(widget);
    const QSize needed = label && label->wordWrap() ? QSize(0, label->heightForWidth(label->width()))
                                                   : widget->sizeHint();
    if (widget->width() < needed.width() || widget->height() < needed.height())
        return true;
    for (const QWidget* holder = widget->parentWidget(); holder; holder = holder->parentWidget()) {
        const QRect inHolder(widget->mapTo(holder, QPoint(0, 0)), widget->size());
        if (!holder->rect().contains(inHolder))
            return true;
        if (holder == pane)
            break;
    }
    return false;
}

QStringList cutTexts(const QWidget* pane)
{
    QStringList cut;
    for (const QWidget* widget : pane->findChildren<QWidget*>()) {
        const QString text = shownText(widget);
        if (!text.isEmpty() && widget->isVisible() && cutOff(widget, pane))
            cut.append(text);
    }
    return cut;
}

class ContentPaneTexts : public WindowFixture {};

TEST_F(ContentPaneTexts, EveryPaneShowsItsTextsWhole)
{
    const QWidget* pane = window->outlets().leftPane;
    for (int tab = 0; tab < 5; ++tab) {
        window->changeContentView(tab);
        QCoreApplication::processEvents();
        EXPECT_EQ(cutTexts(pane), QStringList()) << "tab " << tab;
    }

    // The clip-art pane's longest line: a search with no service set.
    window->changeContentView(3);
    ZVClipArtContentViewController* clipArt = window->controllers().clipArtContentVC;
    clipArt->searchField()->setText(QStringLiteral("lighthouse"));
    QTest::keyClick(clipArt->searchField(), Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_TRUE(clipArt->statusField()->text().startsWith(QStringLiteral("Clip-art search is off")));
    EXPECT_EQ(cutTexts(pane), QStringList());
}

} // namespace
} // namespace ql::testing
