#include "window/frmMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

#include "operations/Actions.h"
#include "window/Artwork.h"
#include "platform/DesignFonts.h"
#include "window/FocusMark.h"
#include "platform/InstanceLock.h"
#include "window/Settings.h"
#include "errors/Proc.h"
#include "errors/Program.h"
#include "platform/Screen.h"
#include "platform/Services.h"
#include "core/modMain.h"
#include "files/wsFiles.h"

namespace stellmark {

namespace {
constexpr const char* kMessageTitle = "Stellmark - Mitteilung";
constexpr const char* kFilter = "Alle Dateien (*.*)|*.*|D-Box Image (*.img)|*.img|";
constexpr int kFilterShownFirst = 2;

// The link's colours: white, and yellow while the pointer is over it.
const QColor kYellow(255, 255, 0);
const QColor kWhite(255, 255, 255);

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string S(const QString& s) { return s.toStdString(); }

platform::Icon ToPlatform(ops::Icon icon)
{
    switch (icon) {
    case ops::Icon::Information: return platform::Icon::Information;
    case ops::Icon::Exclamation: return platform::Icon::Exclamation;
    case ops::Icon::Critical: return platform::Icon::Critical;
    case ops::Icon::None: break;
    }
    return platform::Icon::None;
}

std::string FolderOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

int16_t ButtonCode(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int16_t ShiftCode(Qt::KeyboardModifiers m)
{
    return static_cast<int16_t>((m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
                                (m & Qt::AltModifier ? 4 : 0));
}

void SetTextColour(QWidget* w, const QColor& text)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, text);
    w->setPalette(pal);
}

// The handlers of a press on the window and on the controls that drag it, by control name.
struct MouseDownHandler {
    const char* control;
    const char* signature;
};
constexpr MouseDownHandler kMouseDown[] = {
    {"frmMain", "[frmMain] Private Sub Form_MouseDown(Button As Integer,Shift As Integer, X As Single, Y As "
                "Single)"},
    {"Picture1", "[frmMain] Private Sub Picture1_MouseDown(Button As Integer, Shift As Integer, X As Single, "
                 "Y As Single)"},
    {"Label1", "[frmMain] Private Sub Label1_MouseDown(Button As Integer, Shift As Integer, X As Single, Y "
               "As Single)"},
    {"Label2", "[frmMain] Private Sub Label2_MouseDown(Button As Integer, Shift As Integer, X As Single, Y "
               "As Single)"},
    {"Label3", "[frmMain] Private Sub Label3_MouseDown(Button As Integer, Shift As Integer, X As Single, Y "
               "As Single)"},
    {"Label5", "[frmMain] Private Sub Label5_MouseDown(Button As Integer, Shift As Integer, X As Single, Y "
               "As Single)"},
};

bool IsActivationKey(const QKeyEvent* key)
{
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}
}  // namespace

frmMain::frmMain(platform::InstanceLock* lock, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), lock_(lock),
      end_([](int code) { QCoreApplication::exit(code); })
{
    setupUi(this);
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

    background_ = new QPixmap(window::Background());
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

    // The focus starts where it marks nothing, as after a pick: Return presses no button the
    // user has not chosen, and the first Tab goes to the first control.
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
            dataFiles_ = ops::LocateDataFiles({program::Dir()});
            check = modMain::FileCheck(dataFiles_);
        });
        if (check != "ok") {
            p.Step([&] {
                services.MessageBox(ops::MissingFilesText(check), kMessageTitle, platform::Icon::Information);
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
            const auto at = settings::Place(top, left, twips, width(), height());
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
        p.Step([&] { settings::WriteLastDir(LastDir_); });
        p.Step([&] { settings::WriteTwips(settings::kTop, y(), screen.twipsPerPixelY); });
        p.Step([&] { settings::WriteTwips(settings::kLeft, x(), screen.twipsPerPixelX); });
        p.Step([&] { settings::WriteUseOnlyValidImages(UseOnlyValidImages_); });
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
        p.Step([&] { path = wsFiles::IsSlash(dir) + "liesmich.txt"; });
        // A missing help file or a missing opener is not the program's to report.
        p.Step([&] { platform::Get().ShellOpen(path, dir); });
    });
}

// ---------------------------------------------------------------------------------------------
// Image selection, list events, expert range

