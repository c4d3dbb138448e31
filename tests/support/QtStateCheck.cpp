#include "QtStateCheck.h"

#include "platform/runtime/Deferred.h"
#include "platform/runtime/UserDefaults.h"

#include <QApplication>
#include <QEvent>
#include <QStringList>


namespace ql::testing {

namespace {

QVariantMap storedDefaults()
{
    const UserDefaults& defaults = UserDefaults::standard();
    QVariantMap stored;
    for (const QString& key : defaults.storedKeys())
        stored.insert(key, defaults.objectForKey(key));
    return stored;
}

QString describe(const QWidget* window)
{
    return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(window->metaObject()->className()), window->windowTitle());
}

} // namespace

void QtStateCheck::OnTestStart(const ::testing::TestInfo&)
{
    m_pendingBefore = DeferredCalls::instance().pendingCount();
    m_storedBefore = storedDefaults();
    m_shownBefore.clear();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            m_shownBefore.append(window);
}

void QtStateCheck::closeWindowsLeftOpen()
{
    // Shared panels made on first use stay, hidden, for the program's life;
    // only windows still shown count, and tool tips, which go by themselves,
    // do not.
    QStringList open;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->windowType() == Qt::ToolTip || m_shownBefore.contains(window))
            continue;
        open << describe(window);
        // Hidden, not closed: closing a document's window would ask to save it.
        window->hide();
    }
    if (!open.isEmpty())
        ADD_FAILURE() << "The test left windows open: " << qPrintable(open.join(QStringLiteral(", ")));
}

void QtStateCheck::OnTestEnd(const ::testing::TestInfo&)
{
    // What the test let go of (closed documents and their windows) goes now,
    // with the calls it had deferred, rather than inside the next test.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    closeWindowsLeftOpen();
    const int pending = DeferredCalls::instance().pendingCount();
    if (pending > m_pendingBefore) {
        ADD_FAILURE() << "The test left " << pending - m_pendingBefore << " deferred calls behind";
        // Run later, they would act on what the test left, inside another test.
        DeferredCalls::instance().discardAll();
    }
    // Pages store the mode they are in as the user's choice, so a test that
    // makes a page changes the defaults: they are put back, not counted.
    const QVariantMap stored = storedDefaults();
    UserDefaults& defaults = UserDefaults::standard();
    for (const QString& key : stored.keys()) {
        if (!m_storedBefore.contains(key))
            defaults.removeObjectForKey(key);
    }
    for (auto it = m_storedBefore.constBegin(); it != m_storedBefore.constEnd(); ++it) {
        if (!stored.contains(it.key()) || stored.value(it.key()) != it.value())
            defaults.setObject(it.key(), it.value());
    }
}

} // namespace ql::testing
