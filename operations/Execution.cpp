#include "operations/Execution.h"

#include <sys/stat.h>

#include "core/modMain.h"
#include "operations/OutputGuard.h"

namespace stellmark::ops {

std::optional<Outcome> GuardOutput(const std::vector<std::string>& inputs, const std::string& output,
                                   const DataFiles& dataFiles, Overwrite overwrite)
{
    for (const std::string& input : inputs)
        if (SameFile(input, output))
            return Outcome{Outcome::Refused, kSameFile};
    if (auto refusal = OutputRefusal(output, dataFiles))
        return Outcome{Outcome::Refused, *refusal};
    struct stat st {};
    if (overwrite == Overwrite::Refuse && ::lstat(output.c_str(), &st) == 0)
        return Outcome{Outcome::Exists, {}};
    return std::nullopt;
}

Outcome Execute(const Plan& plan, const DataFiles& dataFiles, const std::string& source,
                const std::string& output, Overwrite overwrite)
{
    if (plan.kind == Plan::Refuse)
        return {Outcome::Refused, plan.refusal};
    if (plan.kind != Plan::Write || output.empty())
        return {Outcome::Failed, {}};
    if (auto guarded = GuardOutput({source}, output, dataFiles, overwrite))
        return *guarded;
    // No deletion beforehand: an old file stays whole until the new one takes its name.
    std::vector<std::string> notes;
    auto result = modMain::CopyFile(
        source, output, plan.first, plan.last, plan.prevFile, plan.prevFile1, "",
        {plan.exactEnd ? modMain::EndRule::Exact : modMain::EndRule::Sentinel, overwrite, &notes, plan.wide});
    switch (result) {
    case modMain::CopyResult::Written: return {Outcome::Written, {}, std::move(notes)};
    case modMain::CopyResult::NameTaken: return {Outcome::Exists, {}};
    case modMain::CopyResult::Skipped: return {Outcome::NotWritten, NotWrittenMessage(output)};
    case modMain::CopyResult::Failed: break;
    }
    return {Outcome::Failed, {}};
}

Outcome Start(Proc& owner, const Request& request, const OutputChooser& chooseOutput)
{
    int32_t imageClass = request.imageClass ? *request.imageClass : 0;
    if (!request.imageClass)
        owner.Step([&] { imageClass = modMain::ImageTest(request.source, request.dataFiles); });
    Plan plan = PlanAction(request.actionText, imageClass, request.source, request.dataFiles, request.expert);
    if (plan.kind == Plan::Nothing)
        return {Outcome::Nothing, {}};
    if (plan.kind == Plan::Refuse)
        return {Outcome::Refused, plan.refusal};
    Choice choice = chooseOutput(plan.initialName);
    if (choice.path.empty())
        return {Outcome::Cancelled, {}};
    return Execute(plan, request.dataFiles, request.source, choice.path, choice.overwrite);
}

}  // namespace stellmark::ops
