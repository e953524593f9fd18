#pragma once
// A push button whose caption wraps onto two lines where it is longer than the button is wide,
// as the continue buttons' captions are; the accelerator stays marked.
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace stellmark {

class WrapButton : public QPushButton {
public:
    explicit WrapButton(QWidget* parent = nullptr) : QPushButton(parent) {}

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
        flags |= style()->styleHint(QStyle::SH_UnderlineShortcut, &opt, this) ? Qt::TextShowMnemonic
                                                                              : Qt::TextHideMnemonic;
        p.drawItemText(r, flags, palette(), isEnabled(), caption, QPalette::ButtonText);
    }
};

}  // namespace stellmark
