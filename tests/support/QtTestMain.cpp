// Test main for suites that need Qt: an application object on the offscreen
// platform, isolated standard paths and user defaults, then GoogleTest, with
// every test checked for leaving the process as it found it.
#include "EnvironmentCheck.h"
#include "QtStateCheck.h"

#include "platform/runtime/UserDefaults.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keeps settings, caches and documents of tests away from the user's own.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QuiverleafTests"));
    QApplication::setOrganizationName(QStringLiteral("Quiverleaf"));
    // Each run has user defaults of its own: suites run side by side, and
    // one's settings (the display unit, guides) must not change another's.
    QTemporaryDir defaults;
    ql::UserDefaults::useStandardStoreAt(defaults.filePath(QStringLiteral("defaults.qldefaults")));
    ::testing::InitGoogleTest(&argc, argv);
    // Appended last, so that they report before the printer says how the test went.
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    listeners.Append(new ql::testing::EnvironmentCheck);
    listeners.Append(new ql::testing::QtStateCheck);
    return RUN_ALL_TESTS();
}
