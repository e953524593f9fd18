// GUI tests need one application object for the whole program, and a watchdog: a modal dialog
// still open at two looks eight seconds apart is hidden (which ends it, even one that refuses to
// close) and fails the running test.
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    QTimer watchdog;
    QPointer<QWidget> seen;  // the modal widget of the previous look
    QObject::connect(&watchdog, &QTimer::timeout, [&seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal == seen) {
            ADD_FAILURE() << "a dialog was left open: " << modal->windowTitle().toStdString();
            modal->hide();
        }
        seen = modal;
    });
    watchdog.start(8000);
    return RUN_ALL_TESTS();
}
