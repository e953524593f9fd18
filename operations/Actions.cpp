#include "operations/Actions.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Layout.h"
#include "core/modMain.h"
#include "files/wsFiles.h"

namespace stellmark::ops {

using Offer = Action::Offer;
using Does = Action::Does;
using layout::FlashKind;
using layout::Region;

const std::array<Action, 16> kActions = {{
    {.text = k1xOhne, .shortName = "1x-ohne", .does = Does::Build, .flashKind = FlashKind::k1x},
    {.text = k2xOhne, .shortName = "2x-ohne", .does = Does::Build, .flashKind = FlashKind::k2x},
    {.text = k1xMit,
     .shortName = "1x-mit",
     .does = Does::Build,
     .flashKind = FlashKind::k1x,
     .withBootLoader = true},
    {.text = k2xMit,
     .shortName = "2x-mit",
     .does = Does::Build,
     .flashKind = FlashKind::k2x,
     .withBootLoader = true},
    {.text = k1xExtract,
     .shortName = "1x-block",
     .offer = Offer::IfTag,
     .tag = "1x",
     .does = Does::Cut,
     .region = Region::FlashKind,
     .initialName = "1xFile"},
    {.text = k2xExtract,
     .shortName = "2x-block",
     .offer = Offer::IfTag,
     .tag = "2x",
     .does = Does::Cut,
     .region = Region::FlashKind,
     .initialName = "2xFile"},
    {.text = kBootExtract,
     .shortName = "bootloader",
     .offer = Offer::IfTag,
     .tag = "mit",
     .does = Does::Cut,
     .region = Region::BootLoader,
     .initialName = "br_boot",
     .needsBootLoader = true},
    {.text = kExpert, .shortName = "bereich", .does = Does::Expert, .initialName = "expert"},
    {.text = kRootExtract,
     .shortName = "root",
     .does = Does::Cut,
     .region = Region::Root,
     .initialName = "cramfs"},
    {.text = kRootInsert, .shortName = "root-einfuegen"},
    {.text = kIdxfsExtract, .offer = Offer::Never, .does = Does::Cut, .region = Region::BodyRemainder},
    {.text = kVarExtract, .offer = Offer::Never},
    {.text = kPpcbootExtract, .offer = Offer::Never},
    {.text = kIdxfsInsert, .offer = Offer::Never},
    {.text = kVarInsert, .offer = Offer::Never},
    {.text = kPpcbootInsert, .offer = Offer::Never},
}};

const Action* FindAction(std::string_view text)
{
    for (const auto& action : kActions)
        if (action.text == text)
            return &action;
    return nullptr;
}

const Message kNoBootLoader{"Dieses Image besitzt keinen Bootloader!", Icon::Information,
                            "Stellmark - Information"};
const Message kNotAvailable{"Funktion noch nicht vorhanden", Icon::None, ""};
const Message kBadRange{"Die angegebene Größe kann nicht verarbeitet werden.\r\n"
                        "Bitte die Angaben prüfen",
                        Icon::Exclamation, "Stellmark - Fehler"};
const Message kSameFile{"Das Image kann nicht in sich selbst gespeichert werden!\r\n"
                        "Bitte anderen Dateinamen angeben!\r\n",
                        Icon::Critical, "Stellmark - Info"};

std::string MissingFilesText(const std::string& fileCheckResult)
{
    return "Die folgende(n) Datei(en)\r\n\r\n" + fileCheckResult + "\r\n\r\nProgramm wird beendet!";
}

std::vector<std::string> ComboEntries(const std::string& Ausschluss)
{
    std::vector<std::string> list;
    for (const auto& action : kActions) {
        if (action.offer == Offer::Always ||
            (action.offer == Offer::IfTag && Ausschluss.find(action.tag) != std::string::npos))
            list.emplace_back(action.text);
    }
    if (!Ausschluss.empty())
        std::erase_if(list,
                      [&](const std::string& entry) { return entry.find(Ausschluss) != std::string::npos; });
    return list;
}

ListState ListFor(bool fileChosen, int32_t imageClass, int16_t useOnlyValidImages)
{
    if (!fileChosen)
        return {};
    if (useOnlyValidImages != 1)
        return {{std::string(kExpert)}, true, true};
    if (imageClass == modMain::kNoImage)
        return {};
    return {ComboEntries(modMain::ClassText(imageClass)), true, true};
}

namespace {
std::string DataPath(layout::DataFile file)
{
    switch (file) {
    case layout::DataFile::File1zu2: return modMain::strFile1zu2;
    case layout::DataFile::File2zu1: return modMain::strFile2zu1;
    case layout::DataFile::Boot: return modMain::strFileBoot;
    case layout::DataFile::None: break;
    }
    return {};
}

Plan Cut(std::string name, layout::Region region, int32_t imageClass)
{
    Plan plan;
    plan.kind = Plan::Write;
    plan.initialName = std::move(name);
    auto r = layout::RangeFor(region, imageClass);
    plan.first = r.first;
    plan.last = r.last;
    return plan;
}

Plan Refuse(const Message& message)
{
    Plan plan;
    plan.kind = Plan::Refuse;
    plan.refusal = message;
    return plan;
}

const char* DataFileName(layout::DataFile file)
{
    switch (file) {
    case layout::DataFile::File1zu2: return modMain::kDataFileNames[0];
    case layout::DataFile::File2zu1: return modMain::kDataFileNames[1];
    case layout::DataFile::Boot: return modMain::kDataFileNames[2];
    case layout::DataFile::None: break;
    }
    return "";
}

// A data file of another length than a block builds an image of the wrong length, or one that
// lacks its boot loader, and the box does not start from it: such a build is refused.
std::optional<Message> DataFileRefusal(layout::DataFile file)
{
    if (file == layout::DataFile::None)
        return std::nullopt;
    std::string path = DataPath(file);
    int64_t length = path.empty() ? -1 : FileLength(path);
    if (length == layout::kBlockSize)
        return std::nullopt;
    std::string what = path.empty() ? std::string("Die Datendatei ") + DataFileName(file) + " fehlt."
                       : length < 0
                           ? "Die Datendatei '" + path + "' fehlt oder ist nicht lesbar."
                           : "Die Datendatei '" + path + "' ist " + SizeText(length) +
                                 " lang; sie muss genau " + SizeText(layout::kBlockSize) + " lang sein.";
    return Message{what + "\r\nEs wird kein Image erzeugt.", Icon::Exclamation, "Stellmark - Fehler"};
}
}  // namespace

Plan PlanAction(const std::string& actionText, int32_t imageClass, const std::string& sourcePath,
                const ExpertInput& expert)
{
    const Action* action = FindAction(actionText);
    if (!action)
        return {};
    switch (action->does) {
    case Does::Build: {
        Plan plan;
        plan.kind = Plan::Write;
        plan.initialName = CreateFileName(action->flashKind == FlashKind::k1x ? "1x" : "2x", sourcePath);
        auto build = layout::PlanBuild(action->flashKind, action->withBootLoader, imageClass);
        for (auto file : {build.prevFile, build.prevFile1}) {
            if (auto refusal = DataFileRefusal(file))
                return Refuse(*refusal);
        }
        plan.first = build.range.first;
        plan.last = build.range.last;
        plan.prevFile = DataPath(build.prevFile);
        plan.prevFile1 = DataPath(build.prevFile1);
        return plan;
    }
    case Does::Cut:
        if (action->needsBootLoader && !layout::HasBootLoader(imageClass))
            return Refuse(kNoBootLoader);
        return Cut(std::string(action->initialName), action->region, imageClass);
    case Does::NotAvailable: return Refuse(kNotAvailable);
    case Does::Expert: break;
    }
    int32_t start = GetInputValue(expert.start);
    int32_t end = GetInputValue(expert.end);
    if (start < 0 || end < 0 || end > expert.imageSize || end <= start)
        return Refuse(kBadRange);
    Plan plan;
    plan.kind = Plan::Write;
    plan.initialName = std::string(action->initialName);
    plan.first = start + 1;
    plan.last = end;
    // The typed range is exact: a range ending at the first byte yields that byte.
    plan.exactEnd = true;
    return plan;
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code ea, eb;
    auto na = std::filesystem::weakly_canonical(std::filesystem::absolute(a, ea), ea);
    auto nb = std::filesystem::weakly_canonical(std::filesystem::absolute(b, eb), eb);
    return !ea && !eb && na == nb;
}

namespace {
Message OutputMessage(const std::string& output, const std::string& reason)
{
    return {"In '" + output + "' kann nicht gespeichert werden: " + reason +
                ".\r\nBitte anderen Dateinamen angeben!",
            Icon::Exclamation, "Stellmark - Fehler"};
}

// What stands at a path that is no regular file, as "das ist …" and "der Link zeigt auf …" say it.
struct Kind {
    const char* nominative;
    const char* accusative;
};
Kind KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return {"ein Ordner", "einen Ordner"};
    if (S_ISFIFO(mode))
        return {"eine benannte Pipe (FIFO)", "eine benannte Pipe (FIFO)"};
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return {"ein Gerät", "ein Gerät"};
    if (S_ISSOCK(mode))
        return {"ein Socket", "einen Socket"};
    return {"keine gewöhnliche Datei", "keine gewöhnliche Datei"};
}
}  // namespace

