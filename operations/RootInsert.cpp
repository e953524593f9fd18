#include "operations/RootInsert.h"

#include <sys/stat.h>
#include <vector>

#include "core/Layout.h"
#include "core/modMain.h"
#include "errors/Proc.h"
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
    if (SameFile(source, output) || SameFile(cramfs, output))
        return {Outcome::Refused, kSameFile};
    if (auto refusal = OutputRefusal(output, dataFiles))
        return {Outcome::Refused, *refusal};
    struct stat st {};
    if (overwrite == Overwrite::Refuse && ::lstat(output.c_str(), &st) == 0)
        return {Outcome::Exists, {}};

    Proc p("[RootInsert] InsertRoot(source, cramfs, output)",
           {{"source", source}, {"cramfs", cramfs}, {"output", output}});
    Outcome outcome{Outcome::NotWritten, NotWrittenMessage(output)};
    return p.Run(outcome, [&] {
        BinaryFile image, fs;
        TempOutput out;
        if (!p.Step([&] { image.OpenRead(source); }) || !p.Step([&] { fs.OpenRead(cramfs); }) ||
            !p.Step([&] { out.Create(output); }))
            return;
        const int64_t length = image.Length();
        std::vector<unsigned char> buffer(64 * 1024);
        int64_t written = 0;
        // Appends `n` bytes of `from` at `at`, or of 0xFF where there is no file. False when a
        // step was skipped: a file with a gap is never given the name.
        auto append = [&](const BinaryFile* from, int64_t at, int64_t n) {
            while (n > 0) {
                const std::size_t chunk = static_cast<std::size_t>(std::min<int64_t>(n, buffer.size()));
                bool ok = p.Step([&] {
                    if (!from)
                        std::fill_n(buffer.begin(), chunk, 0xFF);
                    else if (from->ReadAt(at, buffer.data(), chunk) < chunk)
                        throw Failure(err::InputPastEnd);  // the file shrank while being read
                    out.WriteAt(written, buffer.data(), chunk);
                });
                if (!ok)
                    return false;
                written += static_cast<int64_t>(chunk), at += static_cast<int64_t>(chunk),
                    n -= static_cast<int64_t>(chunk);
            }
            return true;
        };
        const int64_t rootEnd = check.rootAt + layout::kRootSize;
        if (!append(&image, 0, check.rootAt) || !append(&fs, 0, check.cramfsLength) ||
            !append(nullptr, 0, layout::kRootSize - check.cramfsLength) ||
            !append(&image, rootEnd, length - rootEnd))
            return;
        bool named = false;
        if (p.Step([&] { named = out.Commit(overwrite); }))
            outcome = {named ? Outcome::Written : Outcome::Exists, {}};
    });
}

}  // namespace stellmark::ops
