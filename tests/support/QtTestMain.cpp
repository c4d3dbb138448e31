// Test main for suites that need Qt: an application object on the offscreen
// platform, isolated standard paths, then GoogleTest.
#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keeps settings, caches and documents of tests away from the user's own.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QuiverleafTests"));
    QApplication::setOrganizationName(QStringLiteral("Quiverleaf"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