void frmMain::cmdFileOpen_Click()
{
    Proc p("[frmMain] Private Sub cmdFileOpen_Click()", Handler::Silent);
    p.Run([&] {
        std::optional<std::string> chosen;
        p.Step([&] {
            chosen = platform::Get().OpenFile({"Öffnen", LastDir_, "", kFilter, kFilterShownFirst});
        });
        if (!chosen)
            return;
        TakeImage(*chosen);
    });
}

void frmMain::OpenImage(const std::string& FileName)
{
    Proc p("[frmMain] Sub OpenImage(FileName As String)", {{"FileName", FileName}}, Handler::Silent);
    p.Run([&] {
        // Only what the open dialog could have offered: an existing file.
        if (!wsFiles::FileExist(FileName))
            return;
        std::string path;
        p.Step([&] { path = std::filesystem::absolute(FileName).lexically_normal().string(); });
        TakeImage(path);
    });
}

void frmMain::TakeImage(const std::string& path)
{
    txtFile->setText(Q(path));
    MakeSettings();
    LastDir_ = FolderOf(path);
    Picture1->setFocus();
}

void frmMain::MakeSettings()
{
    Proc p("[frmMain] Sub MakeSettings()");
    p.Run([&] {
        Combo1->clear();
        Combo1->setEnabled(false);
        cmdStart->setEnabled(false);
        const std::string path = S(txtFile->text());
        const bool chosen = path != kNoImageChosen && wsFiles::FileExist(path);
        if (!chosen)
            return;
        int32_t imageClass = 0;
        p.Step([&] { imageClass = modMain::ImageTest(path, dataFiles_); });
        p.Step([&] { lblInfo->setText(Q(modMain::ImageTestText(imageClass))); });
        ops::ListState state;
        p.Step([&] { state = ops::ListFor(true, imageClass, UseOnlyValidImages_); });
        if (!state.filled)
            return;
        if (UseOnlyValidImages_ == 1) {
            FillCombo(S(lblInfo->text()));
        } else {
            for (const auto& entry : state.entries)
                Combo1->addItem(Q(entry));
            ShowFirstEntry();
        }
        Combo1->setEnabled(state.enabled);
        cmdStart->setEnabled(state.enabled);
    });
}

void frmMain::ShowFirstEntry()
{
    if (Combo1->count() == 0)
        return;
    Combo1->setCurrentIndex(0);
    Combo1_Click();
}

void frmMain::FillCombo(const std::string& Ausschluss)
{
    Proc p("[frmMain] Sub FillCombo(Optional Ausschluß As String = \"\")", {{"Ausschluß", Ausschluss}});
    p.Run([&] {
        Combo1->clear();
        std::vector<std::string> entries;
        p.Step([&] { entries = ops::ComboEntries(Ausschluss); });
        for (const auto& entry : entries)
            Combo1->addItem(Q(entry));
        ShowFirstEntry();
    });
}

void frmMain::Combo1_Click()
{
    Proc p("[frmMain] Private Sub Combo1_Click()");
    p.Run([&] { AdvancedSettings(); });
}

void frmMain::AdvancedSettings()
{
    Proc p("[frmMain] Sub AdvancedSettings()");
    p.Run([&] {
        const QString shown = Combo1->currentText();
        if (shown == Q(ops::kExpert)) {
            p.Step([&] { lngImageSize_ = modMain::GetImageSize(S(txtFile->text())); });
            p.Step([&] { lblImageSize->setText(Q(ops::SizeText(lngImageSize_))); });
            p.Step([&] { txtStart->setText(Q(modMain::GetHexValue(0))); });
            p.Step([&] { txtEnde->setText(Q(modMain::GetHexValue(lngImageSize_))); });
            frmExperte->setVisible(true);
        } else {
            frmExperte->setVisible(false);
        }
        if (shown == Q(ops::kRootInsert))
            EnableCramfs();
        else
            DisableCramfs();
    });
}

void frmMain::Check1_Click()
{
    Proc p("[frmMain] Private Sub Check1_Click()");
    p.Run([&] {
        if (blnLoading_)
            return;
        UseOnlyValidImages_ = UseOnlyValidImages_ == 0 ? 1 : 0;
        // The box already shows the new state after a click; a greyed box becomes two-state.
        Check1->setTristate(false);
        Check1->setCheckState(UseOnlyValidImages_ == 1 ? Qt::Checked : Qt::Unchecked);
        MakeSettings();
        AdvancedSettings();
    });
}

