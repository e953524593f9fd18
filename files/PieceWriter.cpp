#include "files/PieceWriter.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "errors/Failure.h"

namespace stellmark {

namespace {
// Large enough that system calls cost little beside the copying, small beside any output. The
// check uses the two halves: the bytes read back, and the bytes meant.
constexpr std::size_t kChunk = 64 * 1024;

// Reads `n` bytes of the piece from `at` (relative to the piece) into `to`.
void PieceBytes(const Piece& piece, int64_t at, unsigned char* to, std::size_t n)
{
    if (!piece.file) {
        std::memset(to, piece.fill, n);
        return;
    }
    if (piece.file->ReadAt(piece.offset + at, to, n) < n)
        throw Failure(err::InputPastEnd).About(piece.file->Path(), Access::Read);  // it shrank
}

std::string Hex(int64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%08" PRIX64, static_cast<uint64_t>(value));
    return text;
}

[[noreturn]] void Mismatch(const TempOutput& out, const std::string& where)
{
    throw Failure(err::DeviceIO, "Prüfung nach dem Schreiben fehlgeschlagen: " + where)
        .About(out.Path(), Access::Write);
}
}  // namespace

PieceWriter::PieceWriter(TempOutput& out) : out_(out), buffer_(2 * kChunk) {}

void PieceWriter::Append(const Piece& piece)
{
    if (piece.offset < 0 || piece.length < 0)
        throw Failure(err::BadRecordNumber);
    for (int64_t done = 0; done < piece.length;) {
        auto n = static_cast<std::size_t>(std::min<int64_t>(kChunk, piece.length - done));
        PieceBytes(piece, done, buffer_.data(), n);
        out_.WriteAt(size_ + done, buffer_.data(), n);
        done += static_cast<int64_t>(n);
        ReportProgress(Phase::Write, size_ + done, expected_ > 0 ? std::max(expected_, size_ + done) : 0);
    }
    if (piece.length > 0)
        pieces_.push_back(piece);
    size_ += piece.length;
}

void PieceWriter::Verify(Overwrite overwrite)
{
    out_.Seal(overwrite);
    out_.DropCache();
    unsigned char* back = buffer_.data();
    unsigned char* meant = buffer_.data() + kChunk;
    int64_t at = 0;  // in the output
    for (const Piece& piece : pieces_) {
        for (int64_t done = 0; done < piece.length;) {
            auto n = static_cast<std::size_t>(std::min<int64_t>(kChunk, piece.length - done));
            std::size_t got = out_.ReadAt(at, back, n);
            PieceBytes(piece, done, meant, n);
            if (got < n)
                Mismatch(out_, "die Datei endet bei " + Hex(at + static_cast<int64_t>(got)) + " statt bei " +
                                   Hex(size_));
            if (std::memcmp(back, meant, n) != 0) {
                std::size_t i = 0;
                while (back[i] == meant[i])
                    ++i;
                Mismatch(out_, "an Position " + Hex(at + static_cast<int64_t>(i)) +
                                   " steht etwas anderes als geschrieben");
            }
            done += static_cast<int64_t>(n);
            at += static_cast<int64_t>(n);
            ReportProgress(Phase::Verify, at, size_);
        }
    }
    if (out_.Length() != size_)
        Mismatch(out_, "die Datei ist " + Hex(out_.Length()) + " statt " + Hex(size_) + " Bytes lang");
}

bool PieceWriter::Commit(Overwrite overwrite)
{
    Verify(overwrite);
    return out_.Commit(overwrite);
}

bool WritePieces(const std::string& destination, const std::vector<Piece>& pieces, Overwrite overwrite,
                 std::vector<std::string>* notes)
{
    TempOutput out;
    out.Create(destination);
    PieceWriter writer(out);
    int64_t total = 0;
    for (const Piece& piece : pieces)
        total += std::max<int64_t>(piece.length, 0);
    writer.Expect(total);
    for (const Piece& piece : pieces)
        writer.Append(piece);
    bool named = writer.Commit(overwrite);
    if (named && notes)
        notes->insert(notes->end(), out.Notes().begin(), out.Notes().end());
    return named;
}

}  // namespace stellmark
