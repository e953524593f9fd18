#pragma once
// The action catalogue: the sixteen actions in one table and the list offered per image class.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Layout.h"

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

// What the window offers for a file of this class: its list for a valid image, else (an invalid
// or unknown class) the expert entry alone, as with the check box off.
std::vector<const Action*> Offered(std::optional<int32_t> imageClass);

// The class a build action makes: 11, 12, 21 or 22.
int32_t BuiltClass(const Action& action);

// By name as a user types it: a full text exactly, as the window compares; a short name
// whatever its letter case. Nullptr when neither.
const Action* FindByName(const std::string& name);
// The action whose short name or full text lies within two edits of `name` (any letter case),
// the nearest first found; nullptr when none does.
const Action* NearMiss(const std::string& name);

}  // namespace stellmark::ops
