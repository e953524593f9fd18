#include "errors/Protocol.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <string_view>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include "errors/Places.h"
#include "errors/Program.h"
#include "errors/frmPanne.h"

namespace stellmark {

namespace {

const std::string kSeparator(70, '-');
const std::string kIndent(10, ' ');

std::function<OsVersion()>& Source()
{
    static std::function<OsVersion()> source = QueryOsVersion;
    return source;
}

// Captions are plain ASCII, so the C locale's upper case is all that is needed.
std::string Upper(std::string_view text)
{
    std::string out(text);
    for (auto& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string ReadSmallFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string text;
    char buf[4096];
    // os-release files are a few hundred bytes; a huge or endless file is not read to its end.
    while (text.size() < 65536) {
        in.read(buf, sizeof buf);
        if (in.gcount() <= 0)
            break;
        text.append(buf, static_cast<std::size_t>(in.gcount()));
    }
    return text;
}

// The text in a field of `size` bytes with its closing NUL, as the system's fixed fields hold
// it; cut at a character boundary so no half UTF-8 sequence is left at the end.
std::string FixedField(std::string text, std::size_t size)
{
    if (text.size() > size - 1) {
        std::size_t cut = size - 1;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
    }
    text.push_back('\0');
    return text;
}

// A file descriptor closed by its owner.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd_; }
    bool Close()
    {
        if (fd_ < 0)
            return true;
        int r = ::close(fd_);
        fd_ = -1;
        return r == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes `bytes` to a temporary file beside `path` and renames it over `path`, so that a
// failed write leaves the old file as it was and no half file behind.
}  // namespace

void ParseKernelRelease(const std::string& release, int& major, int& minor, uint32_t& patch)
{
    uint32_t parts[3] = {0, 0, 0};
    const char* p = release.data();
    const char* end = p + release.size();
    for (int i = 0; i < 3 && p < end && std::isdigit(static_cast<unsigned char>(*p)); ++i) {
        auto [next, ec] = std::from_chars(p, end, parts[i]);
        if (ec == std::errc::result_out_of_range) {
            parts[i] = UINT32_MAX;
            while (next < end && std::isdigit(static_cast<unsigned char>(*next)))
                ++next;
        }
        p = next;
        if (p == end || *p != '.')
            break;
        ++p;
    }
    auto toInt = [](uint32_t v) { return v > INT_MAX ? INT_MAX : static_cast<int>(v); };
    major = toInt(parts[0]);
    minor = toInt(parts[1]);
    patch = parts[2];
}

std::string PrettyNameFromOsRelease(const std::string& text)
{
    static constexpr std::string_view kKey = "PRETTY_NAME=";
    std::string result;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string::npos)
            eol = text.size();
        std::string_view line(text.data() + pos, eol - pos);
        pos = eol + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (!line.starts_with(kKey))
            continue;
        line.remove_prefix(kKey.size());
        // Shell-style value: a quoted one may hold escaped quotes and backslashes.
        std::string value;
        if (!line.empty() && (line.front() == '"' || line.front() == '\'')) {
            char quote = line.front();
            for (std::size_t i = 1; i < line.size() && line[i] != quote; ++i) {
                if (quote == '"' && line[i] == '\\' && i + 1 < line.size())
                    ++i;
                value.push_back(line[i]);
            }
        } else {
            value = line;
        }
        result = value;  // the last assignment counts, as in the shell
    }
    return result;
}

OsVersion QueryOsVersion()
{
    OsVersion v;
    struct utsname u {};
    if (::uname(&u) == 0) {
        v.platform = u.sysname;
        ParseKernelRelease(u.release, v.major, v.minor, v.build);
    }
    std::string name = PrettyNameFromOsRelease(ReadSmallFile("/etc/os-release"));
    if (name.empty())
        name = PrettyNameFromOsRelease(ReadSmallFile("/usr/lib/os-release"));
    v.servicePackField = FixedField(std::move(name), 128);
    return v;
}

std::function<OsVersion()> SetOsVersionSource(std::function<OsVersion()> source)
{
    std::swap(Source(), source);
    if (!Source())
        Source() = QueryOsVersion;
    return source;
}

std::string BuildProtocol(const frmPanne& panne)
{
    std::string out;
    auto line = [&out](std::string_view text) {
        out += text;
        out += "\r\n";
    };
    line(kSeparator);
    line("F E H L E R P R O T O K O L L vom Pannenbuch");
    line(kSeparator);
    line(panne.Caption());
    line(kSeparator);
    line(Upper(frmPanne::kFramFehlerCaption));
    for (std::size_t i = 0; i < 4; ++i)
        line(kIndent + frmPanne::lblErrTitel[i] + "\t" + panne.lblError()[i]);
    std::tm tm = panne.Now();
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d-%02d-%04d / %02d:%02d:%02d", tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    line(kIndent + "Datum/Uhrzeit:\t" + stamp);
    line(kSeparator);
    line(Upper(frmPanne::kFramCallStackCaption));
    for (const auto& trace : panne.lstCallStack())
        line(kIndent + trace);
    line(kSeparator);
    line("SYSTEMINFO:");
    OsVersion os = Source()();
    line(kIndent + "Plattform:\t" + os.platform);
    line(kIndent + "Version:\t" + std::to_string(os.major) + "." + std::to_string(os.minor));
    line(kIndent + "Build:\t" + std::to_string(os.build & 0xFFFFu) + "   " +
         frmPanne::LPSTRToVBString(os.servicePackField));
    line(kSeparator);
    return out;
}

std::string ProtocolPath(const std::string& ending)
{
    std::string dir = places::Current().protocol;
    places::MakeFolder(dir);
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir + program::BaseName() + ending;
}

bool AppendProtocolLog(const frmPanne& panne) noexcept
{
    try {
        const std::string text = BuildProtocol(panne) + "\r\n";
        const std::string path = ProtocolPath(".EPT");
        // Non-blocking only so that a pipe without reader in the log's place cannot stall the
        // dialog; regular files ignore the flag.
        Fd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666));
        if (fd.Get() < 0)
            return false;
        struct stat st {};
        if (::fstat(fd.Get(), &st) != 0)
            return false;
        if (!WriteAll(fd.Get(), text)) {
            // A half entry would read as a damaged protocol; the earlier ones stay as they were.
            if (S_ISREG(st.st_mode))
                (void)!::ftruncate(fd.Get(), st.st_size);
            return false;
        }
        return fd.Close();
    } catch (...) {
        return false;
    }
}

}  // namespace stellmark
