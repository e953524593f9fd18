#pragma once
// What every command prints with: exit codes, lines on stderr, JSON on stdout, and the data
// files as the command line locates and reports them.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "cli/Table.h"
#include "operations/Actions.h"

namespace stellmark::cli {

using Json = nlohmann::ordered_json;

enum Exit {
    kOk = 0,            // written, in the limit, classified
    kRefused = 1,       // refused, too large, not a sound CramFS, class unknown
    kUsage = 2,         // the call itself is wrong
    kFailed = 3,        // a failure, or the output was not written
    kWrongClass = 4,    // written, but the built image is not of the class its action builds
    kStdoutFailed = 5,  // the output file was written, but standard output could not be
};

inline constexpr const char* kName = "stellmark-cli";
inline constexpr const char* kBugReports = "https://github.com/stellmark/stellmark/issues";

// Terminal lines end in LF; the program's CR LF texts are converted on the way out.
std::string Lines(std::string text);
// "stellmark-cli: TEXT" on stderr.
void Say(const std::string& text);
std::string Quoted(const std::string& path);
// A usage error: the problem and where help is; exit 2.
int Usage(const std::string& problem, const std::string& command = "");

// A source that cannot be read as a file; exit 3.
int Missing(const std::string& path);

// The data files of a call: --data-dir, else the program's own folder.
ops::DataFiles DataFilesFor(const Call& call);
void SayDataFilesMissing(const ops::DataFiles& data);

// "  1x-block        1x extrahieren": short name and full text in two columns.
std::string ActionLine(const ops::Action& action);
// An action as a refusal names it: short name and text, or the quoted text alone.
std::string Named(const ops::Action& action);

Json SizeJson(int64_t size);
Json FindingsJson(const ops::CramfsFindings& findings);
// One JSON document on stdout, indented, with a line end; on one line where several follow.
void PrintJson(const Json& json);
void SetJsonLines(bool on);

}  // namespace stellmark::cli
