// info: what a file is, as the window would show it, with the CramFS in its root area.
#include <iostream>

#include "cli/Commands.h"
#include "cli/Output.h"

namespace stellmark::cli {

namespace {
struct InfoReport {
    std::string file;
    ops::DataFiles data;
    std::optional<int32_t> cls;  // none: the data files are missing
    std::string classText;
    int64_t size = 0;
    std::vector<const ops::Action*> offered;
    std::optional<ops::RootArea> root;
};

void Print(const InfoReport& r, bool json)
{
    if (json) {
        Json j = {{"file", r.file},
                  {"class", {{"code", r.cls ? Json(*r.cls) : Json(nullptr)}, {"text", r.classText}}},
                  {"size", SizeJson(r.size)},
                  {"data_files",
                   {{"folder", r.data.folder}, {"found", r.data.Found()}, {"missing", r.data.Missing()}}},
                  {"actions", Json::array()},
                  {"root_cramfs", nullptr}};
        for (const auto* a : r.offered)
            j["actions"].push_back({{"short", a->shortName}, {"text", a->text}});
        if (r.root)
            j["root_cramfs"] = FindingsJson(r.root->findings);
        PrintJson(j);
        return;
    }
    std::cout << r.classText << "\n" << ops::SizeText(r.size) << "\n";
    for (const auto* a : r.offered)
        std::cout << ActionLine(*a);
    if (r.root) {
        std::cout << "Root-Bereich " << ops::HexText(static_cast<int32_t>(r.root->start)) << " bis "
                  << ops::HexText(static_cast<int32_t>(r.root->start + r.root->size - 1)) << ":\n";
        for (const auto& line : r.root->findings.Lines())
            std::cout << "  " << line << "\n";
    }
}
}  // namespace

namespace {
int InfoOne(const Call& call, const std::string& file)
{
    if (!ops::FileExists(file))
        return Missing(file);
    InfoReport r;
    r.file = file;
    r.data = DataFilesFor(call);
    if (r.data.Found())
        r.cls = ops::Classify(file, r.data);
    r.size = ops::FileLength(file);
    if (r.cls)
        r.root = ops::CheckRootArea(file, *r.cls);
    r.classText = r.cls ? ops::ClassText(*r.cls) : "Art unbekannt, die Datendateien fehlen";
    r.offered = ops::Offered(r.cls);
    Print(r, call.Has("json"));
    if (!r.data.Found()) {
        SayDataFilesMissing(r.data);
        return kRefused;
    }
    return kOk;
}
}  // namespace

int Info(const Call& call) { return ForEachFile(call, InfoOne); }

}  // namespace stellmark::cli
