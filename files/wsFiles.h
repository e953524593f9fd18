#pragma once
// The program's small file-system and settings layer: path helpers and the INI functions.
// Paths use "/" as the only separator; a backslash is an ordinary character of a name.
#include <cstdint>
#include <string>

namespace stellmark::wsFiles {

// True for an existing regular file (links followed). Never raises.
bool FileExist(const std::string& FileName);
// True for an existing regular file or directory (links followed). Never raises.
bool DirExist(const std::string& DirName);
// The text with exactly one "/" at its end; the empty text stays empty.
std::string IsSlash(const std::string& Value);
// The text behind the last "/", or the whole text when it holds none.
std::string GetNamePart(const std::string& strIn);

// INI functions of the settings store.
std::string GetIni(const std::string& Bereich, const std::string& Eintrag, const std::string& File);
int32_t WriteIni(const std::string& Bereich, const std::string& Eintrag, const std::string& Wert,
                 const std::string& File);
std::string GI(const std::string& Bereich, const std::string& Eintrag);
int32_t WI(const std::string& Bereich, const std::string& Eintrag, const std::string& Wert);
std::string GetIniFile();
// Forgets the cached INI path, so that the next GI or WI works it out anew (tests only).
void ResetIniFileForTests();

}  // namespace stellmark::wsFiles
