#include "tests/support/TestSupport.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <stdlib.h>
#include <unistd.h>

#include "core/DemoImages.h"
#include "core/modMain.h"
#include "errors/Failure.h"

namespace stellmark::test {

int16_t ScriptedPresenter::ShowModal(frmPanne& panne)
{
    const auto& l = panne.lblError();
    calls.push_back({l[0], l[1], l[2], l[3], pendingBits_});
    if (onShow)
        onShow();
    if (script_.empty())
        return fallback_;
    int16_t c = script_.front();
    script_.pop_front();
    return c;
}

ScopedFileSizeLimit::ScopedFileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN))
{
    ::getrlimit(RLIMIT_FSIZE, &old_);
    const rlimit tight{bytes, old_.rlim_max};
    if (::setrlimit(RLIMIT_FSIZE, &tight) != 0) {
        std::signal(SIGXFSZ, oldHandler_);
        throw std::runtime_error("setrlimit failed");
    }
}

ScopedFileSizeLimit::~ScopedFileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "stellmark-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;  // tests run as root: no mode stops the removal
    std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempDir::Entries() const
{
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(path_))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int FailureNumber(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Failure& failure) {
        return failure.Number();
    }
    return 0;
}

std::string Pattern(std::size_t n, unsigned seed)
{
    std::string s(n, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        s[i] = static_cast<char>(x);
    }
    return s;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

DataFiles InstallDataFiles(const std::string& dir)
{
    DataFiles d{Pattern(0x20000, 12), Pattern(0x20000, 21), Pattern(0x20000, 99), {}};
    WriteFile(dir + "/1zu2.dat", d.f1zu2);
    WriteFile(dir + "/2zu1.dat", d.f2zu1);
    WriteFile(dir + "/boot.dat", d.boot);
    d.files = modMain::LookIn(dir);
    return d;
}

std::map<int, std::string> WriteImages(const std::string& dir, const modMain::DataFiles& dataFiles)
{
    std::map<int, std::string> images;
    for (const auto& image : demo::WriteDemoImages(dir, dataFiles))
        images[image.expectedClass] = image.path;
    return images;
}

void ResetPanne() { frmPanne::Instance().ResetForTests(); }

}  // namespace stellmark::test
