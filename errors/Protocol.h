#pragma once
// The error protocol: a plain-text report of the failure in the dialog, appended to the log
// file beside the program on every failure. Saving and sending it belong to the dialog.
#include <cstdint>
#include <functional>
#include <string>

namespace stellmark {

class frmPanne;

// What the protocol's system lines show. On Linux: the kernel's name, its release numbers and
// the distribution's name in place of the service-pack text.
struct OsVersion {
    std::string platform;  // "Plattform:" line
    int major = 0;
    int minor = 0;
    uint32_t build = 0;  // only the low 16 bits are shown
    // The raw text field as the system hands it over, cut at its first NUL when shown.
    std::string servicePackField;
};

// Asks the running system. Never fails; unknown parts stay empty or 0.
OsVersion QueryOsVersion();
// Replaces where the system lines come from (tests); an empty function restores the system.
std::function<OsVersion()> SetOsVersionSource(std::function<OsVersion()> source);

// Pieces of the system query, open for tests.
// "6.1.0-18-amd64" -> 6, 1, 0. Missing numbers are 0.
void ParseKernelRelease(const std::string& release, int& major, int& minor, uint32_t& patch);
// The PRETTY_NAME value of an os-release text, unquoted; empty when there is none.
std::string PrettyNameFromOsRelease(const std::string& text);

// The protocol text, every line closed by CR LF.
std::string BuildProtocol(const frmPanne& panne);

// Protocol folder (errors/Places.h: the program's own when portable) + "/" + program base name +
// ending (".EPT", ".ERR"). The folder is made when missing, since the path is asked for to write.
std::string ProtocolPath(const std::string& ending);

// Appends the protocol and one more CR LF to the log file. A file that cannot be written
// costs this entry only: nothing is thrown, and a partly written entry is taken back.
bool AppendProtocolLog(const frmPanne& panne) noexcept;

}  // namespace stellmark
