// run: one action, as the window's Start button carries it out, with a summary of what was written.
#include <algorithm>
#include <iostream>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Progress.h"
#include "errors/Proc.h"
#include "operations/RootInsert.h"

namespace stellmark::cli {

std::string RunActions()
{
    std::string text = "\nAktionen:\n";
    for (const auto& a : ops::kActions)
        if (!a.shortName.empty())
            text += ActionLine(a);
    return text + "\n"
                  "Dauert ein Lauf länger als eine Sekunde, zeigt eine Zeile auf stderr den\n"
                  "Fortschritt („schreiben 42 % (12,3 MiB/s)“, dann „prüfen …“, das Lesen zum\n"
                  "Vergleich) – nur auf einem Terminal, nie in Pipes oder Dateien, nie mit --quiet.\n"
                  "Nach dem Schreiben nennt eine Zeile Pfad, Größe und bei gebauten Images deren Art.\n"
                  "Ist ein gebautes Image nicht von der Art, die die Aktion baut (Datendateien\n"
                  "vertauscht oder falsch), folgen eine Warnung und Rückgabewert 4.\n";
}

namespace {
// Why the action is not for this source, as one message; empty when it is offered.
int RefuseUnoffered(const ops::Action& action, const std::string& source, const ops::DataFiles& data,
                    std::optional<int32_t> cls, const std::vector<const ops::Action*>& offered)
{
    if (!data.Found()) {
        SayDataFilesMissing(data);
        Say("ohne sie ist die Art von " + Quoted(source) + " unbekannt; möglich ist nur bereich.");
        return kRefused;
    }
    std::string list;
    for (const auto* a : offered)
        list += std::string(list.empty() ? "" : ", ") + std::string(a->shortName);
    Say(Named(action) + " ist für " + Quoted(source) + " (" + ops::ClassText(*cls) +
        ") nicht möglich.\nMöglich: " + list);
    return kRefused;
}

// What the user is told when the output was not written, and the exit code; kOk when it was.
int SayOutcome(const ops::Outcome& outcome, const std::string& output)
{
    switch (outcome.kind) {
    case ops::Outcome::Written: return kOk;
    case ops::Outcome::Refused: Say(outcome.message.text); return kRefused;
    case ops::Outcome::Exists:
        Say("Die Datei " + Quoted(output) + " ist schon vorhanden. Zum Überschreiben --force angeben.");
        return kRefused;
    case ops::Outcome::NotWritten: Say(outcome.message.text); return kFailed;
    case ops::Outcome::Cancelled:
    case ops::Outcome::Nothing:
    case ops::Outcome::Failed: break;
    }
    Say(Quoted(output) + " wurde nicht geschrieben.");
    return kFailed;
}

// The summary line and, for a build that is not of the class it should be, the warning.
int PrintWritten(const Call& call, const ops::Action& action, const std::string& output,
                 const ops::DataFiles& data)
{
    std::string summary = "geschrieben: " + Quoted(output) + " " + ops::SizeText(ops::FileLength(output));
    int code = kOk;
    if (action.does == ops::Action::Does::Build) {
        int32_t built = ops::Classify(output, data);
        int32_t wanted = ops::BuiltClass(action);
        summary += ", " + ops::ClassText(built);
        if (built != wanted) {
            Say("Warnung: " + Quoted(output) + " ist kein \"" + ops::ClassText(wanted) + "\", sondern \"" +
                ops::ClassText(built) + "\". Die Datendateien in " + Quoted(data.folder) +
                " sind vertauscht oder falsch.");
            code = kWrongClass;
        }
    }
    if (!call.Has("quiet"))
        std::cout << summary << "\n";
    return code;
}
// root-einfuegen, which only the command line carries out: the window answers it as before.
int RunRootInsert(const Call& call, const std::string& source, const std::string& output)
{
    const auto cramfs = call.Value("cramfs");
    if (!cramfs || cramfs->empty())
        return Usage("root-einfuegen braucht --cramfs DATEI", "run");
    if (call.Has("start") || call.Has("end"))
        return Usage("--start und --end gelten nur für bereich", "run");
    if (output.empty())
        return Usage("AUSGABE ist leer", "run");
    for (const std::string* file : {&source, &*cramfs})
        if (!ops::FileExists(*file))
            return Missing(*file);
    const ops::DataFiles data = DataFilesFor(call);
    if (!data.Found()) {
        SayDataFilesMissing(data);
        return kRefused;
    }
    const int32_t cls = ops::Classify(source, data);
    const ops::RootInsertCheck check = ops::CheckRootInsert(source, cls, *cramfs);
    Proc p("[stellmark-cli] run");
    ops::Outcome outcome;
    {
        ProgressPrinter progress(call.Has("quiet"));
        p.Run([&] {
            outcome = ops::InsertRoot(check, source, *cramfs, output, data,
                                      call.Has("force") ? Overwrite::Replace : Overwrite::Refuse);
        });
    }
    if (int code = SayOutcome(outcome, output); code != kOk)
        return code;
    // Classified after the write like every build: it must be what the source was.
    const int32_t built = ops::Classify(output, data);
    if (!call.Has("quiet"))
        std::cout << "geschrieben: " + Quoted(output) + " " + ops::SizeText(ops::FileLength(output)) + ", " +
                         ops::ClassText(built) + "\n";
    if (built != cls) {
        Say("Warnung: " + Quoted(output) + " ist kein \"" + ops::ClassText(cls) + "\", sondern \"" +
            ops::ClassText(built) + "\".");
        return kWrongClass;
    }
    return kOk;
}
}  // namespace

int Run(const Call& call)
{
    const std::string &actionName = call.operands[0], &source = call.operands[1], &output = call.operands[2];
    const ops::Action* action = ops::FindByName(actionName);
    if (!action) {
        const ops::Action* near = ops::NearMiss(actionName);
        return Usage("unbekannte Aktion \"" + actionName + "\"." +
                         (near ? " Meinten Sie " + Named(*near) + "?" : ""),
                     "run");
    }
    if (action->text == ops::kRootInsert)
        return RunRootInsert(call, source, output);
    if (call.Has("cramfs"))
        return Usage("--cramfs gilt nur für root-einfuegen", "run");
    bool expert = action->does == ops::Action::Does::Expert;
    if (!expert && (call.Has("start") || call.Has("end")))
        return Usage("--start und --end gelten nur für bereich", "run");
    if (output.empty())
        return Usage("AUSGABE ist leer", "run");
    if (!ops::FileExists(source))
        return Missing(source);
    // What the window answers for every file, offered or not.
    if (action->does == ops::Action::Does::NotAvailable) {
        Say(ops::kNotAvailable.text);
        return kRefused;
    }

    ops::DataFiles data = DataFilesFor(call);
    std::optional<int32_t> cls;
    if (data.Found())
        cls = ops::Classify(source, data);
    auto offered = ops::Offered(cls);
    if (std::find(offered.begin(), offered.end(), action) == offered.end())
        return RefuseUnoffered(*action, source, data, cls, offered);

    // Field by field: gcc 12 at -O3 takes the braced form's empty expert input for uninitialised.
    ops::Request request;
    request.actionText = std::string(action->text);
    request.source = source;
    request.imageClass = cls.value_or(0);
    request.dataFiles = data;
    if (expert) {
        // Measured now, as the window measures it when the expert entry is shown, but in 64 bits:
        // the command line takes files of any size. The range is never shifted.
        request.expert.imageSize = ops::FileLength(source);
        request.expert.start = call.Value("start").value_or("0");
        request.expert.end = call.Value("end").value_or(std::to_string(request.expert.imageSize));
        request.expert.wide = true;
        request.imageClass = 0;
    }

    Proc p("[stellmark-cli] run");
    ops::Outcome outcome;
    {
        // Gone, with its line, before anything is said about the outcome.
        ProgressPrinter progress(call.Has("quiet"));
        p.Run([&] {
            // Without --force "no overwrite" holds up to the moment the result takes its name.
            outcome = ops::Start(p, request, [&](const std::string&) {
                return ops::Choice{output, call.Has("force") ? Overwrite::Replace : Overwrite::Refuse};
            });
        });
    }
    if (int code = SayOutcome(outcome, output); code != kOk)
        return code;
    for (const auto& note : outcome.notes)
        Say(note);
    return PrintWritten(call, *action, output, data);
}

}  // namespace stellmark::cli
