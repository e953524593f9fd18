#pragma once
// The image core: classification and the copy engine.
#include <cstdint>
#include <string>
#include <vector>

#include "core/DataFiles.h"
#include "files/BinaryFile.h"

namespace stellmark::modMain {

// Image classes.
inline constexpr int32_t kNoImage = 0;
inline constexpr int32_t k1xWithBoot = 11;
inline constexpr int32_t k2xWithBoot = 12;
inline constexpr int32_t k1xWithoutBoot = 21;
inline constexpr int32_t k2xWithoutBoot = 22;

// The class of `strSource`, its flash kind told by the signatures of the located data files.
int32_t ImageTest(const std::string& strSource, const DataFiles& dataFiles);
std::string ImageTestText(int32_t Value);
// The same text without a trace entry, for code that only looks a class up.
std::string ClassText(int32_t imageClass);
int32_t GetImageSize(const std::string& FileName);
std::string GetHexValue(int32_t Value);

// Writes PrevFile, PrevFile1, the range lngStart..lngEnd of strSource (1-based, both included;
// lngEnd 1 means the end of the source) and LastFile into strDestination. Empty names are left
// out. The destination appears only complete, in one step; until then an old file of that name
// stays as it was. Before it takes the name the written output is read back from the medium and
// compared; a difference is a failure.
enum class EndRule {
    Sentinel,  // lngEnd 1 means the end of the source
    Exact,     // lngEnd 1 means the first byte itself, for a range that is to end there
};
struct CopyOptions {
    EndRule endRule = EndRule::Sentinel;
    Overwrite overwrite = Overwrite::Replace;
    // Where given, gets what the user should know about a replaced output (one German line
    // each: what of the old file was not kept, links it had, an owner that changed).
    std::vector<std::string>* notes = nullptr;
    bool wide = false;  // a range of more than 32 bits is copied, not an overflow (command line)
};
enum class CopyResult {
    Written,
    Failed,     // a failure was left: nothing was written
    Skipped,    // the user went past a failed step: the output was not written either
    NameTaken,  // Overwrite::Refuse and the name was taken when the result was to get it
};
CopyResult CopyFile(const std::string& strSource, const std::string& strDestination, int64_t lngStart = 1,
                    int64_t lngEnd = 1, const std::string& PrevFile = "", const std::string& PrevFile1 = "",
                    const std::string& LastFile = "", const CopyOptions& options = {});

}  // namespace stellmark::modMain
