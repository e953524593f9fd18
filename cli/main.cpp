// stellmark-cli: the image operations for scripts and shells, with the window's plans, refusals
// and texts, and the arguments, answers and exit codes of a Linux tool. The commands are rows
// of the table in Table.cpp.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "errors/Pending.h"
#include "errors/frmPanne.h"

using namespace stellmark;
using namespace stellmark::cli;

namespace {
// A failure ends the run at once: what could not be done to which path, plainly, as the last
// thing printed; where it arose only on request. The exit removes every temporary output.
class PrintingPresenter : public ErrorPresenter {
public:
    bool verbose = false;

    int16_t ShowModal(frmPanne& panne) override
    {
        Failure f = panne.HandledFailure().value_or(Failure(0, "", 0));
        std::string what = f.Description() + " (Fehler " + std::to_string(f.Number()) + ")";
        if (f.GetAccess() != Access::None)
            what = Quoted(f.Path()) + " kann nicht " +
                   (f.GetAccess() == Access::Read ? "gelesen" : "geschrieben") + " werden: " + what;
        Say(what);
        if (verbose) {
            const auto& e = panne.lblError();
            std::cerr << "  in " << e[1] << "." << e[2] << ", Zeile " << e[3] << std::endl;
        }
        return kEnd;
    }
};

void EndWithFailure()
{
    pending::UnlinkAll();
    std::fflush(nullptr);
    std::_Exit(kFailed);
}
}  // namespace

int main(int argc, char** argv)
{
    pending::EndOnSignals();
    // A closed pipe is a write error to report, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
    PrintingPresenter presenter;
    frmPanne::Instance().Replace({.presenter = &presenter, .exit = EndWithFailure});

    int code = kFailed;
    bool writesFile = false;
    // Nothing may end the run through std::terminate: whatever escapes is said, and every
    // temporary output is removed.
    try {
        Parsed parsed = Parse(argc, argv);
        code = parsed.exitCode;
        if (parsed.call) {
            presenter.verbose = parsed.call->Has("ausfuehrlich");
            writesFile = parsed.call->command && parsed.call->command->writesFile;
            code = Dispatch(*parsed.call);
        }
    } catch (const std::exception& e) {
        pending::UnlinkAll();
        Say(std::string("interner Fehler: ") + e.what());
        return kFailed;
    } catch (...) {
        pending::UnlinkAll();
        Say("interner Fehler");
        return kFailed;
    }
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        int e = errno;
        std::cerr << kName << ": Schreibfehler auf der Standardausgabe: " << std::strerror(e) << std::endl;
        // The file stands complete; only what was said about it is lost.
        return code == kOk ? (writesFile ? kStdoutFailed : kFailed) : code;
    }
    return code;
}
