#pragma once
// The mark around the control that has the keyboard focus: a yellow line outside a black one,
// two pixels wide in all, so that it shows on the navy background and on the light blue of
// the neighbouring controls alike. It lies above every control of the window and lets the
// mouse through.
#include <QWidget>

namespace stellmark::window {

class FocusMark final : public QWidget {
public:
    static constexpr int kWidth = 2;
    static const QColor kOuter;
    static const QColor kInner;

    // Marks the controls of `window` that Tab reaches, once the keyboard has moved the focus.
    explicit FocusMark(QWidget* window);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Follow(QWidget* focused);
};

}  // namespace stellmark::window
