// The yardstick of the window's start: a bare Qt Widgets window of the main window's size,
// built against the same Qt, with nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.resize(398, 318);
    w.show();
    return QApplication::exec();
}
