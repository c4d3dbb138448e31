// Test main for suites that need Qt: a home folder of the run's own, an
// application object on the offscreen platform and isolated user defaults,
// then GoogleTest, with every test checked for leaving the process as it
// found it.
#include "EnvironmentCheck.h"
#include "QtStateCheck.h"
#include "TemporaryHome.h"

#include "platform/runtime/UserDefaults.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    // Settings, caches and thumbnails of tests and of the tools they start
    // stay out of the user's home.
    const ql::testing::TemporaryHome home;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QuiverleafTests"));
    QApplication::setOrganizationName(QStringLiteral("Quiverleaf"));
    // Each run has user defaults of its own: suites run side by side, and
    // one's settings (the display unit, guides) must not change another's.
    // Static, made before the store: the folder goes after the store does.
    static QTemporaryDir defaults;
    ql::UserDefaults::useStandardStoreAt(defaults.filePath(QStringLiteral("defaults.qldefaults")));
    ::testing::InitGoogleTest(&argc, argv);
    // Appended last, so that they report before the printer says how the test went.
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    listeners.Append(new ql::testing::EnvironmentCheck);
    listeners.Append(new ql::testing::QtStateCheck);
    return RUN_ALL_TESTS();
}
