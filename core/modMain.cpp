#include "core/modMain.h"

#include <algorithm>
#include <array>
#include <deque>
#include <cstring>
#include <filesystem>
#include <limits>

#include "files/BinaryFile.h"
#include "files/PieceWriter.h"
#include "core/Layout.h"
#include "errors/Proc.h"
#include "errors/Places.h"
#include "files/wsFiles.h"

namespace stellmark::modMain {

int32_t ImageTest(const std::string& strSource, const DataFiles& dataFiles)
{
    Proc p("[modMain] Function ImageTest(strSource As String) As Long", {{"strSource", strSource}});
    int32_t result = 0;
    return p.Run(result, [&] {
        BinaryFile image;
        int64_t length = 0;
        p.Step([&] { image.OpenRead(strSource); });
        p.Step([&] { length = image.Length(); });
        int32_t base = length == layout::kImageWithBootSize ? 10 : length == layout::kBodySize ? 20 : 0;
        if (base == 0)
            return;  // nothing read, no data file opened; the image closes with its owner

        std::array<unsigned char, layout::kSignatureLength> signature{};
        std::size_t got = 0;
        p.Step([&] {
            got = image.ReadAt(base == 10 ? layout::kBootShift : 0, signature.data(), signature.size());
        });

        // A data file shorter than the signature matches nothing.
        auto matches = [&](const std::string& dataFile) {
            BinaryFile data;
            std::array<unsigned char, layout::kSignatureLength> head{};
            std::size_t n = 0;
            p.Step([&] { data.OpenRead(dataFile); });
            p.Step([&] { n = data.ReadAt(0, head.data(), head.size()); });
            p.Step([&] { data.Close(); });
            return got == signature.size() && n == head.size() && head == signature;
        };
        int32_t kind = 0;
        if (matches(dataFiles.file2zu1))
            kind = 1;
        if (matches(dataFiles.file1zu2))
            kind = 2;
        p.Step([&] { image.Close(); });
        result = kind != 0 ? base + kind : 0;
    });
}

std::string ClassText(int32_t imageClass)
{
    switch (imageClass) {
    case kNoImage: return "kein gültiges Image";
    case k1xWithBoot: return "1x mit Bootloader";
    case k2xWithBoot: return "2x mit Bootloader";
    case k1xWithoutBoot: return "1x ohne Bootloader";
    case k2xWithoutBoot: return "2x ohne Bootloader";
    default: return "";
    }
}

std::string ImageTestText(int32_t Value)
{
    Proc p("[modMain] Function ImageTestText(Value As Long) As String", {{"Value", Value}});
    return ClassText(Value);
}

int32_t GetImageSize(const std::string& FileName)
{
    Proc p("[modMain] Function GetImageSize(FileName As String) As Long", {{"FileName", FileName}});
    int32_t result = 0;
    return p.Run(result, [&] {
        if (FileName.empty() || !wsFiles::FileExist(FileName))
            return;
        BinaryFile file;
        int64_t length = 0;
        p.Step([&] { file.OpenRead(FileName); });
        p.Step([&] { length = file.Length(); });
        p.Step([&] { file.Close(); });
        // Sizes are signed 32-bit: a file of 2 GiB or more does not fit.
        p.Step([&] {
            if (length > std::numeric_limits<int32_t>::max())
                throw Failure(err::Overflow);
            result = static_cast<int32_t>(length);
        });
    });
}

std::string GetHexValue(int32_t Value)
{
    Proc p("[modMain] Function GetHexValue(Value As Long) As String", {{"Value", Value}});
    char digits[16];
    std::snprintf(digits, sizeof digits, "%X", static_cast<uint32_t>(Value));
    std::string hex = digits;
    return std::string("0x00000000").substr(0, 10 - hex.size()) + hex;
}

CopyResult CopyFile(const std::string& strSource, const std::string& strDestination, int64_t lngStart,
                    int64_t lngEnd, const std::string& PrevFile, const std::string& PrevFile1,
                    const std::string& LastFile, const CopyOptions& options)
{
    Proc p("[modMain] Public Function CopyFile(strSource As String,strDestination As "
           "String,Optional lngStart As Long = 1,Optional lngEnd As Long = 1,Optional PrevFile As "
           "String,Optional PrevFile1 As String,Optional LastFile As String)As Boolean",
           {{"strSource", strSource},
            {"strDestination", strDestination},
            {"lngStart", lngStart},
            {"lngEnd", lngEnd},
            {"PrevFile", PrevFile},
            {"PrevFile1", PrevFile1},
            {"LastFile", LastFile}});
    CopyResult result = CopyResult::Failed;
    return p.Run(result, [&] {
        BinaryFile source;
        TempOutput destination;
        PieceWriter writer(destination);
        // The data files stay open until the output is checked against them.
        std::deque<BinaryFile> dataFiles;

        auto wholeFile = [&](const std::string& name) {
            if (name.empty())
                return;
            BinaryFile& piece = dataFiles.emplace_back();
            int64_t length = 0;
            p.Step([&] { piece.OpenRead(name); });
            p.Step([&] { length = piece.Length(); });
            p.Step([&] { writer.Append(Piece::Range(piece, 0, length)); });
        };

        p.Step([&] { source.OpenRead(strSource); });
        p.Step([&] { destination.Create(strDestination); });
        wholeFile(PrevFile);
        wholeFile(PrevFile1);

        int64_t end = 0;
        p.Step([&] { end = source.Length(); });
        if ((lngEnd != 1 || options.endRule == EndRule::Exact) && lngEnd < end)
            end = lngEnd;
        int64_t count = 0;
        p.Step([&] {
            int64_t n = end - lngStart + 1;
            if (!options.wide &&
                (n > std::numeric_limits<int32_t>::max() || n < std::numeric_limits<int32_t>::min()))
                throw Failure(err::Overflow);
            count = n;
        });
        // What the output will hold, for the progress shown while writing: the last file is
        // only measured here, its failures stay with the step that opens it.
        std::error_code unknown;
        auto last = LastFile.empty() ? 0 : std::filesystem::file_size(LastFile, unknown);
        writer.Expect(writer.Size() + std::max<int64_t>(count, 0) +
                      (unknown ? 0 : static_cast<int64_t>(last)));
        if (count > 0)
            p.Step([&] { writer.Append(Piece::Range(source, int64_t{lngStart} - 1, count)); });

        wholeFile(LastFile);
        // A skipped step leaves a gap or stale bytes: such an output never takes the name.
        if (p.AnySkipped()) {
            result = CopyResult::Skipped;
            return;
        }
        // Read back from the medium before it takes the name: a difference keeps the old file.
        bool named = false;
        if (!p.Step([&] { named = writer.Commit(options.overwrite); })) {
            result = CopyResult::Skipped;
            return;
        }
        if (named && options.notes)
            options.notes->insert(options.notes->end(), destination.Notes().begin(),
                                  destination.Notes().end());
        for (BinaryFile& data : dataFiles)
            p.Step([&] { data.Close(); });
        p.Step([&] { source.Close(); });
        result = named ? CopyResult::Written : CopyResult::NameTaken;
    });
}

}  // namespace stellmark::modMain
