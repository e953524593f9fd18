#include "operations/CramfsReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>
#include <zlib.h>

namespace stellmark::ops {

namespace {
constexpr std::size_t kSuperSize = 76;  // the superblock with the root directory's entry
constexpr std::size_t kRootAt = 64;     // the root directory's entry within the superblock
constexpr std::size_t kInodeSize = 12;  // an entry before its name
constexpr uint32_t kBlockSize = 4096;   // what every block inflates to, the last one of a file less
constexpr std::size_t kMaxPath = 4096;  // as the box's kernel allows a path
constexpr uint64_t kNone = UINT64_MAX;

uint32_t Le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint32_t Be32(const unsigned char* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

std::string Hex(uint64_t v)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(v));
    return text;
}

std::string InflateError(int result)
{
    switch (result) {
    case Z_BUF_ERROR: return "unvollständig oder zu lang";
    case Z_DATA_ERROR: return "Daten beschädigt";
    case Z_NEED_DICT: return "verlangt ein Wörterbuch";
    case Z_MEM_ERROR: return "kein Speicher";
    }
    return "zlib-Fehler " + std::to_string(result);
}

struct Inode {
    uint16_t mode, uid;
    uint32_t size;  // 24 bits
    uint8_t gid;
    uint32_t nameLength;  // in bytes, a multiple of 4
    uint64_t offset;      // in bytes
};

// Walks the tree from the root, depth first as the directories store it, and stops at the first
// fault.
class Walker {
public:
    Walker(const unsigned char* data, std::size_t limit, bool bigEndian, std::size_t superAt,
           CramfsTree& tree)
        : d_(data), limit_(limit), big_(bigEndian), superAt_(superAt), tree_(tree), inodeSeen_(limit / 4 + 1),
          pointerSeen_(limit / 4 + 1), inputBudget_(2 * uint64_t(limit) + 65536)
    {
        zOk_ = inflateInit(&z_) == Z_OK;
    }
    ~Walker()
    {
        if (zOk_)
            inflateEnd(&z_);
    }
    Walker(const Walker&) = delete;
    Walker& operator=(const Walker&) = delete;

    void Run(uint32_t flags)
    {
        if (!zOk_) {
            Fail("zlib nicht bereit");
            return;
        }
        Inode root = At(superAt_ + kRootAt);
        tree_.entries.push_back(Entry(root, "", -1));
        if (!S_ISDIR(root.mode)) {
            Fail("die Wurzel ist kein Verzeichnis");
            return;
        }
        if (!(flags & kCramfsFlagShiftedRoot) && root.offset != kSuperSize &&
            root.offset != superAt_ + kSuperSize) {
            Fail("Versatz der Wurzel falsch (" + Hex(root.offset) + ")");
            return;
        }
        if (!Directory(0, root, 1))
            return;
        // Directories come first, the data right behind them, all within the stated size.
        if (startData_ != kNone) {
            if (startData_ < superAt_ + kSuperSize)
                Fail("Daten beginnen im Superblock (" + Hex(startData_) + ")");
            else if (endDir_ != startData_)
                Fail("Verzeichnisse enden bei " + Hex(endDir_) + ", die Daten beginnen bei " +
                     Hex(startData_));
        }
    }
    const std::string& Fault() const { return fault_; }
    bool Holes() const { return holes_; }

private:
    bool Fail(const std::string& fault)
    {
        if (fault_.empty())
            fault_ = fault;
        return false;
    }
    std::string Where(std::size_t index) const { return "'" + tree_.PathOf(index) + "'"; }

    uint32_t U32(uint64_t at) const { return big_ ? Be32(d_ + at) : Le32(d_ + at); }
    // The caller makes sure the twelve bytes are there.
    Inode At(uint64_t at) const
    {
        uint32_t w0 = U32(at), w1 = U32(at + 4), w2 = U32(at + 8);
        // The fields are bit fields of the machine that made the file system: the first in the
        // high bits on a big-endian one, in the low bits on a little-endian one.
        if (big_)
            return {uint16_t(w0 >> 16), uint16_t(w0),   w1 >> 8,
                    uint8_t(w1),        (w2 >> 26) * 4, uint64_t(w2 & 0x3FFFFFF) * 4};
        return {uint16_t(w0),      uint16_t(w0 >> 16), w1 & 0xFFFFFF,
                uint8_t(w1 >> 24), (w2 & 0x3F) * 4,    uint64_t(w2 >> 6) * 4};
    }
    static CramfsEntry Entry(const Inode& in, std::string name, int64_t parent)
    {
        CramfsEntry e;
        e.name = std::move(name), e.parent = parent, e.mode = in.mode, e.uid = in.uid, e.gid = in.gid,
        e.size = in.size;
        return e;
    }

