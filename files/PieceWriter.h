#pragma once
// An output assembled from pieces, checked on the medium before it takes its name.
//
//   BinaryFile source;  source.OpenRead(path);       // stays open until Commit
//   TempOutput out;     out.Create(destination);
//   PieceWriter writer(out);
//   writer.Append(Piece::Range(source, 0, 0x20000));
//   writer.Append(Piece::Fill(0xFF, 0x600000));
//   bool named = writer.Commit(Overwrite::Refuse);   // or WritePieces(...) in one call
#include <cstdint>
#include <string>
#include <vector>

#include "files/BinaryFile.h"
#include "files/Progress.h"

namespace stellmark {

// One stretch of an output: `length` bytes of a file opened for reading from `offset` on, or
// the byte `fill` repeated `length` times.
struct Piece {
    const BinaryFile* file = nullptr;  // null: a fill
    int64_t offset = 0;
    int64_t length = 0;
    unsigned char fill = 0xFF;

    static Piece Range(const BinaryFile& file, int64_t offset, int64_t length)
    {
        return {.file = &file, .offset = offset, .length = length};
    }
    static Piece Fill(unsigned char byte, int64_t length) { return {.length = length, .fill = byte}; }
};

// Writes pieces one after the other into a TempOutput through one small buffer, then flushes,
// drops the written pages from the cache and reads every byte back from the medium, comparing
// it with the pieces, before the output takes its name. A medium that keeps other bytes than it
// was given (a stick that claims more than it holds) is thus caught while the old file stands.
// The files of the pieces must stay open until Commit: they are read a second time to compare.
class PieceWriter {
public:
    explicit PieceWriter(TempOutput& out);

    // Writes the piece after the ones before. A failure (InputPastEnd when its file is shorter
    // than the piece, BadRecordNumber for a negative offset) leaves the end where it was:
    // calling again writes the piece again.
    void Append(const Piece& piece);
    // Bytes written so far.
    int64_t Size() const { return size_; }
    // The size the whole output is expected to have, for the progress reported while writing
    // (files/Progress.h); without it the writing reports no total. Changes nothing written.
    void Expect(int64_t total) { expected_ = total; }
    // Seals the output (see TempOutput::Seal) and compares what the medium returns with the
    // pieces; a difference is a failure (DeviceIO, "Prüfung nach dem Schreiben fehlgeschlagen: "
    // and the first differing position) about the output.
    void Verify(Overwrite overwrite);
    // Verify, then TempOutput::Commit: true when the output took its name, false when
    // Overwrite::Refuse found the name taken (nothing changed).
    bool Commit(Overwrite overwrite);

private:
    TempOutput& out_;
    std::vector<Piece> pieces_;
    int64_t size_ = 0;
    int64_t expected_ = 0;
    std::vector<unsigned char> buffer_;
};

// The whole road in one call: creates the output, writes the pieces, verifies and commits it.
// What the user should be told about a replaced file (TempOutput::Notes) is appended to `notes`.
bool WritePieces(const std::string& destination, const std::vector<Piece>& pieces, Overwrite overwrite,
                 std::vector<std::string>* notes = nullptr);

}  // namespace stellmark
