#pragma once
// The running program's own file, folder and version, as the error component and the file
// layer need them. Tests may point the program file elsewhere.
#include <string>

namespace stellmark::program {

inline constexpr int kMajor = 0;
inline constexpr int kMinor = 1;
inline constexpr int kRevision = 1;

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