    // A directory being read: where its next entry stands and how many of its bytes are left.
    struct Open {
        std::size_t self;
        uint64_t at;
        int64_t left;
        std::size_t pathLength;
        uint64_t next = 0;     // behind the entry last read, once its own tree is done
        bool pending = false;  // an entry was read whose tree is being walked
    };

    bool Enter(std::size_t self, const Inode& dir, std::size_t pathLength)
    {
        if (dir.offset == 0 && dir.size != 0)
            return Fail("Verzeichnis " + Where(self) + " ohne Versatz, aber mit Größe");
        if (dir.offset != 0)
            startDir_ = std::min(startDir_, dir.offset);
        open_.push_back({self, dir.offset, static_cast<int64_t>(dir.size), pathLength});
        return true;
    }

    // Depth first, as the directories store their entries; with a stack of its own, so that a
    // deep tree needs no deep recursion.
    bool Directory(std::size_t self, const Inode& dir, std::size_t pathLength)
    {
        if (!Enter(self, dir, pathLength))
            return false;
        while (!open_.empty()) {
            Open& d = open_.back();
            if (d.pending) {  // back from an entry: the next one stands behind it
                d.pending = false, d.at = d.next;
                if (d.at <= startDir_)
                    return Fail("Eintrag vor dem ersten Verzeichnis (" + Hex(d.at) + ")");
                endDir_ = std::max(endDir_, d.at);
            }
            if (d.left <= 0) {
                open_.pop_back();
                continue;
            }
            const uint64_t at = d.at;
            const std::size_t parent = d.self;
            if (at + kInodeSize > limit_)
                return Fail("Eintrag in " + Where(parent) + " hinter dem Ende (" + Hex(at) + ")");
            // Each entry is read once: a directory that leads back into one already read is a loop.
            if (inodeSeen_[at / 4])
                return Fail("Eintrag bei " + Hex(at) + " mehrfach verwendet (Schleife)");
            inodeSeen_[at / 4] = true;
            Inode child = At(at);
            d.left -= static_cast<int64_t>(kInodeSize + child.nameLength);
            d.next = at + kInodeSize + child.nameLength, d.pending = true;
            if (child.nameLength == 0)
                return Fail("Name der Länge 0 in " + Where(parent));
            if (at + kInodeSize + child.nameLength > limit_)
                return Fail("Name in " + Where(parent) + " hinter dem Ende (" + Hex(at) + ")");
            const char* raw = reinterpret_cast<const char*>(d_ + at + kInodeSize);
            std::string name(raw, strnlen(raw, child.nameLength));
            // Names are padded to four bytes with at most three zeros.
            if (child.nameLength - name.size() > 3)
                return Fail("Name in " + Where(parent) + " zu kurz für seine Länge (" + Hex(at) + ")");
            if (name == "." || name == ".." || name.find('/') != std::string::npos)
                return Fail("unzulässiger Name in " + Where(parent) + " (" + Hex(at) + ")");
            const std::size_t length = d.pathLength + name.size() + 1;
            if (length > kMaxPath)
                return Fail("Pfad länger als " + std::to_string(kMaxPath) + " Bytes (" + Hex(at) + ")");
            if (tree_.entries.size() > limit_ / kInodeSize)
                return Fail("mehr Einträge, als Platz für sie ist (" + Hex(at) + ")");
            tree_.entries.push_back(Entry(child, std::move(name), static_cast<int64_t>(parent)));
            const std::size_t index = tree_.entries.size() - 1;
            // `d` is not used below: entering a directory may move the stack.
            bool ok = S_ISDIR(child.mode)   ? Enter(index, child, length)
                      : S_ISREG(child.mode) ? File(index, child)
                      : S_ISLNK(child.mode) ? Link(index, child)
                                            : Special(index, child);
            if (!ok)
                return false;
        }
        return true;
    }

    // Inflates the block [from, to) into the buffer; its length, or -1 with the fault set.
    int64_t Inflate(std::size_t index, uint64_t from, uint64_t to)
    {
        if (to < from || to - from > 2 * kBlockSize)
            return Fail("Block von " + Where(index) + " bei " + Hex(from) + " zu groß"), -1;
        if (to > limit_)
            return Fail("Block von " + Where(index) + " reicht hinter das Ende (" + Hex(to) + ")"), -1;
        if (to - from > inputBudget_)
            return Fail("Datenblöcke mehrfach verwendet"), -1;
        inputBudget_ -= to - from;
        inflateReset(&z_);
        z_.next_in = const_cast<unsigned char*>(d_ + from);
        z_.avail_in = static_cast<uInt>(to - from);
        z_.next_out = buffer_;
        z_.avail_out = sizeof buffer_;
        int result = inflate(&z_, Z_FINISH);
        if (result != Z_STREAM_END)
            return Fail("Block von " + Where(index) + " bei " + Hex(from) + " lässt sich nicht entpacken (" +
                        InflateError(result) + ")"),
                   -1;
        return static_cast<int64_t>(z_.total_out);
    }

