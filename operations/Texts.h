#pragma once
// The messages the operations answer with, and sizes as the program shows them.
#include <cstdint>
#include <string>

namespace stellmark::ops {

// Message boxes the operations answer with.
enum class Icon { None, Information, Exclamation, Critical };
struct Message {
    std::string text;
    Icon icon = Icon::None;
    std::string title;  // empty: the program's own title
};
extern const Message kNoBootLoader;  // "Dieses Image besitzt keinen Bootloader!"
extern const Message kNotAvailable;  // "Funktion noch nicht vorhanden"
extern const Message kBadRange;      // the expert range failed its check
extern const Message kSameFile;      // the output is the source

// The start-up message for a FileCheck result other than "ok".
std::string MissingFilesText(const std::string& fileCheckResult);
// What the user is told when a skipped step kept the output from being written.
Message NotWrittenMessage(const std::string& output);

// "0x00800000 [8388608] Bytes": a size as the window shows it; beyond 32 bits with more digits.
std::string SizeText(int64_t size);
// lblCramfsInfo after choosing a CramFS file of `size` bytes, verdict included.
std::string CramfsVerdict(int64_t size);
bool CramfsFits(int64_t size);
// The length of a file, whatever its size; -1 when it cannot be measured.
int64_t FileLength(const std::string& path);

}  // namespace stellmark::ops
