// The window program: Qt in German, the platform services, the error dialog, the main window.
#include <QApplication>
#include <QStyleFactory>
#include <cstdio>
#include <exception>

#include "platform/InstanceLock.h"
#include "errors/Pending.h"
#include "platform/QtServices.h"
#include "window/errordialog/ErrorDialog.h"
#include "errors/Protocol.h"
#include "platform/Translations.h"
#include "window/frmMain.h"
#include "errors/frmPanne.h"

namespace {
int Run(int argc, char** argv)
{
    QApplication app(argc, argv);
    // An interrupted copy leaves no temporary file, and the program ends without its settings.
    stellmark::pending::EndOnSignals();
    QApplication::setApplicationName(QStringLiteral("Stellmark"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    stellmark::platform::LoadGermanTranslations(app);

    stellmark::platform::QtServices services;
    stellmark::platform::Set(&services);
    // Every failure is logged to the .EPT file before the dialog asks how to go on.
    stellmark::ErrorDialog errorDialog(
        []() -> stellmark::platform::Services& { return stellmark::platform::Get(); });
    stellmark::frmPanne::Instance().Replace(
        {.presenter = &errorDialog, .protocolWriter = stellmark::AppendProtocolLog});

    stellmark::platform::FileInstanceLock lock;
    stellmark::frmMain w(&lock);
    w.Form_Load();
    if (w.Ended())
        return w.ExitCode();
    // An image named on the command line is taken as if picked in the open dialog.
    const QStringList args = QApplication::arguments();
    if (args.size() > 1)
        w.OpenImage(args.at(1).toStdString());
    w.show();
    return QApplication::exec();
}
}  // namespace

// Nothing may end the program through std::terminate: whatever escapes the window is said on
// stderr, and every temporary output is removed.
int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        stellmark::pending::UnlinkAll();
        std::fprintf(stderr, "stellmark: interner Fehler: %s\n", e.what());
    } catch (...) {
        stellmark::pending::UnlinkAll();
        std::fprintf(stderr, "stellmark: interner Fehler\n");
    }
    return 3;
}
