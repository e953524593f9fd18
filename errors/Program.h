#pragma once
// The running program's own file, folder and version, as the error component and the file
// layer need them. Tests may point the program file elsewhere.
#include <string>

#include "generated/StellmarkVersion.h"

namespace stellmark::program {

// The version as CMakeLists.txt names it, "MAJOR.MINOR.PATCH".
inline constexpr const char* kVersion = STELLMARK_VERSION;

// The program's home page, opened by the link label and the error dialog.
inline constexpr const char* kHomePage = "https://tafelrunde.example.org/";

// Full path of the running executable (links resolved).
std::string File();
// Its folder, without a trailing "/" except for the root.
std::string Dir();
// Its file name without extension.
std::string BaseName();

// Makes File() answer `path` from now on; the empty text restores the real executable.
void OverrideFile(const std::string& path);

}  // namespace stellmark::program
