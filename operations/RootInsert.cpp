#include "operations/RootInsert.h"

#include <vector>

#include "core/Layout.h"
#include "core/modMain.h"
#include "errors/Proc.h"
#include "files/PieceWriter.h"
#include "operations/CramfsReader.h"

namespace stellmark::ops {

namespace {
std::string Quoted(const std::string& path) { return "'" + path + "'"; }
}  // namespace

RootInsertCheck CheckRootInsert(const std::string& source, int32_t sourceClass, const std::string& cramfs)
{
    RootInsertCheck check;
    if (sourceClass == modMain::kNoImage) {
        check.refusal = Quoted(source) + " ist kein gültiges Image";
        return check;
    }
    check.rootAt = layout::RangeFor(layout::Region::Root, sourceClass).first - 1;
    check.cramfsLength = FileLength(cramfs);
    if (!CramfsFits(check.cramfsLength)) {
        check.refusal = Quoted(cramfs) + ": " + CramfsVerdict(check.cramfsLength);
        return check;
    }
    check.findings = CheckCramfs(cramfs, 0, check.cramfsLength);
    const CramfsFindings& f = check.findings;
    // The box's processor is big-endian and its kernel reads no other order.
    if (f.found && !f.bigEndian)
        check.refusal = Quoted(cramfs) + ": little-endian — mit mkfs.cramfs -N big neu erzeugen";
    else if (!f.Sound())
        check.refusal = Quoted(cramfs) + " ist kein intaktes CramFS: " + CramfsProblem(f);
    return check;
}

Outcome InsertRoot(const RootInsertCheck& check, const std::string& source, const std::string& cramfs,
                   const std::string& output, const DataFiles& dataFiles, Overwrite overwrite)
{
    if (check.refusal)
        return {Outcome::Refused, {*check.refusal, Icon::Exclamation, ""}};
    if (auto guarded = GuardOutput({source, cramfs}, output, dataFiles, overwrite))
        return *guarded;

    Proc p("[RootInsert] InsertRoot(source, cramfs, output)",
           {{"source", source}, {"cramfs", cramfs}, {"output", output}});
    Outcome outcome{Outcome::NotWritten, NotWrittenMessage(output)};
    return p.Run(outcome, [&] {
        // Both stay open until the output is read back and named: they are read a second time.
        BinaryFile image, fs;
        if (!p.Step([&] { image.OpenRead(source); }) || !p.Step([&] { fs.OpenRead(cramfs); }))
            return;
        const int64_t length = image.Length(), rootEnd = check.rootAt + layout::kRootSize;
        const std::vector<Piece> pieces = {Piece::Range(image, 0, check.rootAt),
                                           Piece::Range(fs, 0, check.cramfsLength),
                                           Piece::Fill(0xFF, layout::kRootSize - check.cramfsLength),
                                           Piece::Range(image, rootEnd, length - rootEnd)};
        bool named = false;
        std::vector<std::string> notes;
        if (p.Step([&] { named = WritePieces(output, pieces, overwrite, &notes); }))
            outcome = {named ? Outcome::Written : Outcome::Exists, {}, notes};
    });
}

}  // namespace stellmark::ops
