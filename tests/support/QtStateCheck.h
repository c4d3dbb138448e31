// Fails a test that leaves calls deferred or the standard user defaults
// changed, and puts them back: in a suite run as one process a call left
// behind runs inside a later test, and a stored choice changes what it sees.
#pragma once

#include <QVariantMap>
#include <gtest/gtest.h>

namespace ql::testing {

class QtStateCheck : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override;
    void OnTestEnd(const ::testing::TestInfo&) override;

private:
    int m_pendingBefore = 0;
    QVariantMap m_storedBefore;
    QVariantMap m_registeredBefore;
};

} // namespace ql::testing
