#include "cli/Output.h"

#include <iostream>

#include "cli/Progress.h"
#include "errors/Places.h"
#include "errors/Program.h"

namespace stellmark::cli {

std::string Lines(std::string text)
{
    // A CR before an LF goes; copying forward keeps it one pass (and clear of gcc's -Wrestrict).
    std::size_t to = 0;
    for (std::size_t from = 0; from < text.size(); ++from)
        if (!(text[from] == '\r' && from + 1 < text.size() && text[from + 1] == '\n'))
            text[to++] = text[from];
    text.resize(to);
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

void Say(const std::string& text)
{
    ClearProgress();
    std::cerr << kName << ": " << Lines(text) << std::endl;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

int Usage(const std::string& problem, const std::string& command)
{
    Say(problem);
    std::cerr << "Hilfe: stellmark-cli " << (command.empty() ? "" : command + " ") << "--help" << std::endl;
    return kUsage;
}

int Missing(const std::string& path)
{
    if (auto what = ops::NotAFile(path)) {
        Say(*what + ".");
        return kFailed;
    }
    Say(Quoted(path) + " kann nicht gelesen werden: Datei nicht gefunden (Fehler 53)");
    return kFailed;
}

ops::DataFiles DataFilesFor(const Call& call)
{
    return ops::LocateDataFiles(places::DataCandidates(call.Value("data-dir").value_or("")));
}

void SayDataFilesMissing(const ops::DataFiles& data)
{
    // Missing ones in one line; what stands under the others' names, one line each.
    std::string names, others;
    for (std::size_t i = 0; i < data.states.size(); ++i) {
        if (data.states[i].is == ops::DataFileState::Is::Missing)
            names += (names.empty() ? "" : ", ") + std::string(ops::kDataFileNames[i]);
        else if (data.states[i].is != ops::DataFileState::Is::File)
            others += Quoted(data.folder + ops::kDataFileNames[i]) + " " + data.Problem(i) + ".\n";
    }
    Say((names.empty() ? ""
                       : "im Ordner " + Quoted(data.folder) + " fehlen die Datendateien " + names + ".\n") +
        others + "Mit --data-dir ORDNER lässt sich der Ordner angeben, in dem sie liegen.");
}

std::string ActionLine(const ops::Action& a)
{
    std::string name(a.shortName);
    return "  " + name + std::string(name.size() < 16 ? 16 - name.size() : 1, ' ') + std::string(a.text) +
           "\n";
}

std::string Named(const ops::Action& a)
{
    // Appended piece by piece: gcc 12 at -O3 warns (-Wrestrict) about "x" + std::string(...).
    std::string named;
    if (a.shortName.empty())
        named.append("\"").append(a.text).append("\"");
    else
        named.append(a.shortName).append(" (").append(a.text).append(")");
    return named;
}

Json SizeJson(int64_t size) { return {{"bytes", size}, {"text", ops::SizeText(size)}}; }

Json FindingsJson(const ops::CramfsFindings& f)
{
    return {{"found", f.found},
            {"big_endian", f.bigEndian},
            {"offset", f.offset},
            {"signature", f.signature},
            {"stated_size", f.statedSize},
            {"available", f.available},
            {"fits", f.fits},
            {"complete", f.complete},
            {"crc",
             {{"present", f.crcPresent},
              {"checked", f.crcChecked},
              {"ok", f.crcOk},
              {"stored", f.crcStored},
              {"computed", f.crcComputed}}},
            {"flags", f.flags},
            {"unknown_flags", f.UnknownFlags()},
            {"full_check", f.deep},
            {"entries", f.deep ? Json(f.entries) : Json(nullptr)},
            {"holes", f.holeBlocks},
            {"fault", f.fault.empty() ? Json(nullptr) : Json(f.fault)},
            {"intact", f.Intact()},
            {"sound", f.Sound()},
            {"lines", f.Lines()}};
}

namespace {
bool jsonLines = false;
}

void SetJsonLines(bool on) { jsonLines = on; }

// Names are bytes; JSON is UTF-8: bytes that are no UTF-8 become U+FFFD instead of ending the run.
void PrintJson(const Json& json)
{
    std::cout << json.dump(jsonLines ? -1 : 2, ' ', false, Json::error_handler_t::replace) << "\n";
}

}  // namespace stellmark::cli
