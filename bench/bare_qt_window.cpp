// The floor for Tramsel's start-up: a bare Qt main window with a menu, a
// toolbar, a text edit and a status bar, and nothing else.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare V. 2.0"));
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"), &window,
                                                                    &QWidget::close);
    window.addToolBar(QStringLiteral("Tools"))->addAction(QStringLiteral("Find"));
    window.setCentralWidget(new QPlainTextEdit);
    window.statusBar()->showMessage(QStringLiteral("Status"));
    window.resize(314, 310);
    window.show();
    return QApplication::exec();
}
