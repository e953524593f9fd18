// The window program: Qt in German, the platform services, the error dialog, the main window.
#include <QApplication>
#include <QStyleFactory>
#include <cstdio>
#include <exception>

#include "platform/BusWarmup.h"
#include "platform/FontWarmup.h"
#include "platform/InstanceLock.h"
#include "errors/Pending.h"
#include "platform/QtServices.h"
#include "window/errordialog/ErrorDialog.h"
#include "errors/Protocol.h"
#include "platform/Translations.h"
#include "window/frmMain.h"
#include "errors/frmPanne.h"
#include "errors/Program.h"

#include <cstdio>
#include <cstring>

namespace {
// --help and --version are answered before Qt starts: no window, no display needed. Anything
// else, and everything after "--", is left to the window.
int AnswerInfoOption(int argc, char** argv)
{
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("stellmark %s\n"
                        "Lizenz GPLv3+: GNU GPL Version 3 oder neuer <https://gnu.org/licenses/gpl.html>.\n"
                        "Dies ist freie Software: Sie dürfen sie ändern und weitergeben.\n"
                        "Es gibt KEINE GARANTIE, soweit das Gesetz es zulässt.\n",
                        stellmark::program::kVersion);
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("Aufruf: stellmark [IMAGE]\n"
                        "Öffnet das Fenster, das Flash-Images der D-Box2 erkennt, baut und zerlegt;\n"
                        "ein angegebenes IMAGE wird gleich gewählt. Dasselbe auf der Kommandozeile:\n"
                        "stellmark-cli.\n"
                        "\n"
                        "  --help      diese Hilfe zeigen und beenden\n"
                        "  --version   Version und Lizenz zeigen und beenden\n"
                        "\n"
                        "Fehler melden: <https://github.com/stellmark/stellmark/issues>\n");
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        }
    }
    return -1;
}
}  // namespace

namespace {
int Run(int argc, char** argv)
{
    if (const int answered = AnswerInfoOption(argc, argv); answered >= 0)
        return answered;
    // The fonts and the session bus are made ready while QApplication connects to the X server,
    // the font database while the window's controls are made; the fill ends before the
    // application object.
    stellmark::platform::FontWarmup fonts;
    const stellmark::platform::BusWarmup bus;
    QApplication app(argc, argv);
    const std::jthread fontDatabase = fonts.FillDatabase();
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
