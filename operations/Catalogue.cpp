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

std::vector<const Action*> Offered(std::optional<int32_t> imageClass)
{
    bool valid = imageClass && *imageClass != modMain::kNoImage;
    std::vector<const Action*> list;
    for (const auto& text : ListFor(true, imageClass.value_or(modMain::kNoImage), valid ? 1 : 0).entries)
        list.push_back(FindAction(text));
    return list;
}

int32_t BuiltClass(const Action& action)
{
    return (action.withBootLoader ? 10 : 20) + (action.flashKind == FlashKind::k1x ? 1 : 2);
}

namespace {
std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::size_t Distance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}
}  // namespace

const Action* FindByName(const std::string& name)
{
    if (const auto* a = FindAction(name))
        return a;
    for (const auto& a : kActions)
        if (!a.shortName.empty() && Lower(name) == a.shortName)
            return &a;
    return nullptr;
}

const Action* NearMiss(const std::string& name)
{
    const Action* best = nullptr;
    std::size_t bestDistance = 3;  // farther than two edits is no near miss
    for (const auto& a : kActions) {
        for (std::string_view candidate : {a.shortName, a.text}) {
            if (candidate.empty())
                continue;
            std::size_t d = Distance(Lower(name), Lower(candidate));
            if (d < bestDistance)
                bestDistance = d, best = &a;
        }
    }
    return best;
}

}  // namespace stellmark::ops
