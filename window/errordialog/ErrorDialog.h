#pragma once
// The error dialog: shows the failure frmPanne is handling, the trace list and the protocol
// buttons, and returns the continue button the user presses.
#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "errors/frmPanne.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace Ui {
class ErrorDialog;
}

namespace stellmark {

namespace platform {
class Services;
}

class ErrorDialog : public QDialog, public ErrorPresenter {
public:
    // `services` gives the beep, message boxes, clipboard and shell at the moment of use.
    explicit ErrorDialog(std::function<platform::Services&()> services);
    ~ErrorDialog() override;

    // ErrorPresenter: fills and arranges, beeps, shows modally.
    void Prepare(frmPanne& panne, int16_t contBits) override;
    void Beep() override;
    int16_t ShowModal(frmPanne& panne) override;

    // Stacks the frames, shows the continue buttons whose bit is set, sizes and centres.
    void ArrangeDialog(int16_t ContBits);
    void cmdContinue_Click(int16_t index);
    void cmdProtocol_Click(int16_t index);

    int16_t ContinueChoice() const { return continueChoice_; }
    // Design measures are twips; this is their size on the dialog's screen.
    int Px(int twips) const;

    // The controls, in the order of the frame stack.
    QGroupBox* framComment() const { return frames_[0]; }
    QGroupBox* framFehler() const { return frames_[1]; }
    QGroupBox* framProtocol() const { return frames_[2]; }
    QGroupBox* framCallStack() const { return frames_[3]; }
    QGroupBox* framContinue() const { return frames_[4]; }
    QLabel* lblComment() const { return lblComment_; }
    QLabel* Label1() const { return label1_; }
    QLabel* lblErrTitel(int i) const { return lblErrTitel_.at(static_cast<std::size_t>(i)); }
    QLabel* lblError(int i) const { return lblError_.at(static_cast<std::size_t>(i)); }
    // Only indexes 1 and 3 exist; the others give nullptr.
    QPushButton* cmdProtocol(int i) const { return cmdProtocol_.at(static_cast<std::size_t>(i)); }
    QPushButton* cmdContinue(int i) const { return cmdContinue_.at(static_cast<std::size_t>(i)); }
    QListWidget* lstCallStack() const { return lstCallStack_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    // Places `w` at a rectangle of design measures (twips).
    void Place(QWidget* w, const QRect& twips) const;
    bool AnyChoiceShown() const;
    void Choose(int16_t index);

    std::function<platform::Services&()> services_;
    frmPanne* panne_ = nullptr;
    int16_t continueChoice_ = 0;
    bool chosen_ = false;
    double dpi_ = 96.0;

    // The frames, labels and buttons laid out in ErrorDialog.ui, whose pixels are those of a
    // screen of 96 dpi; kept as twips, from which the dialog is placed on any screen.
    std::unique_ptr<Ui::ErrorDialog> ui_;
    std::vector<std::pair<QWidget*, QRect>> design_;
    std::array<QGroupBox*, 5> frames_{};
    QLabel* lblComment_ = nullptr;
    QLabel* label1_ = nullptr;
    std::array<QLabel*, 4> lblErrTitel_{};
    std::array<QLabel*, 4> lblError_{};
    std::array<QPushButton*, 4> cmdProtocol_{};
    std::array<QPushButton*, 4> cmdContinue_{};
    QListWidget* lstCallStack_ = nullptr;
};

}  // namespace stellmark