    // Marks the block pointers [at, at + 4n) as read; false where one was read before.
    bool TakePointers(uint64_t at, uint64_t n)
    {
        for (uint64_t i = 0; i < n; ++i) {
            if (pointerSeen_[(at / 4) + i])
                return false;
            pointerSeen_[(at / 4) + i] = true;
        }
        return true;
    }

    bool File(std::size_t index, const Inode& file)
    {
        if (file.offset == 0 && file.size != 0)
            return Fail("Datei " + Where(index) + " ohne Versatz, aber mit Größe");
        if (file.size == 0 && file.offset != 0)
            return Fail("leere Datei " + Where(index) + " mit Versatz");
        if (file.size == 0)
            return true;
        startData_ = std::min(startData_, file.offset);
        const uint64_t blocks = (file.size + kBlockSize - 1) / kBlockSize;
        if (file.offset + 4 * blocks > limit_)
            return Fail("Blockliste von " + Where(index) + " hinter dem Ende (" + Hex(file.offset) + ")");
        // The system's tool stores equal files once: such a file is checked once.
        if (!checked_.insert({file.offset, file.size}).second)
            return true;
        if (!TakePointers(file.offset, blocks))
            return Fail("Blockliste von " + Where(index) + " mehrfach verwendet");
        uint64_t current = file.offset + 4 * blocks;
        uint64_t left = file.size;
        for (uint64_t i = 0; i < blocks; ++i) {
            const uint64_t next = U32(file.offset + 4 * i);
            endData_ = std::max(endData_, next);
            const uint64_t want = std::min<uint64_t>(left, kBlockSize);
            int64_t got;
            if (next == current) {  // a hole: a block of zeros stored as nothing
                holes_ = true;
                got = static_cast<int64_t>(want);
            } else if ((got = Inflate(index, current, next)) < 0) {
                return false;
            }
            if (static_cast<uint64_t>(got) != want)
                return Fail("Block " + std::to_string(i) + " von " + Where(index) + " ergibt " +
                            std::to_string(got) + " statt " + std::to_string(want) + " Bytes");
            left -= want;
            current = next;
        }
        return true;
    }

    bool Link(std::size_t index, const Inode& link)
    {
        if (link.offset == 0)
            return Fail("Verweis " + Where(index) + " ohne Versatz");
        if (link.size == 0)
            return Fail("Verweis " + Where(index) + " ohne Ziel");
        startData_ = std::min(startData_, link.offset);
        if (link.offset + 4 > limit_)
            return Fail("Verweis " + Where(index) + " hinter dem Ende (" + Hex(link.offset) + ")");
        const uint64_t next = U32(link.offset);
        endData_ = std::max(endData_, next);
        if (checked_.insert({link.offset, link.size}).second && !TakePointers(link.offset, 1))
            return Fail("Verweis " + Where(index) + " mehrfach verwendet");
        int64_t got = Inflate(index, link.offset + 4, next);
        if (got < 0)
            return false;
        if (got != link.size)
            return Fail("Ziel von " + Where(index) + " hat " + std::to_string(got) + " statt " +
                        std::to_string(link.size) + " Bytes");
        tree_.entries[index].target.assign(reinterpret_cast<const char*>(buffer_),
                                           static_cast<std::size_t>(got));
        return true;
    }

    bool Special(std::size_t index, const Inode& node)
    {
        if (node.offset != 0)
            return Fail("Sonderdatei " + Where(index) + " mit Versatz");
        if (S_ISCHR(node.mode) || S_ISBLK(node.mode))
            return true;
        if (S_ISFIFO(node.mode) || S_ISSOCK(node.mode))
            return node.size == 0 || Fail("FIFO oder Socket " + Where(index) + " mit Größe");
        char mode[16];
        std::snprintf(mode, sizeof mode, "%06o", node.mode);
        return Fail("unbekannte Art " + std::string(mode) + " von " + Where(index));
    }

    const unsigned char* d_;
    std::size_t limit_;
    bool big_;
    std::size_t superAt_;
    CramfsTree& tree_;
    std::vector<bool> inodeSeen_, pointerSeen_;  // per four bytes
    std::vector<Open> open_;
    std::set<std::pair<uint64_t, uint32_t>> checked_;
    uint64_t inputBudget_;
    uint64_t startDir_ = kNone, endDir_ = 0, startData_ = kNone, endData_ = 0;
    bool holes_ = false;
    std::string fault_;
    z_stream z_{};
    bool zOk_ = false;
    unsigned char buffer_[2 * kBlockSize];
};
}  // namespace

