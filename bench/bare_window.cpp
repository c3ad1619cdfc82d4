// The reference for the start-up benchmark: a bare Qt window of the same
// kind as the program's (a menu bar and three tabs), nothing behind it.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QTabWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Bare");
    for (const char* menu : {"&File", "&Control", "&Options", "&Help"}) {
        QMenu* entries = window.menuBar()->addMenu(menu);
        entries->addAction("Item one");
        entries->addAction("Item two");
    }
    auto* tabs = new QTabWidget(&window);
    for (const char* tab : {"Radio", "Timer", "Archive"}) {
        tabs->addTab(new QLabel(tab), tab);
    }
    window.setCentralWidget(tabs);
    window.show();
    return QApplication::exec();
}
