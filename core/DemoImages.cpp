#include "core/DemoImages.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "errors/Failure.h"
#include "core/Layout.h"
#include "core/modMain.h"

namespace stellmark::demo {

unsigned char BodyByte(long long i)
{
    // Position-dependent, so that every cut shows where its bytes came from.
    auto x = static_cast<unsigned long long>(i) * 0x9E3779B97F4A7C15ull;
    return static_cast<unsigned char>((x >> 56) ^ (i & 0xFF));
}

namespace {
std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ThrowErrno(errno ? errno : ENOENT, path);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteImage(const std::string& path, const std::string& boot, const std::string& kindBlock,
                long long bodyBytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        ThrowErrno(errno ? errno : EACCES, path);
    out << boot << kindBlock;
    std::string chunk(4096, '\0');
    for (long long done = 0; done < bodyBytes; done += 4096) {
        auto n = std::min<long long>(4096, bodyBytes - done);
        for (long long i = 0; i < n; ++i)
            chunk[static_cast<std::size_t>(i)] = static_cast<char>(BodyByte(done + i));
        out.write(chunk.data(), n);
    }
    out.close();
    if (!out)
        ThrowErrno(errno ? errno : ENOSPC, path);
}
}  // namespace

std::vector<DemoImage> WriteDemoImages(const std::string& dir, const modMain::DataFiles& dataFiles)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::string boot = ReadAll(dataFiles.fileBoot);
    std::string k1 = ReadAll(dataFiles.file2zu1);
    std::string k2 = ReadAll(dataFiles.file1zu2);
    const long long body = layout::kBodyRemainderSize;
    std::string d = dir.empty() || dir.back() == '/' ? dir : dir + "/";

    std::vector<DemoImage> images = {
        {d + "demo_1x_mit_bootloader.img", modMain::k1xWithBoot},
        {d + "demo_2x_mit_bootloader.img", modMain::k2xWithBoot},
        {d + "demo_1x_ohne_bootloader.img", modMain::k1xWithoutBoot},
        {d + "demo_2x_ohne_bootloader.img", modMain::k2xWithoutBoot},
        {d + "demo_kein_image.img", modMain::kNoImage},
    };
    WriteImage(images[0].path, boot, k1, body);
    WriteImage(images[1].path, boot, k2, body);
    WriteImage(images[2].path, "", k1, body);
    WriteImage(images[3].path, "", k2, body);
    // One byte short of an image with boot loader: no valid image.
    WriteImage(images[4].path, boot, k1, body - 1);
    return images;
}

}  // namespace stellmark::demo