std::optional<Message> OutputRefusal(const std::string& output)
{
    // The data files are looked for in the folder searched at start-up, whether found or not:
    // one of them may exist while another is missing.
    if (!modMain::strDataDir.empty()) {
        for (const char* name : modMain::kDataFileNames) {
            if (SameFile(modMain::strDataDir + name, output))
                return OutputMessage(output, "das ist eine Datendatei des Programms");
        }
    }
    struct stat st {};
    if (::lstat(output.c_str(), &st) != 0)
        return std::nullopt;  // a new name; a missing folder shows as the copy's failure
    bool link = S_ISLNK(st.st_mode);
    if (link && ::stat(output.c_str(), &st) != 0)
        return OutputMessage(output, "der symbolische Link zeigt auf keine Datei");
    if (S_ISREG(st.st_mode))
        return std::nullopt;
    Kind kind = KindOf(st.st_mode);
    return OutputMessage(output, link ? std::string("der symbolische Link zeigt auf ") + kind.accusative
                                      : std::string("das ist ") + kind.nominative);
}

Outcome Execute(const Plan& plan, const std::string& source, const std::string& output, Overwrite overwrite)
{
    if (plan.kind == Plan::Refuse)
        return {Outcome::Refused, plan.refusal};
    if (plan.kind != Plan::Write || output.empty())
        return {Outcome::Failed, {}};
    if (SameFile(source, output))
        return {Outcome::Refused, kSameFile};
    if (auto refusal = OutputRefusal(output))
        return {Outcome::Refused, *refusal};
    struct stat st {};
    if (overwrite == Overwrite::Refuse && ::lstat(output.c_str(), &st) == 0)
        return {Outcome::Exists, {}};
    // No deletion beforehand: an old file stays whole until the new one takes its name.
    std::vector<std::string> notes;
    auto result = modMain::CopyFile(
        source, output, plan.first, plan.last, plan.prevFile, plan.prevFile1, "",
        {plan.exactEnd ? modMain::EndRule::Exact : modMain::EndRule::Sentinel, overwrite, &notes});
    switch (result) {
    case modMain::CopyResult::Written: return {Outcome::Written, {}, std::move(notes)};
    case modMain::CopyResult::NameTaken: return {Outcome::Exists, {}};
    case modMain::CopyResult::Skipped: return {Outcome::NotWritten, NotWrittenMessage(output)};
    case modMain::CopyResult::Failed: break;
    }
    return {Outcome::Failed, {}};
}