// ---------------------------------------------------------------------------------------------
// Start, output naming, CramFS chooser

void frmMain::cmdStart_Click()
{
    Proc p("[frmMain] Private Sub cmdStart_Click()");
    p.Run([&] {
        ops::Request request;
        request.source = S(txtFile->text());
        request.actionText = S(Combo1->currentText());
        request.expert = {S(txtStart->text()), S(txtEnde->text()), lngImageSize_};
        request.dataFiles = dataFiles_;
        ops::Outcome outcome;
        std::string output;
        p.Step([&] {
            outcome = ops::Start(p, request, [&](const std::string& initialName) {
                output = FileSaveDialog(initialName, 1);
                // The dialog asked before an existing file is replaced; a name that was free
                // then is not taken from someone who claims it in the meantime.
                struct stat st {};
                bool existed = !output.empty() && ::lstat(output.c_str(), &st) == 0;
                return ops::Choice{output, existed ? Overwrite::Replace : Overwrite::Refuse};
            });
        });
        if (outcome.kind == ops::Outcome::Exists)
            outcome.message = {"Die Datei '" + output +
                                   "' ist inzwischen von anderer Seite angelegt worden und wurde "
                                   "nicht überschrieben.",
                               ops::Icon::Exclamation, "Stellmark - Fehler"};
        else if (outcome.kind != ops::Outcome::Refused && outcome.kind != ops::Outcome::NotWritten)
            return;  // nothing follows a successful copy or a cancelled dialog
        p.Step([&] {
            platform::Get().MessageBox(outcome.message.text, outcome.message.title,
                                       ToPlatform(outcome.message.icon));
        });
    });
}

std::string frmMain::FileSaveDialog(const std::string& FileName, int16_t Filter)
{
    Proc p("[frmMain] Function FileSaveDialog(Optional FileName As String = \"\", Optional "
           "Filter As Integer = 1) As String",
           {{"FileName", FileName}, {"Filter", Filter}}, Handler::Silent);
    std::string result;
    return p.Run(result, [&] {
        std::optional<std::string> chosen;
        p.Step([&] {
            chosen =
                platform::Get().SaveFile({"Speichern unter", LastDir_, FileName, kFilter, kFilterShownFirst});
        });
        if (!chosen)
            return;
        result = *chosen;
        LastDir_ = FolderOf(result);
    });
}

void frmMain::cmdFileCramfs_Click()
{
    Proc p("[frmMain] Private Sub cmdFileCramfs_Click()", Handler::Silent);
    p.Run([&] {
        std::optional<std::string> chosen;
        p.Step([&] {
            chosen = platform::Get().OpenFile({"Öffnen", LastDir_, "", kFilter, kFilterShownFirst});
        });
        if (!chosen)
            return;
        txtCramfs->setText(Q(*chosen));
        int32_t size = 0;
        p.Step([&] { size = modMain::GetImageSize(*chosen); });
        // A file beyond 32 bits fails in GetImageSize; whatever the user answered there, its
        // verdict comes from its real length.
        int64_t length = ops::FileLength(*chosen);
        lblCramfsInfo->setText(Q(ops::CramfsVerdict(length >= 0 ? length : size)));
        LastDir_ = FolderOf(*chosen);
        Picture1->setFocus();
    });
}

void frmMain::EnableCramfs() { ShowCramfsChooser("[frmMain] Sub EnableCramfs()", true); }

void frmMain::DisableCramfs() { ShowCramfsChooser("[frmMain] Sub DisableCramfs()", false); }

void frmMain::ShowCramfsChooser(const char* signature, bool shown)
{
    Proc p(signature);
    p.Run([&] {
        for (QWidget* w :
             std::initializer_list<QWidget*>{cmdFileCramfs, txtCramfs, Label16, lblCramfsInfo, Label17})
            w->setVisible(shown);
    });
}

// ---------------------------------------------------------------------------------------------
// Dragging, link label, hover timer

bool frmMain::MouseDown(const QWidget* control, int16_t Button, int16_t Shift, float X, float Y)
{
    const auto* handler = std::find_if(std::begin(kMouseDown), std::end(kMouseDown), [&](auto& h) {
        return control && control->objectName() == QLatin1String(h.control);
    });
    if (handler == std::end(kMouseDown))
        return false;
    Proc p(handler->signature, {{"Button", Button}, {"Shift", Shift}, {"X", X}, {"Y", Y}});
    p.Run([&] {
        if (Button == 1)
            p.Step([&] { drag_.Start(); });
    });
    return true;
}

