#include "window/frmMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QApplication>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "operations/Actions.h"
#include "window/Artwork.h"
#include "platform/DesignFonts.h"
#include "window/FocusMark.h"
#include "window/frmMainShared.h"
#include "platform/InstanceLock.h"
#include "window/Settings.h"
#include "errors/Proc.h"
#include "errors/Places.h"
#include "errors/Program.h"
#include "platform/Screen.h"
#include "platform/Services.h"
#include "core/modMain.h"
#include "files/wsFiles.h"

namespace stellmark {

using namespace window::form;

frmMain::frmMain(platform::InstanceLock* lock, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), lock_(lock),
      end_([](int code) { QCoreApplication::exit(code); })
{
    {
        // The controls start with the window's fractional size instead of each laying out its
        // text a second time when it arrives.
        const platform::DesignFontsOnSet fonts(this);
        setupUi(this);
    }
    CompleteControls();
}

frmMain::~frmMain() { delete background_; }

std::function<void(int)> frmMain::SetEndProgram(std::function<void(int)> end)
{
    std::swap(end_, end);
    return end;
}

void frmMain::EndProgram(int code)
{
    ended_ = true;
    exitCode_ = code;
    if (end_)
        end_(code);
}

void frmMain::CompleteControls()
{
    // The faces come closest to those the window was drawn for: Liberation Sans has the metrics
    // of the usual sans serif, and Lato's black cut comes nearest to a heavy display face.
    platform::ApplyDesignFonts(this);
    // The heavy face the title was set in carries more room above its capitals than Lato;
    // the margin keeps the title clear of the subtitle above it.
    for (QLabel* title : {Label2, Label1})
        title->setContentsMargins(0, 8, 0, 0);
    for (QLineEdit* t : {txtFile, txtStart, txtEnde, txtCramfs})
        t->setTextMargins(1, 0, 1, 0);
    // The address is the program's, the same the error dialog opens.
    Label7->setText(QString::fromUtf8(program::kHomePage));

    setWindowIcon(QIcon(window::FolderPicture()));
    cmdMin->setIcon(window::MinimiseGlyph());
    cmdExit->setIcon(window::CloseGlyph());
    const QIcon folder(window::FolderPicture());
    for (QPushButton* b : {cmdFileOpen, cmdFileCramfs})
        b->setIcon(folder);

    // Presses on labels and the frame are routed here: some drag the window, the rest stay
    // where they are. Return on a button presses it, as Space does.
    for (QLabel* l : findChildren<QLabel*>())
        l->installEventFilter(this);
    frmExperte->installEventFilter(this);
    for (QPushButton* b : findChildren<QPushButton*>())
        b->installEventFilter(this);
    new window::FocusMark(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);

    connect(cmdMin, &QPushButton::clicked, this, [this] { cmdMin_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    connect(cmdEnde, &QPushButton::clicked, this, [this] { cmdEnde_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(cmdFileOpen, &QPushButton::clicked, this, [this] { cmdFileOpen_Click(); });
    connect(cmdFileCramfs, &QPushButton::clicked, this, [this] { cmdFileCramfs_Click(); });
    connect(cmdStart, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
    // Only the user's clicks come through the signals; a value set from code raises the
    // handler itself where it must.
    connect(Check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    Timer1->start();

    // Names for screen readers: a picture button is named by its tooltip, a field by the caption
    // beside it, which a screen reader also learns as its label.
    for (QPushButton* b : {cmdMin, cmdExit, cmdFileOpen, cmdFileCramfs})
        b->setAccessibleName(b->toolTip());
    for (auto [caption, field] :
         std::initializer_list<std::pair<QLabel*, QWidget*>>{{Label4, Combo1},
                                                             {Label13, txtStart},
                                                             {Label14, txtEnde},
                                                             {Label11, lblImageSize},
                                                             {Label17, txtCramfs},
                                                             {Label5, lblInfo},
                                                             {Label16, lblCramfsInfo}}) {
        caption->setBuddy(field);
        field->setAccessibleName(caption->text().remove(QLatin1Char(':')).trimmed());
    }
    txtFile->setAccessibleName(QStringLiteral("Gewähltes Image"));
    Picture1->setAccessibleName(QStringLiteral("Stellmark"));
    Picture1->setAccessibleDescription(QStringLiteral("Tab führt zu den Bedienelementen"));

    // The focus starts where it marks nothing, as after a pick: Return presses no button the
    // user has not chosen, and the first Tab goes to the first control. A screen reader
    // announces the window's name there.
    Picture1->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Lifecycle

void frmMain::Form_Load()
{
    Proc p("[frmMain] Private Sub Form_Load()");
    blnLoading_ = true;
    // However the load is left, the check box must not stay deaf to the user's clicks.
    struct Loaded {
        bool& flag;
        ~Loaded() { flag = false; }
    } loaded{blnLoading_};
    p.Run([&] {
        auto& services = platform::Get();
        bool another = false;
        p.Step([&] { another = lock_ && !lock_->Acquire(); });
        if (another) {
            p.Step([&] {
                services.MessageBox("Stellmark wurde schon gestartet.", kMessageTitle,
                                    platform::Icon::Information);
            });
            EndProgram(1);
            return;
        }

        std::string check;
        p.Step([&] {
            dataFiles_ = ops::LocateDataFiles(places::DataCandidates());
            check = modMain::FileCheck(dataFiles_);
        });
        if (check != "ok") {
            p.Step([&] {
                // Installed, the files do not belong beside the program: say where they do.
                const bool installed = places::Current().form == places::Form::Installed;
                services.MessageBox(ops::MissingFilesText(check, installed ? places::DataHome() : ""),
                                    kMessageTitle, platform::Icon::Information);
            });
            EndProgram(1);
            return;
        }

        namespace settings = window::settings;
        p.Step([&] { LastDir_ = settings::ReadLastDir(); });
        if (LastDir_.empty())
            p.Step([&] { LastDir_ = std::filesystem::current_path().string(); });
        float top = 0, left = 0;
        p.Step([&] { top = settings::ReadTwips(settings::kTop); });
        p.Step([&] { left = settings::ReadTwips(settings::kLeft); });
        const auto screen = platform::PrimaryScreen();
        const settings::ScreenTwips twips{screen.twipsPerPixelX, screen.twipsPerPixelY, screen.widthTwips,
                                          screen.heightTwips};
        p.Step([&] {
            auto at = settings::Place(top, left, twips, width(), height());
            // A place off every screen (another screen, another scale) would leave the
            // frameless window out of reach.
            const QRect rect(at.x, at.y, width(), height());
            const auto screens = QGuiApplication::screens();
            if (std::none_of(screens.begin(), screens.end(),
                             [&](const QScreen* s) { return s->geometry().intersects(rect); }))
                at = settings::Place(0, 0, twips, width(), height());
            move(at.x, at.y);
        });
        UseOnlyValidImages_ = 1;
        p.Step([&] { UseOnlyValidImages_ = settings::ReadUseOnlyValidImages(); });
        p.Step([&] { SetCheck1Value(UseOnlyValidImages_); });

        MakeSettings();
        AdvancedSettings();
        lblVersion->setText(QStringLiteral("V ") + QString::fromUtf8(program::kVersion));
    });
}

void frmMain::SetCheck1Value(int16_t value)
{
    static const Qt::CheckState kStates[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
    if (value < 0 || value > 2)
        throw Failure(err::InvalidPropertyValue);
    const Qt::CheckState state = kStates[value];
    if (Check1->checkState() == state)
        return;
    Check1->setTristate(state == Qt::PartiallyChecked);
    Check1->setCheckState(state);
    Check1_Click();
}

void frmMain::Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode)
{
    Proc p("[frmMain] Private Sub Form_QueryUnload(Cancel As Integer, UnloadMode As Integer)",
           {{"Cancel", Cancel}, {"UnloadMode", UnloadMode}});
    p.Run([&] {
        namespace settings = window::settings;
        const auto screen = platform::PrimaryScreen();
        bool kept = true;
        p.Step([&] { kept &= settings::WriteLastDir(LastDir_) != 0; });
        p.Step([&] { kept &= settings::WriteTwips(settings::kTop, y(), screen.twipsPerPixelY) != 0; });
        p.Step([&] { kept &= settings::WriteTwips(settings::kLeft, x(), screen.twipsPerPixelX) != 0; });
        p.Step([&] { kept &= settings::WriteUseOnlyValidImages(UseOnlyValidImages_) != 0; });
        // The next start would silently come up with the defaults: say so, once, on closing.
        if (!kept)
            p.Step([&] {
                platform::Get().MessageBox(settings::NotKeptText(wsFiles::GetIniFile()), kMessageTitle,
                                           platform::Icon::Exclamation);
            });
    });
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Whatever closes the window, the settings are written once; it always closes.
    if (!unloaded_) {
        unloaded_ = true;
        int16_t cancel = 0;
        Form_QueryUnload(cancel, unloadMode_);
    }
    event->accept();
}

void frmMain::cmdExit_Click() { CloseAndEnd("[frmMain] Private Sub cmdExit_Click()"); }

void frmMain::cmdEnde_Click() { CloseAndEnd("[frmMain] Private Sub cmdEnde_Click()"); }

void frmMain::CloseAndEnd(const char* signature)
{
    Proc p(signature);
    p.Run([&] {
        unloadMode_ = 1;
        p.Step([&] { close(); });
        EndProgram(0);
    });
}

void frmMain::cmdMin_Click()
{
    Proc p("[frmMain] Private Sub cmdMin_Click()");
    p.Run([&] { p.Step([&] { setWindowState(windowState() | Qt::WindowMinimized); }); });
}

void frmMain::Command2_Click()
{
    Proc p("[frmMain] Private Sub Command2_Click()");
    p.Run([&] {
        std::string dir, path;
        p.Step([&] { dir = program::Dir(); });
        // Beside the program when portable, in the shared folder when installed.
        p.Step([&] { path = wsFiles::IsSlash(places::Current().shared) + "liesmich.txt"; });
        // A missing help file or a missing opener is not the program's to report.
        p.Step([&] { platform::Get().ShellOpen(path, dir); });
    });
}

}  // namespace stellmark
