#pragma once
// The image operations as logic without a window: the action catalogue, the list offered per
// image class, the plan of every action (range, data files, proposed name, refusal), expert
// input, output naming, the CramFS verdict and the execution of a plan. The window's handlers
// and the command-line tool both call these.
#include <array>
#include <functional>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/BinaryFile.h"
#include "core/Layout.h"
#include "errors/Proc.h"

namespace stellmark::ops {

// The sixteen action texts, the keys of the actions; compared exactly.
inline constexpr std::string_view k1xOhne = "1x ohne Bootloader erzeugen";
inline constexpr std::string_view k2xOhne = "2x ohne Bootloader erzeugen";
inline constexpr std::string_view k1xMit = "1x mit Bootloader erzeugen";
inline constexpr std::string_view k2xMit = "2x mit Bootloader erzeugen";
inline constexpr std::string_view k1xExtract = "1x extrahieren";
inline constexpr std::string_view k2xExtract = "2x extrahieren";
inline constexpr std::string_view kBootExtract = "BR Bootloader extrahieren";
inline constexpr std::string_view kExpert = "Experte - auszulesenden Bereich angeben";
inline constexpr std::string_view kRootExtract = "root [CramFS] extrahieren";
inline constexpr std::string_view kRootInsert = "root [CramFS] einfügen";
inline constexpr std::string_view kIdxfsExtract = "idxfs extrahieren";
inline constexpr std::string_view kVarExtract = "var [JFFS2] extrahieren";
inline constexpr std::string_view kPpcbootExtract = "ppcboot extrahieren";
inline constexpr std::string_view kIdxfsInsert = "idxfs einfügen";
inline constexpr std::string_view kVarInsert = "var [JFFS2] einfügen";
inline constexpr std::string_view kPpcbootInsert = "ppcboot einfügen";

// Everything the program knows of one action, in one row: the list, the plans, the command
// line's names, help and completions are all made from the table below.
struct Action {
    enum class Offer {
        Always,  // in the list of every valid image
        IfTag,   // only where the class text contains `tag`
        Never,   // known to Start, never in the list
    };
    enum class Does { Build, Cut, Expert, NotAvailable };

    std::string_view text{};       // the key, compared exactly
    std::string_view shortName{};  // the command line's stable name; empty where never offered
    Offer offer = Offer::Always;
    std::string_view tag{};  // for Offer::IfTag
    Does does = Does::NotAvailable;
    layout::FlashKind flashKind = layout::FlashKind::k1x;  // Build: the kind it makes
    bool withBootLoader = false;                           // Build: boot.dat in front
    layout::Region region = layout::Region::BootLoader;    // Cut: the region, shifted by class
    std::string_view initialName{};  // Cut, Expert: the name proposed in the save dialog
    bool needsBootLoader = false;    // refused on an image without boot loader
};

// All sixteen, in the order the list adds them; the six never offered last.
extern const std::array<Action, 16> kActions;

// The row of an action text (exact), or nullptr.
const Action* FindAction(std::string_view text);

// The entries FillCombo puts into the list for an exclusion text (a class text or empty), in
// the order they are added; the first is the one shown after filling.
std::vector<std::string> ComboEntries(const std::string& Ausschluss);

// The list as image selection leaves it: the entries and whether list and Start are enabled.
// fileChosen: txtFile names an existing file. useOnlyValidImages: the check-box setting.
struct ListState {
    std::vector<std::string> entries;
    bool enabled = false;
    bool filled = false;  // false: the list stays empty and the shown entry does not change
};
ListState ListFor(bool fileChosen, int32_t imageClass, int16_t useOnlyValidImages);

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

// What Start does for an action, decided before the save dialog.
struct Plan {
    enum Kind { Write, Refuse, Nothing } kind = Nothing;
    std::string initialName;          // proposed in the save dialog
    int32_t first = 0, last = 0;      // 1-based source positions, both included
    std::string prevFile, prevFile1;  // data-file paths written in front, or empty
    bool exactEnd = false;            // last 1 means the first byte, not the end of the source
    Message refusal;                  // for Refuse
};

// The expert inputs as the window holds them.
struct ExpertInput {
    std::string start;      // txtStart
    std::string end;        // txtEnde
    int32_t imageSize = 0;  // lngImageSize, as last measured
};

// Plans the action for an image of the given class. Calls CreateFileName (building actions) and
// GetInputValue (expert action), which report themselves like every procedure.
Plan PlanAction(const std::string& actionText, int32_t imageClass, const std::string& sourcePath,
                const ExpertInput& expert = {});

// Carries out a planned write to `output` as steps of the calling procedure `owner`: refuses
// an output that is the source or a data file (in any spelling) or no regular file, then calls
// CopyFile once, which gives the result the name in one step (replacing an old file only as
// `overwrite` allows).
struct Outcome {
    enum Kind {
        Written,
        Refused,     // message says why; nothing touched
        Failed,      // a failure was left
        Cancelled,   // no output chosen
        Nothing,     // not an action text
        NotWritten,  // a failed step was skipped, so the output was not written; message says so
        Exists,      // Overwrite::Refuse and the name is taken
    } kind = Failed;
    Message message;  // for Refused and NotWritten
    // For Written: what the user should be told about a replaced file, one German line each
    // (what of it was not kept, hard links that keep the old content, an owner that changed).
    std::vector<std::string> notes = {};
};
Outcome Execute(const Plan& plan, const std::string& source, const std::string& output,
                Overwrite overwrite = Overwrite::Replace);
// What the user is told when a skipped step kept the output from being written.
Message NotWrittenMessage(const std::string& output);

// Why `output` can never be written, or nothing: one of the data files, a folder, a pipe, a
// device, a socket, or a link to nothing or to such a thing.
std::optional<Message> OutputRefusal(const std::string& output);

// The whole road of Start, for both front ends: classify the source (unless the class is
// given), plan the action, refuse or ask for the output path with the proposed name, execute.
struct Request {
    std::string actionText;
    std::string source;
    ExpertInput expert;
    std::optional<int32_t> imageClass;  // given: no classification
};
// Gets the proposed name; returns the chosen path, or the empty text when cancelled.
struct Choice {
    std::string path;  // empty: cancelled
    Overwrite overwrite = Overwrite::Replace;
};
using OutputChooser = std::function<Choice(const std::string& initialName)>;
Outcome Start(Proc& owner, const Request& request, const OutputChooser& chooseOutput);

// True when both paths name the same file: the same file identity where both exist, the same
// normalised absolute path otherwise.
bool SameFile(const std::string& a, const std::string& b);

// Expert input: "0x" hexadecimal (two's complement, at most 8 digits) or decimal; -1 invalid.
// A decimal outside the signed 32-bit range is an overflow failure through the handler.
int32_t GetInputValue(const std::string& Value);

// The name proposed for an image built with the flash-kind tag SubStr from `sourcePath`.
std::string CreateFileName(const std::string& SubStr, const std::string& sourcePath);

// "0x00800000 [8388608] Bytes": a size as the window shows it; beyond 32 bits with more digits.
std::string SizeText(int64_t size);
// lblCramfsInfo after choosing a CramFS file of `size` bytes, verdict included.
std::string CramfsVerdict(int64_t size);
bool CramfsFits(int64_t size);
// The length of a file, whatever its size; -1 when it cannot be measured.
int64_t FileLength(const std::string& path);

}  // namespace stellmark::ops
