// The window program: Qt in German, the platform services, the error dialog, the main window.
#include <QApplication>
#include <QStyleFactory>

#include "platform/FontWarmup.h"
#include "platform/InstanceLock.h"
#include "errors/Pending.h"
#include "platform/QtServices.h"
#include "window/errordialog/ErrorDialog.h"
#include "errors/Protocol.h"
#include "platform/Translations.h"
#include "window/frmMain.h"
#include "errors/frmPanne.h"

int main(int argc, char** argv)
{
    stellmark::platform::FontWarmup fonts;
    QApplication app(argc, argv);
    fonts.Join();
    // An interrupted copy leaves no temporary file, and the program ends without its settings.
    stellmark::pending::EndOnSignals();
    QApplication::setApplicationName(QStringLiteral("Stellmark"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    stellmark::platform::LoadGermanTranslations(app);

    stellmark::platform::QtServices services;
    stellmark::platform::Set(&services);
    // Every failure is logged to the .EPT file before the dialog asks how to go on.
    stellmark::ErrorDialogOnDemand errorDialog(
        []() -> stellmark::platform::Services& { return stellmark::platform::Get(); });
    stellmark::frmPanne::Instance().Replace(
        {.presenter = &errorDialog, .protocolWriter = [&](auto& panne) { errorDialog.WriteLog(panne); }});

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
