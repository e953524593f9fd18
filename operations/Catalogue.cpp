#include "operations/Catalogue.h"

#include <algorithm>

#include "core/modMain.h"

namespace stellmark::ops {

using Offer = Action::Offer;
using Does = Action::Does;
using layout::FlashKind;
using layout::Region;

const std::array<Action, 16> kActions = {{
    {.text = k1xOhne, .shortName = "1x-ohne", .does = Does::Build, .flashKind = FlashKind::k1x},
    {.text = k2xOhne, .shortName = "2x-ohne", .does = Does::Build, .flashKind = FlashKind::k2x},
    {.text = k1xMit,
     .shortName = "1x-mit",
     .does = Does::Build,
     .flashKind = FlashKind::k1x,
     .withBootLoader = true},
    {.text = k2xMit,
     .shortName = "2x-mit",
     .does = Does::Build,
     .flashKind = FlashKind::k2x,
     .withBootLoader = true},
    {.text = k1xExtract,
     .shortName = "1x-block",
     .offer = Offer::IfTag,
     .tag = "1x",
     .does = Does::Cut,
     .region = Region::FlashKind,
     .initialName = "1xFile"},
    {.text = k2xExtract,
     .shortName = "2x-block",
     .offer = Offer::IfTag,
     .tag = "2x",
     .does = Does::Cut,
     .region = Region::FlashKind,
     .initialName = "2xFile"},
    {.text = kBootExtract,
     .shortName = "bootloader",
     .offer = Offer::IfTag,
     .tag = "mit",
     .does = Does::Cut,
     .region = Region::BootLoader,
     .initialName = "br_boot",
     .needsBootLoader = true},
    {.text = kExpert, .shortName = "bereich", .does = Does::Expert, .initialName = "expert"},
    {.text = kRootExtract,
     .shortName = "root",
     .does = Does::Cut,
     .region = Region::Root,
     .initialName = "cramfs"},
    {.text = kRootInsert, .shortName = "root-einfuegen"},
    {.text = kIdxfsExtract, .offer = Offer::Never, .does = Does::Cut, .region = Region::BodyRemainder},
    {.text = kVarExtract, .offer = Offer::Never},
    {.text = kPpcbootExtract, .offer = Offer::Never},
    {.text = kIdxfsInsert, .offer = Offer::Never},
    {.text = kVarInsert, .offer = Offer::Never},
    {.text = kPpcbootInsert, .offer = Offer::Never},
}};

const Action* FindAction(std::string_view text)
{
    for (const auto& action : kActions)
        if (action.text == text)
            return &action;
    return nullptr;
}

std::vector<std::string> ComboEntries(const std::string& Ausschluss)
{
    std::vector<std::string> list;
    for (const auto& action : kActions) {
        if (action.offer == Offer::Always ||
            (action.offer == Offer::IfTag && Ausschluss.find(action.tag) != std::string::npos))
            list.emplace_back(action.text);
    }
    if (!Ausschluss.empty())
        std::erase_if(list,
                      [&](const std::string& entry) { return entry.find(Ausschluss) != std::string::npos; });
    return list;
}

ListState ListFor(bool fileChosen, int32_t imageClass, int16_t useOnlyValidImages)
{
    if (!fileChosen)
        return {};
    if (useOnlyValidImages != 1)
        return {{std::string(kExpert)}, true, true};
    if (imageClass == modMain::kNoImage)
        return {};
    return {ComboEntries(modMain::ClassText(imageClass)), true, true};
}

}  // namespace stellmark::ops
