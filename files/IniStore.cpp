// The settings store: single values of an INI file, read and written with the behaviour of the
// host platform's profile functions (IniText.h): a write changes one line and keeps every other
// byte of the file. Failures of the file itself are no errors here: a read that finds nothing
// gives the empty text, a write that cannot be done gives 0.
#include <unistd.h>

#include <filesystem>
#include <string_view>
#include <system_error>

#include "files/BinaryFile.h"
#include "files/IniText.h"
#include "errors/Proc.h"
#include "errors/Places.h"
#include "errors/Program.h"
#include "files/wsFiles.h"

namespace stellmark::wsFiles {

namespace {

// Full path of the program's INI file, worked out on the first GI or WI of the run.
std::string strIniFile;

// The reader's buffer: 254 characters and the terminating zero.
constexpr std::size_t kReadBuffer = 255;

enum class Source { Read, Missing, Unreadable };

// Reads the whole file into `bytes`. A file that is not there (or whose folder is not) is
// `Missing`; one that is there but cannot be read must not be replaced by a write. A file of
// two-byte characters is not one this store can edit line by line.
Source Load(const std::string& path, std::string& bytes)
{
    bytes.clear();
    try {
        BinaryFile file;
        file.OpenRead(path);
        bytes.resize(static_cast<std::size_t>(file.Length()));
        bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
        file.Close();
    } catch (const Failure& failure) {
        int n = failure.Number();
        bool missing = n == err::FileNotFound || n == err::PathNotFound;
        return missing ? Source::Missing : Source::Unreadable;
    }
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return Source::Unreadable;
    return Source::Read;
}

// Bytes in the first `limit` characters of UTF-8 text. A byte that starts no well-formed
// sequence counts as one character, so text in another encoding is cut by bytes.
std::size_t PrefixBytes(const std::string& text, std::size_t limit)
{
    auto sequence = [&](std::size_t at) -> std::size_t {
        auto lead = static_cast<unsigned char>(text[at]);
        std::size_t n = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 1;
        if (at + n > text.size())
            return 1;
        for (std::size_t i = 1; i < n; ++i)
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
                return 1;
        return n;
    };
    std::size_t at = 0;
    for (std::size_t count = 0; at < text.size() && count < limit; ++count)
        at += sequence(at);
    return at;
}

std::string ReadValue(const std::string& file, const std::string& section, const std::string& key)
{
    if (section.empty() || key.empty())
        return {};
    std::string bytes;
    if (Load(file, bytes) != Source::Read)
        return {};
    return ini::Find(bytes, section, key).value_or("");
}

// Texts that would break the line structure of the file, so that the value could not be read
// back as written or would plant other keys and sections (a folder name may hold a line break).
bool FitsOneLine(const std::string& text)
{
    return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

bool Storable(const std::string& section, const std::string& key, const std::string& value)
{
    auto first = section.find_first_not_of(" \t");
    if (first == std::string::npos || !FitsOneLine(section) || section.find(']') != std::string::npos)
        return false;
    if (key.empty())
        return true;
    // A key read back as a comment, a section or nothing at all would be lost.
    first = key.find_first_not_of(" \t");
    if (first == std::string::npos || !FitsOneLine(key) || key.find('=') != std::string::npos ||
        std::string_view("[;#").find(key[first]) != std::string_view::npos)
        return false;
    return value.empty() || FitsOneLine(value);
}

// The write of the platform's profile function. True on success.
bool Write(const std::string& file, const std::string& section, const std::string& key,
           const std::string& value)
{
    enum {
        DeleteSection,
        DeleteKey,
        Set
    } change = key.empty()     ? DeleteSection
               : value.empty() ? DeleteKey
                               : Set;
    if (!Storable(section, key, change == Set ? value : std::string()))
        return false;
    std::string before;
    // A file that stands there but cannot be read is never replaced by one without its contents.
    const Source source = Load(file, before);
    if (source == Source::Unreadable)
        return false;

    std::optional<std::string> after;
    switch (change) {
    case DeleteSection: after = ini::DeleteSection(before, section); break;
    case DeleteKey: after = ini::DeleteKey(before, section, key); break;
    case Set: after = ini::Set(before, section, key, value); break;
    }
    // Nothing to change: the file stays as it is, and a missing one is not made.
    if (!after || (source == Source::Read && *after == before))
        return true;

    try {
        // Written beside the file and renamed over it: a crash never leaves half a file. The
        // replaced file passes on its mode and owner; one the user made read-only is left alone.
        TempOutput out;
        out.Create(file);
        out.WriteAt(0, after->data(), after->size());
        return out.Commit(Overwrite::Replace);
    } catch (const Failure&) {
        return false;
    }
}

}  // namespace

std::string GetIni(const std::string& Bereich, const std::string& Eintrag, const std::string& File)
{
    Proc p("[wsFiles] Public Function GetIni(Bereich As String, Eintrag As String, File As "
           "String) As String",
           {{"Bereich", Bereich}, {"Eintrag", Eintrag}, {"File", File}});
    std::string result;
    return p.Run(result, [&] {
        std::string value;
        p.Step([&] { value = ReadValue(File, Bereich, Eintrag); });
        p.Step([&] { result = value.substr(0, PrefixBytes(value, kReadBuffer - 1)); });
    });
}

int32_t WriteIni(const std::string& Bereich, const std::string& Eintrag, const std::string& Wert,
                 const std::string& File)
{
    Proc p("[wsFiles] Public Function WriteIni(Bereich As String, Eintrag As String, Wert As "
           "String, File As String) As Long",
           {{"Bereich", Bereich}, {"Eintrag", Eintrag}, {"Wert", Wert}, {"File", File}});
    int32_t result = 0;
    return p.Run(result, [&] { p.Step([&] { result = Write(File, Bereich, Eintrag, Wert) ? 1 : 0; }); });
}

std::string GI(const std::string& Bereich, const std::string& Eintrag)
{
    Proc p("[wsFiles] Public Function GI(Bereich As String, Eintrag As String) As String",
           {{"Bereich", Bereich}, {"Eintrag", Eintrag}});
    std::string result;
    return p.Run(result, [&] {
        if (strIniFile.empty())
            p.Step([&] { strIniFile = GetIniFile(); });
        p.Step([&] { result = GetIni(Bereich, Eintrag, strIniFile); });
    });
}

int32_t WI(const std::string& Bereich, const std::string& Eintrag, const std::string& Wert)
{
    Proc p("[wsFiles] Public Function WI(Bereich As String, Eintrag As String, Wert As String) "
           "As Long",
           {{"Bereich", Bereich}, {"Eintrag", Eintrag}, {"Wert", Wert}});
    int32_t result = 0;
    return p.Run(result, [&] {
        if (strIniFile.empty())
            p.Step([&] { strIniFile = GetIniFile(); });
        // An installed program's settings folder is made on the first write, not on a read.
        places::MakeFolder(std::filesystem::path(strIniFile).parent_path().string());
        p.Step([&] { result = WriteIni(Bereich, Eintrag, Wert, strIniFile); });
    });
}

std::string GetIniFile()
{
    Proc p("[wsFiles] Public Function GetIniFile() As String");
    std::string result;
    return p.Run(result, [&] {
        p.Step([&] { result = IsSlash(places::Current().settings) + program::BaseName() + ".ini"; });
    });
}

void ResetIniFileForTests() { strIniFile.clear(); }

}  // namespace stellmark::wsFiles
