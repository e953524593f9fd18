#include "operations/Texts.h"

#include <climits>
#include <cstdio>
#include <sys/stat.h>

#include "core/Layout.h"
#include "core/modMain.h"

namespace stellmark::ops {

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
Message NotWrittenMessage(const std::string& output)
{
    return {"Die Datei '" + output +
                "' wurde nicht geschrieben.\r\nNach einem Fehler wurde ein Schritt übersprungen, "
                "und eine unvollständige Datei wird nie gespeichert.",
            Icon::Exclamation, "Stellmark - Fehler"};
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
