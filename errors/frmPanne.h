#pragma once
// The error component without its window: the trace list of recent procedure entries, the
// failure being handled and OnError, which asks the user (through a presenter) how to go on.
#include <array>
#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "errors/Failure.h"
#include "errors/TraceValue.h"

namespace stellmark {

class frmPanne;

// Continuations OnError returns, the index of the continue button pressed.
enum Continuation : int16_t { kRetry = 0, kNext = 1, kLeave = 2, kEnd = 3 };

// What shows the error to the user: the error dialog in the window program, a printer in the
// command-line tool, a scripted chooser in tests.
class ErrorPresenter {
public:
    virtual ~ErrorPresenter() = default;
    // Pointer shape and arrangement of the dialog for the offered continuations.
    virtual void Prepare(frmPanne& panne, int16_t contBits) { (void)panne, (void)contBits; }
    virtual void Beep() {}
    // Shows the dialog modally and returns the index of the continue button pressed.
    virtual int16_t ShowModal(frmPanne& panne) = 0;
};

// The replaceable parts of the failure handler. An empty clock is the local time, an empty
// exit removes pending outputs and ends the process with a failure; without a presenter nobody
// is asked and a procedure is left, without a protocol writer nothing is written.
struct FailureServices {
    ErrorPresenter* presenter = nullptr;
    std::function<std::tm()> clock{};
    // Called at OnError's step 8 (the protocol written before the beep).
    std::function<void(frmPanne&)> protocolWriter{};
    std::function<void()> exit{};
};

class frmPanne {
public:
    static constexpr std::size_t kMaxLines = 40;

    // Captions the dialog shows and the protocol repeats.
    static constexpr const char* kFramFehlerCaption = "Fehlerbeschreibung:";
    static constexpr const char* kFramCallStackCaption = "CallStack:";
    // Title labels beside lblError 0..3.
    static constexpr std::array<const char*, 4> lblErrTitel = {
        "Fehler-Nr:", "Modul:", "Prozedur:", "Zeilen-Nr.:"};

    // The one instance of the run, created on first use and kept until the process ends.
    static frmPanne& Instance();

    void CallStack(const std::string& signature);
    void CallStackParam(const std::string& paramName, const std::string& valueText);
    template <class T>
    void CallStackParam(const std::string& paramName, const T& value)
    {
        CallStackParam(paramName, ValueText(value));
    }

    // Shows the failure being handled and returns the user's choice.
    int16_t OnError(const std::string& AktModul, const std::string& AktProc, int16_t ContBits = 255);

    // Text up to the first NUL; empty when there is none.
    static std::string LPSTRToVBString(const std::string& text);

    // Ends the process at once. Goes through the replaceable exit function.
    void EndProgram();

    const std::deque<std::string>& lstCallStack() const { return lines_; }
    bool Visible() const { return visible_; }
    const std::string& ProgInfo() const { return progInfo_; }
    const std::string& Caption() const { return caption_; }
    int16_t ContinueChoice() const { return continueChoice_; }
    // Value labels of the error frame: number (description), module, procedure, line.
    const std::array<std::string, 4>& lblError() const { return lblError_; }

    void SetHandledFailure(const Failure& failure) { handled_ = failure; }
    // The failure OnError was last asked about, if any.
    const std::optional<Failure>& HandledFailure() const { return handled_; }

    // Puts `services` in place of the ones in use and returns those.
    FailureServices Replace(FailureServices services);
    const FailureServices& Services() const { return services_; }

    // Empties the record and the remembered values; for tests that need a fresh run.
    void ResetForTests();

    std::tm Now() const;

private:
    frmPanne();
    void Insert(std::size_t index, std::string line);

    std::deque<std::string> lines_;
    bool visible_ = false;
    std::string progInfo_;
    std::string caption_ = "ProgInfo - Fehlermeldung";
    int16_t continueChoice_ = 0;
    std::array<std::string, 4> lblError_;
    std::optional<Failure> handled_;
    FailureServices services_;
};

}  // namespace stellmark
