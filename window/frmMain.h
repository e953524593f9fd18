#pragma once
// The main window: every control of the tool at its fixed place, and the event handlers that
// bring the window in line with the chosen image and carry out the chosen action. The controls,
// their places, captions, fonts and colours are laid out in frmMain.ui; what a layout file
// cannot hold (the painted pictures) is here; the stored settings are read and written by
// window/Settings, the drag of the frameless window is window/WindowDrag. The logic
// of the actions lives in operations/; the handlers here read the controls, call it and show
// the result.
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "core/DataFiles.h"
#include "ui_frmMain.h"
#include "window/WindowDrag.h"

class QTimer;

namespace stellmark::platform {
class InstanceLock;
}

namespace stellmark {

// The controls are members by their names (Label1, cmdStart, frmExperte, ...), from the layout.
class frmMain : public QWidget, public Ui::frmMain {
public:
    // Texts the window starts with and compares against.
    static constexpr const char* kNoImageChosen = "kein Image ausgewählt";
    static constexpr const char* kNoCramfsChosen = "kein Image [cramfs] ausgewählt";
    static constexpr int kClientWidth = 398;
    static constexpr int kClientHeight = 318;

    // lock: how another running instance is recognised; none means no check.
    explicit frmMain(platform::InstanceLock* lock = nullptr, QWidget* parent = nullptr);
    ~frmMain() override;

    // Ends the program at once with an exit code; the default leaves the event loops.
    std::function<void(int)> SetEndProgram(std::function<void(int)> end);
    bool Ended() const { return ended_; }
    int ExitCode() const { return exitCode_; }

    // --- Lifecycle
    void Form_Load();
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode);
    void cmdExit_Click();
    void cmdEnde_Click();
    void cmdMin_Click();
    void Command2_Click();

    // --- Image selection, list events, expert range
    void cmdFileOpen_Click();
    // An image named on the command line or dropped onto the window: taken like a pick.
    void OpenImage(const std::string& FileName);
    void MakeSettings();
    void AdvancedSettings();
    void FillCombo(const std::string& Ausschluss = "");
    void Combo1_Click();
    void Check1_Click();

    // --- Start, output naming, CramFS chooser
    void cmdStart_Click();
    std::string FileSaveDialog(const std::string& FileName = "", int16_t Filter = 1);
    void cmdFileCramfs_Click();
    void EnableCramfs();
    void DisableCramfs();

    // --- Dragging, link label, hover timer
    // The MouseDown handler of `control`: the window itself or one of the controls that drag
    // it. False, and nothing reported, for any other control.
    bool MouseDown(const QWidget* control, int16_t Button, int16_t Shift, float X, float Y);
    void Label7_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void Label7_Click();
    void Timer1_Timer();

    // --- Window values
    const std::string& LastDir() const { return LastDir_; }
    int16_t UseOnlyValidImages() const { return UseOnlyValidImages_; }
    bool blnLoading() const { return blnLoading_; }
    bool blnHover() const { return blnHover_; }
    int32_t lngImageSize() const { return lngImageSize_; }
    // True while the window follows the pointer itself (no move by the window system).
    bool MovingItself() const { return drag_.Following(); }

    // --- Controls the layout file cannot hold
    QTimer* Timer1 = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CompleteControls();
    void EndProgram(int code);
    // Sets Check1 from code: 0, 1 or 2 (greyed); anything else is an invalid property value.
    // Raises the click event when the value changes, as a setting from code does.
    void SetCheck1Value(int16_t value);
    void ShowFirstEntry();
    void TakeImage(const std::string& path);
    // The body of both buttons that end the program.
    void CloseAndEnd(const char* signature);
    // The body of EnableCramfs and DisableCramfs.
    void ShowCramfsChooser(const char* signature, bool shown);

    platform::InstanceLock* lock_;
    std::function<void(int)> end_;
    bool ended_ = false;
    int exitCode_ = 0;

    std::string LastDir_;
    int16_t UseOnlyValidImages_ = 1;
    bool blnLoading_ = false;
    bool blnHover_ = false;
    int32_t lngImageSize_ = 0;
    modMain::DataFiles dataFiles_;  // located at start-up, beside the program
    int16_t unloadMode_ = 0;        // 0: closed by the window system, 1: from code
    bool unloaded_ = false;

    window::WindowDrag drag_{this};

    QPixmap* background_ = nullptr;
};

}  // namespace stellmark
