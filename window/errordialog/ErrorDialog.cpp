#include "window/errordialog/ErrorDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "platform/DesignFonts.h"
#include "errors/Protocol.h"
#include "window/errordialog/ProtocolButtons.h"
#include "platform/Services.h"
#include "ui_ErrorDialog.h"

namespace stellmark {

namespace {

// A twip is a fifteenth of a pixel on the screen of 96 dpi the layout file was drawn for.
constexpr int kTwipsPerDesignPixel = 15;

const char* const kComment =
    "Ein Fehler ist im Programmablauf aufgetreten. Um den Fehler beseitigen zu können bitte eine "
    "Information ins Board! Bitte nicht alle Logs posten! Ich werde die Logs bei Bedarf "
    "anfordern.";

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

ErrorDialog::ErrorDialog(std::function<platform::Services&()> services)
    : QDialog(nullptr), services_(std::move(services)), ui_(std::make_unique<Ui::ErrorDialog>())
{
    ui_->setupUi(this);
    platform::ApplyDesignFonts(this);

    frames_ = {ui_->framComment, ui_->framFehler, ui_->framProtocol, ui_->framCallStack, ui_->framContinue};
    lblComment_ = ui_->lblComment;
    label1_ = ui_->Label1;
    lblErrTitel_ = {ui_->lblErrTitel0, ui_->lblErrTitel1, ui_->lblErrTitel2, ui_->lblErrTitel3};
    lblError_ = {ui_->lblError0, ui_->lblError1, ui_->lblError2, ui_->lblError3};
    cmdProtocol_ = {nullptr, ui_->cmdProtocol1, nullptr, ui_->cmdProtocol3};
    cmdContinue_ = {ui_->cmdContinue0, ui_->cmdContinue1, ui_->cmdContinue2, ui_->cmdContinue3};
    lstCallStack_ = ui_->lstCallStack;

    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QRect r = w->geometry();
        design_.emplace_back(w, QRect(r.x() * kTwipsPerDesignPixel, r.y() * kTwipsPerDesignPixel,
                                      r.width() * kTwipsPerDesignPixel, r.height() * kTwipsPerDesignPixel));
    }
    // Nothing shows before ArrangeDialog has placed it.
    for (QWidget* w : frames_)
        w->hide();
    for (QWidget* w : cmdContinue_)
        w->hide();

    // No button is the dialog's default (the layout file turns that off), so Return presses
    // only the button that has the focus, as Space does.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->installEventFilter(this);
    for (int i : {1, 3})
        connect(cmdProtocol_[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { cmdProtocol_Click(static_cast<int16_t>(i)); });
    for (std::size_t i = 0; i < 4; ++i)
        connect(cmdContinue_[i], &QPushButton::clicked, this,
                [this, i] { cmdContinue_Click(static_cast<int16_t>(i)); });
}

ErrorDialog::~ErrorDialog()
{
    // A failure after the window is gone must not reach it.
    auto& panne = frmPanne::Instance();
    if (panne.Services().presenter == this) {
        FailureServices services = panne.Services();
        services.presenter = nullptr;
        panne.Replace(std::move(services));
    }
}

int ErrorDialog::Px(int twips) const { return qRound(twips * dpi_ / 1440.0); }

void ErrorDialog::Place(QWidget* w, const QRect& twips) const
{
    w->setGeometry(Px(twips.x()), Px(twips.y()), Px(twips.width()), Px(twips.height()));
}

void ErrorDialog::Prepare(frmPanne& panne, int16_t contBits)
{
    // A failure while the dialog is on screen: the dialog keeps the failure it shows.
    if (isVisible())
        return;
    panne_ = &panne;
    setWindowTitle(Q(panne.Caption()));
    for (std::size_t i = 0; i < 4; ++i)
        lblError_[i]->setText(Q(panne.lblError()[i]));
    lstCallStack_->clear();
    for (const auto& line : panne.lstCallStack())
        lstCallStack_->addItem(Q(line));
    setCursor(Qt::ArrowCursor);
    ArrangeDialog(contBits);
}

void ErrorDialog::ArrangeDialog(int16_t ContBits)
{
    if (QScreen* s = screen())
        dpi_ = s->logicalDotsPerInch();

    // Contents of the frames, relative to their frame; the frames are stacked below.
    QRect frameDesign[5];
    for (const auto& [w, twips] : design_) {
        const auto frame = std::find(frames_.begin(), frames_.end(), w);
        if (frame != frames_.end())
            frameDesign[frame - frames_.begin()] = twips;
        else
            Place(w, twips);
    }

    // The stack is summed in twips, so the window fits the design height exactly.
    int t = 0;
    for (std::size_t i = 0; i < frames_.size(); ++i) {
        frames_[i]->show();
        const int height = frameDesign[i].height();
        frames_[i]->setGeometry(0, Px(t), Px(frameDesign[i].width()), Px(t + height) - Px(t));
        t += height;
        if (i == 0)
            lblComment_->setText(QString::fromUtf8(kComment));
        if (i == 2)
            for (std::size_t b : {1u, 3u})
                cmdProtocol_[b]->show();
        if (i == 4)
            for (std::size_t b = 0; b < 4; ++b)
                cmdContinue_[b]->setVisible((ContBits >> b) & 1);
    }

    // Without a continue button the close command is the only way out, so it stays offered.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (!AnyChoiceShown())
        flags |= Qt::WindowCloseButtonHint;
    if (windowFlags() != flags)
        setWindowFlags(flags);

    setFixedSize(Px(frameDesign[1].width()), Px(t));
    QRect area = screen() ? screen()->geometry() : QRect();
    QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

void ErrorDialog::Beep()
{
    if (services_)
        services_().Beep();
    else
        QApplication::beep();
}

int16_t ErrorDialog::ShowModal(frmPanne& panne)
{
    if (isVisible())
        return kLeave;  // no second dialog on top of the first: the nested procedure is left
    panne_ = &panne;
    chosen_ = false;
    // Whatever pointer the program showed, the arrow while the dialog waits; the program's
    // own pointer returns afterwards.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    struct Restore {
        ~Restore() { QApplication::restoreOverrideCursor(); }
    } restore;
    // The focus starts in the trace list, where Return presses nothing: no key writes a
    // protocol file or goes on before the user has chosen a button.
    lstCallStack_->setFocus();
    exec();
    // The wait can end without a press only when the application itself goes away.
    return chosen_ ? continueChoice_ : static_cast<int16_t>(kLeave);
}

void ErrorDialog::Choose(int16_t index)
{
    continueChoice_ = index;
    chosen_ = true;
    hide();
}

void ErrorDialog::cmdContinue_Click(int16_t index) { Choose(index); }

void ErrorDialog::cmdProtocol_Click(int16_t index)
{
    if (panne_ && services_)
        stellmark::cmdProtocol_Click(*panne_, index, services_());
}

bool ErrorDialog::AnyChoiceShown() const
{
    for (auto* b : cmdContinue_)
        if (!b->isHidden())
            return true;
    return false;
}

bool ErrorDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            static_cast<QPushButton*>(watched)->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The window's close command and Escape choose nothing while a continue button is offered:
// every choice has consequences, and the user makes it. With none offered, closing leaves
// the procedure, the program's answer to an unknown choice.
void ErrorDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (!AnyChoiceShown())
        Choose(kLeave);
}

void ErrorDialog::reject()
{
    if (!AnyChoiceShown())
        Choose(kLeave);
}

}  // namespace stellmark
