#include "window/frmMain.h"

#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "window/Artwork.h"
#include "window/frmMainShared.h"
#include "errors/Proc.h"
#include "errors/Program.h"
#include "platform/Services.h"
#include "files/wsFiles.h"

namespace stellmark {

using namespace window::form;

namespace {
// The link's colours: white, and yellow while the pointer is over it.
const QColor kYellow(255, 255, 0);
const QColor kWhite(255, 255, 255);

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
    // Drawn at the first paint, not before the window is mapped.
    if (!background_)
        background_ = new QPixmap(window::Background());
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