char CramfsEntry::Kind() const
{
    switch (mode & S_IFMT) {
    case S_IFDIR: return 'd';
    case S_IFREG: return '-';
    case S_IFLNK: return 'l';
    case S_IFCHR: return 'c';
    case S_IFBLK: return 'b';
    case S_IFIFO: return 'p';
    case S_IFSOCK: return 's';
    }
    return '?';
}

std::string CramfsTree::PathOf(std::size_t i) const
{
    if (i >= entries.size() || entries[i].parent < 0)
        return "/";
    std::vector<const std::string*> names;
    for (int64_t at = static_cast<int64_t>(i); at > 0 && names.size() <= entries.size();
         at = entries[static_cast<std::size_t>(at)].parent)
        names.push_back(&entries[static_cast<std::size_t>(at)].name);
    std::string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        path += "/" + **it;
    return path;
}

std::string CramfsTree::Line(std::size_t i) const
{
    const CramfsEntry& e = entries.at(i);
    std::string mode(1, e.Kind() == '?' ? '?' : e.Kind());
    const char* rwx = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit)
        mode += (e.mode >> (8 - bit)) & 1 ? rwx[bit] : '-';
    // The special bits where ls shows them: over the owner's, group's and others' x.
    if (e.mode & S_ISUID)
        mode[3] = mode[3] == 'x' ? 's' : 'S';
    if (e.mode & S_ISGID)
        mode[6] = mode[6] == 'x' ? 's' : 'S';
    if (e.mode & S_ISVTX)
        mode[9] = mode[9] == 'x' ? 't' : 'T';
    char size[32];
    if (e.Kind() == 'c' || e.Kind() == 'b')  // the format keeps 24 bits: 12 for each number
        std::snprintf(size, sizeof size, "%4u, %4u", (e.size >> 8) & 0xFFF,
                      (e.size & 0xFF) | ((e.size >> 12) & 0xFFF00));
    else
        std::snprintf(size, sizeof size, "%10u", e.size);
    char line[96];
    std::snprintf(line, sizeof line, "%s %5u/%-3u %s ", mode.c_str(), e.uid, unsigned(e.gid), size);
    return line + PathOf(i) + (e.Kind() == 'l' ? " -> " + e.target : "");
}

CramfsTree ReadCramfsBytes(const unsigned char* data, std::size_t size)
{
    CramfsTree tree;
    CramfsFindings& f = tree.findings;
    f = CheckCramfsBytes(data, size);
    if (!f.found || !f.plausible)
        return f.deep = false, tree;
    // A file system with a CRC is what its stated size covers; an old one has only the bytes.
    std::size_t limit = size;
    if (f.crcPresent)
        limit = std::min(size, static_cast<std::size_t>(f.statedSize));
    Walker walker(data, limit, f.bigEndian, static_cast<std::size_t>(f.offset), tree);
    walker.Run(f.flags);
    f.deep = true;
    f.entries = static_cast<int64_t>(tree.entries.size()) - 1;
    f.holeBlocks = walker.Holes();
    if (f.fault.empty())
        f.fault = walker.Fault();
    return tree;
}

CramfsTree ReadCramfs(const std::string& path, int64_t offset, int64_t length)
{
    CramfsTree tree;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        tree.findings.readError = std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return tree;
    }
    const int64_t available = std::max<int64_t>(0, std::min<int64_t>(length, st.st_size - offset));
    std::vector<unsigned char> bytes;
    std::string error;
    auto read = [&](std::size_t n) {
        const std::size_t had = bytes.size();
        bytes.resize(n);
        for (std::size_t got = had; got < n;) {
            ssize_t r = ::pread(fd, bytes.data() + got, n - got, offset + static_cast<off_t>(got));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0) {
                error = std::strerror(r < 0 ? errno : EIO);
                bytes.resize(got);
                return false;
            }
            got += static_cast<std::size_t>(r);
        }
        return true;
    };
    // The superblock first: without a magic nothing more is read.
    CramfsFindings head;
    head.available = available;
    if (read(static_cast<std::size_t>(std::min<int64_t>(available, kCramfsHeadSize))) &&
        ReadCramfsSuperblock(bytes.data(), bytes.size(), head)) {
        int64_t want = available;
        if (head.crcPresent && head.plausible && head.statedSize <= available)
            want = head.statedSize;
        read(static_cast<std::size_t>(std::max<int64_t>(want, static_cast<int64_t>(bytes.size()))));
    }
    ::close(fd);
    tree = ReadCramfsBytes(bytes.data(), bytes.size());
    tree.findings.available = available;
    tree.findings.complete = tree.findings.found && tree.findings.statedSize <= available;
    tree.findings.readError = error;
    return tree;
}

}  // namespace stellmark::ops