Message NotWrittenMessage(const std::string& output)
{
    return {"Die Datei '" + output +
                "' wurde nicht geschrieben.\r\nNach einem Fehler wurde ein Schritt übersprungen, "
                "und eine unvollständige Datei wird nie gespeichert.",
            Icon::Exclamation, "Stellmark - Fehler"};
}

Outcome Start(Proc& owner, const Request& request, const OutputChooser& chooseOutput)
{
    int32_t imageClass = request.imageClass ? *request.imageClass : 0;
    if (!request.imageClass)
        owner.Step([&] { imageClass = modMain::ImageTest(request.source); });
    Plan plan = PlanAction(request.actionText, imageClass, request.source, request.expert);
    if (plan.kind == Plan::Nothing)
        return {Outcome::Nothing, {}};
    if (plan.kind == Plan::Refuse)
        return {Outcome::Refused, plan.refusal};
    Choice choice = chooseOutput(plan.initialName);
    if (choice.path.empty())
        return {Outcome::Cancelled, {}};
    return Execute(plan, request.source, choice.path, choice.overwrite);
}

namespace {
bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Plain decimal with optional sign, surrounding spaces and a full stop as decimal separator.
// Empty when the text is no such number; otherwise the value rounded half to even, or an
// overflow failure when it does not fit 32 bits.
std::optional<int32_t> ParseDecimal(const std::string& text)
{
    std::size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos)
        return std::nullopt;
    std::size_t e = text.find_last_not_of(' ');
    std::string_view t(text.data() + b, e - b + 1);
    bool negative = false;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    auto dot = t.find('.');
    std::string_view whole = t.substr(0, dot);
    std::string_view frac = dot == std::string_view::npos ? std::string_view() : t.substr(dot + 1);
    auto digits = [](std::string_view s) {
        return s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if ((whole.empty() && frac.empty()) || !digits(whole) || !digits(frac))
        return std::nullopt;

    constexpr int64_t kLimit = int64_t{1} << 32;  // anything beyond is an overflow anyway
    int64_t value = 0;
    bool overflow = false;
    for (char c : whole) {
        value = value * 10 + (c - '0');
        if (value > kLimit) {
            overflow = true;
            break;
        }
    }
    if (!overflow && !frac.empty()) {
        bool restNonZero = frac.substr(1).find_first_not_of('0') != std::string_view::npos;
        if (frac[0] > '5' || (frac[0] == '5' && (restNonZero || value % 2 == 1)))
            ++value;
    }
    if (negative)
        value = -value;
    if (overflow || value > INT32_MAX || value < INT32_MIN)
        throw Failure(err::Overflow);
    return static_cast<int32_t>(value);
}
}  // namespace

