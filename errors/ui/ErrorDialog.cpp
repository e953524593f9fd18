#include "ErrorDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "Protocol.h"
#include "ProtocolButtons.h"
#include "Services.h"

namespace stellmark {

namespace {

// Design measures in twips.
constexpr int kFrameWidth = 7215;
constexpr std::array<int, 5> kFrameHeights = {975, 1575, 735, 1695, 855};
constexpr std::array<const char*, 5> kFrameNames = {"framComment", "framFehler", "framProtocol",
                                                    "framCallStack", "framContinue"};
constexpr std::array<int, 4> kErrRowTop = {240, 720, 960, 1200};
constexpr int kButtonTop = 240;
constexpr int kButtonWidth = 1335;
constexpr std::array<int, 4> kButtonLeft = {240, 2040, 3840, 5640};

const char* const kComment =
    "Ein Fehler ist im Programmablauf aufgetreten. Um den Fehler beseitigen zu können bitte eine "
    "Information ins Board! Bitte nicht alle Logs posten! Ich werde die Logs bei Bedarf "
    "anfordern.";
constexpr std::array<const char*, 4> kContinueCaptions = {
    "Befehl wieder&holen", "Fortsetzen mit &nächsten Befehl", "&Prozedur verlassen",
    "Programm &beenden"};

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The captions are longer than the design width of the buttons: they wrap onto two lines, as
// the design's buttons do, with the accelerator kept.
class WrapButton : public QPushButton {
public:
    WrapButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter p(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        const QString caption = opt.text;
        opt.text.clear();
        p.drawControl(QStyle::CE_PushButton, opt);
        QRect r = style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
        int flags = Qt::AlignCenter | Qt::TextWordWrap;
        flags |= style()->styleHint(QStyle::SH_UnderlineShortcut, &opt, this)
                     ? Qt::TextShowMnemonic
                     : Qt::TextHideMnemonic;
        p.drawItemText(r, flags, palette(), isEnabled(), caption, QPalette::ButtonText);
    }
};

QLabel* PlainLabel(QWidget* parent, const QFont& font)
{
    auto* l = new QLabel(parent);
    // Descriptions and paths are shown as they are, never read as markup.
    l->setTextFormat(Qt::PlainText);
    l->setFont(font);
    return l;
}

}  // namespace

ErrorDialog::ErrorDialog(std::function<platform::Services&()> services)
    : QDialog(nullptr), services_(std::move(services))
{
    setObjectName("frmPanne");
    setWindowTitle("ProgInfo - Fehlermeldung");
    setWindowModality(Qt::ApplicationModal);

    QFont base;
    base.setFamilies({"MS Sans Serif", "Liberation Sans"});
    base.setPointSizeF(8.25);
    setFont(base);
    QFont normal = base;
    normal.setBold(false);  // set explicitly, so the bold frame captions do not pass it on
    QFont bold = base;
    bold.setBold(true);

    for (std::size_t i = 0; i < frames_.size(); ++i) {
        frames_[i] = new QGroupBox(this);
        frames_[i]->setObjectName(kFrameNames[i]);
        frames_[i]->setFont(bold);
        frames_[i]->hide();
    }
    framFehler()->setTitle(Q(frmPanne::kFramFehlerCaption));
    framProtocol()->setTitle("Fehlerprotokoll ...");
    framCallStack()->setTitle(Q(frmPanne::kFramCallStackCaption));
    framContinue()->setTitle("Weiterer Programmablauf...");

    lblComment_ = PlainLabel(framComment(), bold);
    lblComment_->setObjectName("lblComment");
    lblComment_->setWordWrap(true);

    label1_ = PlainLabel(framFehler(), normal);
    label1_->setObjectName("Label1");
    QFont sign;
    sign.setFamilies({"Arial", "Liberation Sans"});
    sign.setPointSize(36);
    sign.setBold(true);
    label1_->setFont(sign);
    label1_->setText(" ! ");

    for (std::size_t i = 0; i < 4; ++i) {
        lblErrTitel_[i] = PlainLabel(framFehler(), normal);
        lblErrTitel_[i]->setObjectName(QString("lblErrTitel%1").arg(i));
        lblErrTitel_[i]->setText(frmPanne::lblErrTitel[i]);
        lblError_[i] = PlainLabel(framFehler(), normal);
        lblError_[i]->setObjectName(QString("lblError%1").arg(i));
        lblError_[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    lblError_[0]->setWordWrap(true);  // number and description take up to two lines

    for (int i : {1, 3}) {
        auto* b = new QPushButton(i == 1 ? "&Speichern" : "&WWW", framProtocol());
        b->setObjectName(QString("cmdProtocol%1").arg(i));
        b->setFont(normal);
        connect(b, &QPushButton::clicked, this,
                [this, i] { cmdProtocol_Click(static_cast<int16_t>(i)); });
        cmdProtocol_[static_cast<std::size_t>(i)] = b;
    }

    lstCallStack_ = new QListWidget(framCallStack());
    lstCallStack_->setObjectName("lstCallStack");
    lstCallStack_->setFont(normal);

    for (std::size_t i = 0; i < 4; ++i) {
        auto* b = new WrapButton(QString::fromUtf8(kContinueCaptions[i]), framContinue());
        b->setObjectName(QString("cmdContinue%1").arg(i));
        b->setFont(normal);
        b->hide();
        connect(b, &QPushButton::clicked, this,
                [this, i] { cmdContinue_Click(static_cast<int16_t>(i)); });
        cmdContinue_[i] = b;
    }
}

ErrorDialog::~ErrorDialog()
{
    // A failure after the window is gone must not reach it.
    auto& panne = frmPanne::Instance();
    ErrorPresenter* current = panne.SetPresenter(nullptr);
    if (current != this)
        panne.SetPresenter(current);
}

int ErrorDialog::Px(int twips) const { return qRound(twips * dpi_ / 1440.0); }

void ErrorDialog::Place(QWidget* w, int left, int top, int width, int height) const
{
    w->setGeometry(Px(left), Px(top), Px(width), Px(height));
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

    // Contents of the frames, relative to their frame.
    Place(lblComment_, 120, 120, 6975, 735);
    Place(label1_, 120, 240, 780, 1095);
    for (std::size_t i = 0; i < 4; ++i) {
        Place(lblErrTitel_[i], 960, kErrRowTop[i], 975, 255);
        Place(lblError_[i], 2040, kErrRowTop[i], 5085, i == 0 ? 495 : 255);
    }
    for (std::size_t i : {1u, 3u})
        Place(cmdProtocol_[i], kButtonLeft[i], kButtonTop, kButtonWidth, 375);
    Place(lstCallStack_, 120, 240, 6975, 1395);
    for (std::size_t i = 0; i < 4; ++i)
        Place(cmdContinue_[i], kButtonLeft[i], kButtonTop, kButtonWidth, 495);

    // The stack is summed in twips, so the window fits the design height exactly.
    int t = 0;
    for (std::size_t i = 0; i < frames_.size(); ++i) {
        frames_[i]->show();
        frames_[i]->setGeometry(0, Px(t), Px(kFrameWidth), Px(t + kFrameHeights[i]) - Px(t));
        t += kFrameHeights[i];
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

    setFixedSize(Px(kFrameWidth), Px(t));
    QRect area = screen() ? screen()->geometry() : QRect();
    QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
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
