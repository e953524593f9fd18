#pragma once
// Where the program keeps its settings, its error protocol and looks for its data files. Two
// forms, told apart by the layout the program finds itself in, never by what it may write (root
// may write anywhere):
// - portable: the release archive's folder (its help file lies beside the program) and any
//   other folder, a build folder included: everything stays beside the program;
// - installed: the program in …/bin with …/share/stellmark beside that bin folder, as a package
//   or `cmake --install --component system` puts it: settings in $XDG_CONFIG_HOME/stellmark,
//   the protocol in $XDG_STATE_HOME/stellmark, data files beside the program or in
//   $XDG_DATA_HOME/stellmark.
#include <functional>
#include <string>
#include <vector>

namespace stellmark::places {

enum class Form { Portable, Installed };

// A variable of the environment, or nothing (unset): tests pass their own.
using Lookup = std::function<const char*(const char*)>;

struct Places {
    Form form = Form::Portable;
    std::string settings;           // folder of the INI file and key of the instance lock
    std::string protocol;           // folder of the error protocol
    std::vector<std::string> data;  // folders searched for the data files, in this order
    std::string shared;             // folder of the help file
};

// The places of a program lying in `programDir` (no trailing "/"). Folders are named without a
// trailing "/"; none is created here.
Places Resolve(const std::string& programDir, const Lookup& env);

// The places of the running program (errors/Program.h), from the real environment.
Places Current();

// The data-file folders to look in: `dataDir` alone when the user named one, else the
// program's candidates.
std::vector<std::string> DataCandidates(const std::string& dataDir = {});

// Where a user should put missing data files: the user's own data folder when installed, the
// program's folder when portable, `dataDir` when named.
std::string DataHome(const std::string& dataDir = {});

// Makes `dir` and its missing parents; the program's own last folder only for this user (0700).
// True when it is a folder afterwards.
bool MakeFolder(const std::string& dir);

}  // namespace stellmark::places
