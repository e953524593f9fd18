#include "operations/Examine.h"

#include <algorithm>

#include "core/Layout.h"
#include "core/modMain.h"
#include "files/wsFiles.h"
#include "operations/Texts.h"

namespace stellmark::ops {

int32_t Classify(const std::string& source, const DataFiles& dataFiles)
{
    return modMain::ImageTest(source, dataFiles);
}

std::string ClassText(int32_t imageClass) { return modMain::ClassText(imageClass); }

bool IsValidClass(int32_t imageClass) { return !modMain::ClassText(imageClass).empty() && imageClass != 0; }

int32_t ImageSize(const std::string& path) { return modMain::GetImageSize(path); }

std::string HexText(int32_t value) { return modMain::GetHexValue(value); }

std::optional<RootArea> CheckRootArea(const std::string& image, int32_t imageClass)
{
    if (!IsValidClass(imageClass))
        return std::nullopt;
    RootArea area;
    area.start = layout::RangeFor(layout::Region::Root, imageClass).first - 1;
    area.size = layout::kRootSize;
    // The quick check: superblock and CRC, streamed; the map checks the area in full.
    area.findings = QuickCheckCramfs(image, area.start, area.size);
    return area;
}

CramfsFile CheckCramfsFile(const std::string& path)
{
    CramfsFile file;
    file.size = FileLength(path);
    file.fits = CramfsFits(file.size);
    // Only what can stand in the root area is read; a larger file is too large anyway.
    file.findings = CheckCramfs(path, 0, std::min<int64_t>(file.size, layout::kRootSize));
    return file;
}

bool FileExists(const std::string& path) { return wsFiles::FileExist(path); }

}  // namespace stellmark::ops
