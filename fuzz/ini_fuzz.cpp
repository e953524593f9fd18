// Fuzzes the settings store with any bytes as an INI file. The input is three lines, the
// section, the key and the value of one WriteIni call (an empty key deletes the section, an
// empty value the key), followed by the file's bytes. Besides crashes and hangs it checks what
// the platform's write promises: only the line concerned changes (or the one section goes),
// other keys read as before, and a value set reads back as given.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "errors/frmPanne.h"
#include "files/wsFiles.h"

using namespace stellmark;

namespace {

// The store handles its own failures; any that reaches the error dialog is a fault.
struct AbortingPresenter : ErrorPresenter {
    int16_t ShowModal(frmPanne&) override { std::abort(); }
};

struct Scratch {
    Scratch()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "ini-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        dir = pattern;
        file = dir + "/f.ini";
        frmPanne::Instance().Replace({.presenter = &presenter});
    }
    ~Scratch()
    {
        frmPanne::Instance().Replace({});
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    AbortingPresenter presenter;
    std::string dir, file;
};

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    Check(f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fclose(f) == 0);
}

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    Check(f != nullptr);
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
        bytes.append(buf, n);
    std::fclose(f);
    return bytes;
}

// Takes the text up to the next line feed (or all of it) off the front of `rest`.
std::string Field(std::string_view& rest)
{
    auto lf = rest.find('\n');
    std::string field(rest.substr(0, lf));
    rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
    return field;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Scratch scratch;
    frmPanne::Instance().ResetForTests();  // the trace list, not the presenter
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string section = Field(rest), key = Field(rest), value = Field(rest);
    const std::string before(rest);
    const std::string& file = scratch.file;
    WriteBytes(file, before);

    // Keys whose names differ from the one written: their reads must not change.
    const std::string others[][2] = {{section, key + "x"}, {section + "x", key}};
    std::string othersBefore[2];
    for (int i = 0; i < 2; ++i)
        othersBefore[i] = wsFiles::GetIni(others[i][0], others[i][1], file);

    const int32_t result = wsFiles::WriteIni(section, key, value, file);
    const std::string after = ReadBytes(file);
    if (result == 0) {
        Check(after == before);
        return 0;
    }

    // The bytes that changed: what lies between the longest common front and back.
    std::size_t front = 0, back = 0;
    while (front < before.size() && front < after.size() && before[front] == after[front])
        ++front;
    while (back < before.size() - front && back < after.size() - front &&
           before[before.size() - 1 - back] == after[after.size() - 1 - back])
        ++back;
    const std::string_view removed = std::string_view(before).substr(front, before.size() - front - back);

    const bool deletesSection = key.empty();
    if (deletesSection) {
        Check(after.size() == front + back);  // one run of bytes taken out, nothing added
    } else {
        // Within one line: a value replaced, a line added or a line taken out.
        Check(std::count(removed.begin(), removed.end(), '\n') <= 1);
        if (!value.empty() && value.size() <= 254)
            Check(wsFiles::GetIni(section, key, file) == value);
    }
    // The other key of the same section goes with a deleted section.
    Check(deletesSection || wsFiles::GetIni(others[0][0], others[0][1], file) == othersBefore[0]);
    Check(wsFiles::GetIni(others[1][0], others[1][1], file) == othersBefore[1]);
    return 0;
}
