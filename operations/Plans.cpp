#include "operations/Plans.h"

#include <optional>

#include "core/Layout.h"
#include "operations/Catalogue.h"
#include "operations/Inputs.h"

namespace stellmark::ops {

using Does = Action::Does;
using layout::FlashKind;

namespace {
Plan Cut(std::string name, layout::Region region, int32_t imageClass)
{
    Plan plan;
    plan.kind = Plan::Write;
    plan.initialName = std::move(name);
    auto r = layout::RangeFor(region, imageClass);
    plan.first = r.first;
    plan.last = r.last;
    return plan;
}

Plan Refuse(const Message& message)
{
    Plan plan;
    plan.kind = Plan::Refuse;
    plan.refusal = message;
    return plan;
}

// A data file of another length than a block builds an image of the wrong length, or one that
// lacks its boot loader, and the box does not start from it: such a build is refused.
std::optional<Message> DataFileRefusal(layout::DataFile file, const DataFiles& dataFiles)
{
    if (file == layout::DataFile::None)
        return std::nullopt;
    std::string path = dataFiles.Path(file);
    int64_t length = path.empty() ? -1 : FileLength(path);
    if (length == layout::kBlockSize)
        return std::nullopt;
    std::string what = path.empty() ? std::string("Die Datendatei ") + modMain::DataFileName(file) + " fehlt."
                       : length < 0
                           ? "Die Datendatei '" + path + "' fehlt oder ist nicht lesbar."
                           : "Die Datendatei '" + path + "' ist " + SizeText(length) +
                                 " lang; sie muss genau " + SizeText(layout::kBlockSize) + " lang sein.";
    return Message{what + "\r\nEs wird kein Image erzeugt.", Icon::Exclamation, "Stellmark - Fehler"};
}
}  // namespace

Plan PlanAction(const std::string& actionText, int32_t imageClass, const std::string& sourcePath,
                const DataFiles& dataFiles, const ExpertInput& expert)
{
    const Action* action = FindAction(actionText);
    if (!action)
        return {};
    switch (action->does) {
    case Does::Build: {
        Plan plan;
        plan.kind = Plan::Write;
        plan.initialName = CreateFileName(action->flashKind == FlashKind::k1x ? "1x" : "2x", sourcePath);
        auto build = layout::PlanBuild(action->flashKind, action->withBootLoader, imageClass);
        for (auto file : {build.prevFile, build.prevFile1}) {
            if (auto refusal = DataFileRefusal(file, dataFiles))
                return Refuse(*refusal);
        }
        plan.first = build.range.first;
        plan.last = build.range.last;
        plan.prevFile = dataFiles.Path(build.prevFile);
        plan.prevFile1 = dataFiles.Path(build.prevFile1);
        return plan;
    }
    case Does::Cut:
        if (action->needsBootLoader && !layout::HasBootLoader(imageClass))
            return Refuse(kNoBootLoader);
        return Cut(std::string(action->initialName), action->region, imageClass);
    case Does::NotAvailable: return Refuse(kNotAvailable);
    case Does::Expert: break;
    }
    int64_t start = expert.wide ? GetPosition(expert.start) : GetInputValue(expert.start);
    int64_t end = expert.wide ? GetPosition(expert.end) : GetInputValue(expert.end);
    if (start < 0 || end < 0 || end > expert.imageSize || end <= start)
        return Refuse(kBadRange);
    Plan plan;
    plan.kind = Plan::Write;
    plan.initialName = std::string(action->initialName);
    plan.first = start + 1;
    plan.last = end;
    // The typed range is exact: a range ending at the first byte yields that byte.
    plan.exactEnd = true;
    plan.wide = expert.wide;
    return plan;
}

}  // namespace stellmark::ops
