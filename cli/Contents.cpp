// inhalt and karte: what a CramFS holds, entry by entry, and what each region of an image holds;
// and the loop over several files that info, cramfs and inhalt share.
#include <iostream>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "operations/ImageMap.h"
#include "operations/Examine.h"

namespace stellmark::cli {

int ForEachFile(const Call& call, int (*one)(const Call& call, const std::string& file))
{
    const bool several = call.operands.size() > 1, json = call.Has("json");
    SetJsonLines(several && json);
    int worst = kOk;
    for (std::size_t i = 0; i < call.operands.size(); ++i) {
        if (several && !json)
            std::cout << (i ? "\n" : "") << call.operands[i] << ":\n";
        std::cout.flush();  // the block's name before any message about it
        worst = std::max(worst, one(call, call.operands[i]));
    }
    return worst;
}

namespace {
Json EntryJson(const ops::CramfsTree& tree, std::size_t i)
{
    const ops::CramfsEntry& e = tree.entries[i];
    Json j = {{"path", tree.PathOf(i)},
              {"kind", std::string(1, e.Kind())},
              {"permissions", tree.Line(i).substr(0, 10)},
              {"mode", e.mode},
              {"uid", e.uid},
              {"gid", e.gid},
              {"size", e.size}};
    if (e.Kind() == 'l')
        j["target"] = e.target;
    return j;
}

int InhaltOne(const Call& call, const std::string& file)
{
    if (!ops::FileExists(file))
        return Missing(file);
    const ops::Contents c = ops::ReadContents(file, DataFilesFor(call));
    const ops::CramfsFindings& f = c.tree.findings;
    if (call.Has("json")) {
        Json j = {{"file", file},
                  {"root_area", c.imageClass ? Json(c.start) : Json(nullptr)},
                  {"cramfs", FindingsJson(f)},
                  {"entries", Json::array()}};
        for (std::size_t i = 0; i < c.tree.entries.size(); ++i)
            j["entries"].push_back(EntryJson(c.tree, i));
        PrintJson(j);
    } else {
        for (std::size_t i = 0; i < c.tree.entries.size(); ++i)
            std::cout << c.tree.Line(i) << "\n";
    }
    std::cout.flush();
    const std::string where = c.imageClass ? " im Root-Bereich von " : " ";
    if (!f.found)
        Say(Quoted(file) + " enthält" + (c.imageClass ? " im Root-Bereich" : "") + " kein CramFS");
    else if (!f.Intact())
        Say("CramFS" + where + Quoted(file) + " nicht intakt: " + ops::CramfsProblem(f));
    return f.Intact() ? kOk : kRefused;
}
}  // namespace

int Inhalt(const Call& call) { return ForEachFile(call, InhaltOne); }

int Karte(const Call& call)
{
    const std::string& file = call.operands[0];
    if (!ops::FileExists(file))
        return Missing(file);
    const ops::DataFiles data = DataFilesFor(call);
    if (!data.Found()) {
        SayDataFilesMissing(data);
        return kRefused;
    }
    const int32_t cls = ops::Classify(file, data);
    if (!ops::IsValidClass(cls)) {
        Say(Quoted(file) + " ist kein gültiges Image");
        return kRefused;
    }
    const auto regions = ops::MapImage(file, cls, data);
    bool sound = false;
    Json j = {{"file", file},
              {"class", {{"code", cls}, {"text", ops::ClassText(cls)}}},
              {"regions", Json::array()}};
    if (!call.Has("json"))
        std::cout << ops::ClassText(cls) << "\n";
    for (const auto& r : regions) {
        if (r.cramfs)
            sound = r.cramfs->Sound();
        if (call.Has("json")) {
            Json region = {{"name", r.name},
                           {"start", r.start},
                           {"end", r.end},
                           {"size", SizeJson(r.Size())},
                           {"holds", r.Holds()}};
            if (r.region == layout::Region::BootLoader || r.region == layout::Region::FlashKind)
                region["equal_to"] = r.equalTo.empty() ? Json(nullptr) : Json(r.equalTo);
            else
                region["erased"] = r.erased;
            if (r.region == layout::Region::BodyTail)
                region["magic"] = r.magic.empty() ? Json(nullptr) : Json(r.magic);
            if (r.cramfs)
                region["cramfs"] = FindingsJson(*r.cramfs);
            j["regions"].push_back(region);
            continue;
        }
        std::cout << ops::HexText(static_cast<int32_t>(r.start)) << " bis "
                  << ops::HexText(static_cast<int32_t>(r.end)) << "  " << ops::SizeText(r.Size()) << "  "
                  << r.name << ": " << r.Holds() << "\n";
        if (r.cramfs && r.cramfs->found)
            for (const auto& line : r.cramfs->Lines())
                std::cout << "    " << line << "\n";
    }
    if (call.Has("json"))
        PrintJson(j);
    return sound ? kOk : kRefused;
}

}  // namespace stellmark::cli
