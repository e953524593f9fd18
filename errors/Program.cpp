#include "errors/Program.h"

#include <filesystem>
#include <system_error>

namespace stellmark::program {

namespace {
std::string& Override()
{
    static std::string path;
    return path;
}
}  // namespace

std::string File()
{
    if (!Override().empty())
        return Override();
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string Dir()
{
    auto path = std::filesystem::path(File()).parent_path().string();
    return path.empty() ? "/" : path;
}

std::string BaseName() { return std::filesystem::path(File()).stem().string(); }

void OverrideFile(const std::string& path) { Override() = path; }

}  // namespace stellmark::program