void frmMain::Label7_MouseMove(int16_t Button, int16_t Shift, float X, float Y)
{
    Proc p("[frmMain] Private Sub Label7_MouseMove(Button As Integer, Shift As Integer, X As "
           "Single, Y As Single)",
           {{"Button", Button}, {"Shift", Shift}, {"X", X}, {"Y", Y}});
    p.Run([&] {
        if (blnHover_)
            return;
        blnHover_ = true;
        SetTextColour(Label7, kYellow);
        Timer1->start();
    });
}

void frmMain::Timer1_Timer()
{
    Proc p("[frmMain] Private Sub Timer1_Timer()");
    p.Run([&] {
        QPoint at;
        p.Step([&] { at = mapFromGlobal(QCursor::pos()); });
        const QRect r = Label7->geometry();
        const int L = r.x(), T = r.y(), W = r.width(), H = r.height();
        // The edges count as inside, the column x = L + W and the row y = T + H included.
        const bool outside = at.x() < L || at.y() < T || at.x() > L + W || at.y() > T + H;
        if (!outside)
            return;
        blnHover_ = false;
        SetTextColour(Label7, kWhite);
        Timer1->stop();
    });
}

void frmMain::Label7_Click()
{
    Proc p("[frmMain] Private Sub Label7_Click()");
    p.Run([&] { p.Step([&] { platform::Get().ShellOpen(S(Label7->text()), program::Dir()); }); });
}

// ---------------------------------------------------------------------------------------------
// Events of the window and its controls

void frmMain::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, *background_);
}

void frmMain::mousePressEvent(QMouseEvent* event)
{
    drag_.Pressed(event->globalPosition().toPoint());
    MouseDown(this, ButtonCode(event->button()), ShiftCode(event->modifiers()),
              static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
    event->accept();
}

void frmMain::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void frmMain::mouseMoveEvent(QMouseEvent* event)
{
    drag_.Moved(event->globalPosition().toPoint());
    event->accept();
}

void frmMain::mouseReleaseEvent(QMouseEvent* event)
{
    drag_.Released();
    event->accept();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (type == QEvent::KeyPress) {
        // Return presses the focused button as Space does; either presses the link as a click.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (auto* button = qobject_cast<QPushButton*>(watched); button && IsActivationKey(key)) {
            button->click();
            return true;
        }
        const bool space = key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier;
        if (watched == Label7 && (IsActivationKey(key) || space)) {
            Label7_Click();
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if ((!press && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) ||
        qobject_cast<QPushButton*>(watched))
        return QWidget::eventFilter(watched, event);
    auto* me = static_cast<QMouseEvent*>(event);
    const int16_t button = ButtonCode(me->button());
    const int16_t shift = ShiftCode(me->modifiers());
    const auto x = static_cast<float>(me->position().x());
    const auto y = static_cast<float>(me->position().y());

    if (press) {
        drag_.Pressed(me->globalPosition().toPoint());
        MouseDown(static_cast<QWidget*>(watched), button, shift, x, y);
    } else if (type == QEvent::MouseMove) {
        drag_.Moved(me->globalPosition().toPoint());
        if (watched == Label7) {
            const auto held = static_cast<int16_t>((me->buttons() & Qt::LeftButton ? 1 : 0) |
                                                   (me->buttons() & Qt::RightButton ? 2 : 0) |
                                                   (me->buttons() & Qt::MiddleButton ? 4 : 0));
            Label7_MouseMove(held, shift, x, y);
        }
    } else {
        drag_.Released();
        if (watched == Label7 && me->button() == Qt::LeftButton &&
            Label7->rect().contains(me->position().toPoint()))
            Label7_Click();
    }
    // Presses on labels and the frame stay there: only the named ones move the window.
    return true;
}

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    const auto urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.first().isLocalFile() && wsFiles::FileExist(S(urls.first().toLocalFile())))
        event->acceptProposedAction();
    else
        event->ignore();
}

void frmMain::dropEvent(QDropEvent* event)
{
    const auto urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return event->ignore();
    event->acceptProposedAction();
    OpenImage(S(urls.first().toLocalFile()));
}

}  // namespace stellmark
