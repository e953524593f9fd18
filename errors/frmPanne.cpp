#include "errors/frmPanne.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "errors/Pending.h"
#include "errors/Program.h"

namespace stellmark {

namespace {
std::tm LocalNow()
{
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

void DefaultExit()
{
    pending::UnlinkAll();
    std::_Exit(EXIT_FAILURE);
}
}  // namespace

frmPanne::frmPanne() = default;

frmPanne& frmPanne::Instance()
{
    static frmPanne instance;
    return instance;
}

std::tm frmPanne::Now() const { return services_.clock ? services_.clock() : LocalNow(); }

void frmPanne::Insert(std::size_t index, std::string line)
{
    if (index > lines_.size())
        index = lines_.size();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
    if (lines_.size() > kMaxLines)
        lines_.pop_back();
}

void frmPanne::CallStack(const std::string& signature)
{
    if (visible_)
        return;
    std::tm tm = Now();
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d ", tm.tm_hour, tm.tm_min, tm.tm_sec);
    Insert(0, stamp + signature);
}

void frmPanne::CallStackParam(const std::string& paramName, const std::string& valueText)
{
    if (visible_)
        return;
    Insert(1, "\t" + paramName + ":\t" + valueText);
}

int16_t frmPanne::OnError(const std::string& AktModul, const std::string& AktProc, int16_t ContBits)
{
    Failure f = handled_.value_or(Failure(0, "", 0));
    lblError_[0] = std::to_string(f.Number()) + " (" + f.Description() + ")";
    lblError_[1] = AktModul;
    lblError_[2] = AktProc;
    lblError_[3] = std::to_string(f.Line());
    if (progInfo_.empty())
        progInfo_ = program::BaseName() + "  V" + program::kVersion;
    caption_ = progInfo_ + " - Fehlermeldung";
    // A presenter replaced while it shows keeps this failure to the end.
    ErrorPresenter* const presenter = services_.presenter;
    if (presenter)
        presenter->Prepare(*this, ContBits);
    if (services_.protocolWriter)
        services_.protocolWriter(*this);
    if (presenter)
        presenter->Beep();
    // Without a presenter nobody can be asked: leaving the procedure loses nothing.
    int16_t choice = kLeave;
    if (presenter) {
        // A failure while the dialog already shows must not switch recording back on.
        bool wasVisible = std::exchange(visible_, true);
        choice = presenter->ShowModal(*this);
        visible_ = wasVisible;
    }
    continueChoice_ = choice;
    return choice;
}

std::string frmPanne::LPSTRToVBString(const std::string& text)
{
    auto p = text.find('\0');
    return p == std::string::npos ? std::string() : text.substr(0, p);
}

void frmPanne::EndProgram() { services_.exit ? services_.exit() : DefaultExit(); }

FailureServices frmPanne::Replace(FailureServices services)
{
    std::swap(services_, services);
    return services;
}

void frmPanne::ResetForTests()
{
    lines_.clear();
    visible_ = false;
    progInfo_.clear();
    caption_ = "ProgInfo - Fehlermeldung";
    continueChoice_ = 0;
    lblError_ = {};
    handled_.reset();
}

}  // namespace stellmark
