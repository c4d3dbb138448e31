// Fails a test that leaves calls deferred, windows open or the standard user
// defaults changed, and puts them back: in a suite run as one process a call
// left behind runs inside a later test, a window left open becomes the window
// a later test's alert or panel attaches to, and a stored choice changes
// what it sees.
#pragma once

#include <QList>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>
#include <gtest/gtest.h>

namespace ql::testing {

class QtStateCheck : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override;
    void OnTestEnd(const ::testing::TestInfo&) override;

private:
    void closeWindowsLeftOpen();

    int m_pendingBefore = 0;
    QList<QPointer<QWidget>> m_shownBefore;
    QVariantMap m_storedBefore;
    QVariantMap m_registeredBefore;
};

} // namespace ql::testing
