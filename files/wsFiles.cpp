#include "files/wsFiles.h"

#include <sys/stat.h>

#include "errors/Proc.h"

namespace stellmark::wsFiles {

namespace {
// Existence answers are never failures: any error of the look-up means "no".
bool StatMode(const std::string& path, mode_t& mode)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return false;
    mode = st.st_mode;
    return true;
}

std::size_t CountCharacters(const std::string& text)
{
    std::size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80;  // UTF-8 continuation bytes belong to the character before
    return n;
}
}  // namespace

bool FileExist(const std::string& FileName)
{
    Proc p("[wsFiles] Public Function FileExist(FileName As String) As Boolean", {{"FileName", FileName}});
    mode_t mode = 0;
    return StatMode(FileName, mode) && S_ISREG(mode);
}

bool DirExist(const std::string& DirName)
{
    Proc p("[wsFiles] Public Function DirExist(DirName As String) As Boolean", {{"DirName", DirName}});
    mode_t mode = 0;
    return StatMode(DirName, mode) && (S_ISREG(mode) || S_ISDIR(mode));
}

std::string IsSlash(const std::string& Value)
{
    Proc p("[wsFiles] Public Function IsSlash(Value As String) As String", {{"Value", Value}});
    if (Value.empty() || Value.back() == '/')
        return Value;
    return Value + "/";
}

std::string GetNamePart(const std::string& strIn)
{
    Proc p("[wsFiles] Public Function GetNamePart(strIn As String) As String", {{"strIn", strIn}});
    std::string result;
    return p.Run(result, [&] {
        // The position counter is a signed 16-bit number.
        p.Step([&] {
            if (CountCharacters(strIn) > 32767)
                throw Failure(err::Overflow);
            auto cut = strIn.find_last_of('/');
            result = cut == std::string::npos ? strIn : strIn.substr(cut + 1);
        });
    });
}

}  // namespace stellmark::wsFiles
