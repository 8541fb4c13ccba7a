// The memory floor for comparison: a Qt 6 main window of the game's size
// with a menu, a status bar and nothing else, titled like the game so the
// same probe finds it. Built and measured by measure.sh.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Kelmar"));
    window.menuBar()->addMenu(QStringLiteral("&Datei"));
    window.statusBar()->showMessage(QStringLiteral("Zeit: "));
    auto* board = new QLabel;
    board->setFixedSize(640, 480);
    window.setCentralWidget(board);
    window.show();
    return QApplication::exec();
}