int32_t GetInputValue(const std::string& Value)
{
    Proc p("[frmMain] Function GetInputValue(Value As String) As Long", {{"Value", Value}});
    // Held as invalid, so that leaving after a failed conversion never passes as offset 0.
    int32_t result = -1;
    return p.Run(result, [&] {
        std::string lower = Value;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.find("&h") != std::string::npos)
            return;
        if (Value.rfind("0x", 0) == 0) {
            std::string_view hex(Value);
            hex.remove_prefix(2);
            if (hex.empty() || hex.size() > 8 || !std::all_of(hex.begin(), hex.end(), IsHexDigit))
                return;
            result = static_cast<int32_t>(std::stoul(std::string(hex), nullptr, 16));
            return;
        }
        p.Step([&] {
            if (auto v = ParseDecimal(Value))
                result = *v;
        });
    });
}

std::string CreateFileName(const std::string& SubStr, const std::string& sourcePath)
{
    Proc p("[frmMain] Function CreateFileName(SubStr As String) As String", {{"SubStr", SubStr}});
    std::string result;
    return p.Run(result, [&] {
        std::string name;
        p.Step([&] { name = wsFiles::GetNamePart(sourcePath); });
        if (auto dot = name.rfind('.'); dot != std::string::npos)
            name.erase(dot);
        std::string tag = SubStr;
        for (char& c : tag)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string other = tag == "1x" ? "2x" : tag == "2x" ? "1x" : "";
        auto at = other.empty() ? std::string::npos : name.find(other);
        if (at == std::string::npos)
            result = name + "_[" + SubStr + "]";
        else
            result = name.replace(at, 2, SubStr);
    });
}

std::string SizeText(int64_t size)
{
    if (size >= 0 && size <= INT32_MAX)
        return modMain::GetHexValue(static_cast<int32_t>(size)) + " [" + std::to_string(size) + "] Bytes";
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%08llX", static_cast<unsigned long long>(size));
    return hex + (" [" + std::to_string(size) + "] Bytes");
}

bool CramfsFits(int64_t size) { return size <= layout::kRootSize; }

std::string CramfsVerdict(int64_t size)
{
    return SizeText(size) + " " + (CramfsFits(size) ? "- im Limit!" : "- zu groß!");
}

int64_t FileLength(const std::string& path)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return st.st_size;
}

}  // namespace stellmark::ops
