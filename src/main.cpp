#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quiverleaf"));
    QApplication::setOrganizationName(QStringLiteral("Quiverleaf"));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Quiverleaf"));
    window.resize(1200, 800);
    window.show();
    return QApplication::exec();
}
