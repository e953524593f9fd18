// The CramFS reader measured against the system's own tools: file systems made by mkfs.cramfs in
// both byte orders (and behind 512 bytes of padding), broken the ways flash and people break
// them, each judged by the reader and by fsck.cramfs --extract; hand-made hostile ones end with
// a verdict.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <zlib.h>

#include "core/DemoImages.h"
#include "operations/Examine.h"
#include "operations/CramfsReader.h"
#include "operations/ImageMap.h"
#include "operations/RootInsert.h"
#include "tests/support/Process.h"
#include "tests/support/TestSupport.h"

using namespace stellmark;

namespace {
using Bytes = std::string;

struct Fs {
    Bytes bytes;
    bool big;
    std::size_t at;  // where the superblock stands

    uint32_t Get(std::size_t off) const
    {
        uint32_t v;
        std::memcpy(&v, bytes.data() + off, 4);
        return big ? __builtin_bswap32(v) : v;
    }
    void Put(std::size_t off, uint32_t v)
    {
        v = big ? __builtin_bswap32(v) : v;
        std::memcpy(bytes.data() + off, &v, 4);
    }
    // The entry (twelve bytes before the name) of the entry named `name`.
    std::size_t Inode(const std::string& name) const
    {
        std::size_t at = bytes.find(name);
        EXPECT_NE(at, Bytes::npos) << name;
        return at - 12;
    }
    std::size_t DataOf(const std::string& name) const
    {
        uint32_t w = Get(Inode(name) + 8);
        return (big ? w & 0x3FFFFFF : w >> 6) * 4;
    }
    void FixCrc()
    {
        Put(at + 32, 0);
        Put(at + 32, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + at),
                                                 static_cast<uInt>(Get(at + 4) - at))));
    }
};

// What fsck.cramfs -v prints for each entry, with the tree extracted to `root`.
std::string Listing(const ops::CramfsTree& t, const std::string& root)
{
    std::string out;
    for (std::size_t i = 0; i < t.entries.size(); ++i) {
        const auto& e = t.entries[i];
        char info[16], line[64];
        if (e.Kind() == 'c' || e.Kind() == 'b')
            std::snprintf(info, sizeof info, "%4u,%4u", major(e.size), minor(e.size));
        else
            std::snprintf(info, sizeof info, "%9u", e.size);
        std::snprintf(line, sizeof line, "%c %04o %s %5u:%-3u ", e.Kind() == '-' ? 'f' : e.Kind(),
                      e.mode & 07777u, info, e.uid, unsigned(e.gid));
        std::string path = i == 0 ? root : root + t.PathOf(i);
        out += line + path + (e.target.empty() ? "" : " -> " + e.target) + "\n";
    }
    return out;
}

std::multiset<std::string> Sorted(const std::string& lines)
{
    std::multiset<std::string> set;
    for (std::size_t at = 0, end; (end = lines.find('\n', at)) != std::string::npos; at = end + 1)
        set.insert(lines.substr(at, end - at));
    return set;
}

class Cramfs : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string tree = dir / "baum";
        for (const char* sub : {"", "/unter ordner", "/unter ordner/tiefer"})
            ::mkdir((tree + sub).c_str(), 0755);
        std::string text;
        while (text.size() < 20000)
            text += "Zeile " + std::to_string(text.size()) + " der Box\n";
        test::WriteFile(tree + "/liesmich", "Hallo Box\n");
        test::WriteFile(tree + "/text mit leerzeichen", text);
        test::WriteFile(tree + "/zufall", test::Pattern(10000, 7));
        test::WriteFile(tree + "/leer", "");
        test::WriteFile(tree + "/unter ordner/tiefer/datei", "tief\n");
        ::symlink("unter ordner/tiefer/datei", (tree + "/verweis").c_str());
        ::mknod((tree + "/rohr").c_str(), S_IFIFO | 0644, 0);
        ::mknod((tree + "/tty").c_str(), S_IFCHR | 0600, makedev(4, 5));  // where allowed
        for (auto [name, args] : {std::pair<const char*, std::vector<std::string>>{"big", {"-N", "big"}},
                                  {"little", {"-N", "little"}},
                                  {"padded", {"-N", "big", "-p"}}}) {
            args.insert(args.begin(), "/sbin/mkfs.cramfs");
            args.insert(args.end(), {tree, dir / name});
            ASSERT_EQ(test::RunProcess(args).exitCode, 0) << name;
            images.push_back({test::ReadFile(dir / name), std::string(name) != "little",
                              std::string(name) == "padded" ? 512u : 0u});
        }
    }
    // fsck.cramfs --extract's verdict and, with -v, its listing of the tree.
    std::pair<bool, std::string> Fsck(const Bytes& bytes)
    {
        test::WriteFile(dir / "probe", bytes);
        test::RunProcess({"/bin/rm", "-rf", dir / "x"});
        auto r = test::RunProcess({"/sbin/fsck.cramfs", "-v", "--extract=x", dir / "probe"}, dir.Path());
        std::string listing;
        for (std::size_t at = 0, end; (end = r.out.find('\n', at)) != std::string::npos; at = end + 1)
            if (r.out.compare(at, 6, "cramfs") != 0 &&
                r.out.compare(at, (dir / "probe").size(), dir / "probe"))
                listing += r.out.substr(at, end + 1 - at);
        return {r.exitCode == 0, listing};
    }

    test::TempDir dir;
    std::vector<Fs> images;
};
}  // namespace

TEST_F(Cramfs, VerdictAgreesWithTheSystemCheckerOnEveryMutation)
{
    // intact: the reader's verdict; fsck: whether fsck.cramfs --extract accepts it where that
    // differs (it knows no flag beyond the low byte; the box's kernel knows three more)
    struct Row {
        const char* name;
        std::function<void(Fs&)> mutate;
        bool intact;
        std::optional<bool> fsck = {};
        bool fits = true;
    };
    const std::vector<Row> rows = {
        {"as made", [](Fs&) {}, true},
        {"bytes appended", [](Fs& f) { f.bytes += Bytes(4096, '\xFF'); }, true},
        {"cut short", [](Fs& f) { f.bytes.resize(f.bytes.size() - 100); }, false},
        {"data bit flipped", [](Fs& f) { f.bytes[f.DataOf("zufall") + 2000] ^= 0x10; }, false},
        {"data bit flipped, CRC recomputed",
         [](Fs& f) { f.bytes[f.DataOf("zufall") + 2000] ^= 0x10, f.FixCrc(); }, false},
        {"text data flipped, CRC recomputed",
         [](Fs& f) { f.bytes[f.DataOf("text mit leerzeichen") + 40] ^= 0x01, f.FixCrc(); }, false},
        {"file size changed, CRC recomputed",
         [](Fs& f) { f.bytes[f.Inode("liesmich") + (f.big ? 6 : 4)] ^= 0x01, f.FixCrc(); }, false},
        {"kind changed, CRC recomputed",
         [](Fs& f) { f.bytes[f.Inode("liesmich") + (f.big ? 0 : 1)] |= 0x70, f.FixCrc(); }, false},
        {"name letter changed, CRC recomputed",
         [](Fs& f) { f.bytes[f.Inode("liesmich") + 12] = 'L', f.FixCrc(); }, true},
        {"name emptied, CRC recomputed", [](Fs& f) { f.bytes[f.Inode("liesmich") + 12] = 0, f.FixCrc(); },
         false},
        {"block pointer past the end, CRC recomputed",
         [](Fs& f) { f.Put(f.DataOf("zufall"), f.Get(f.at + 4) + 64), f.FixCrc(); }, false},
        {"root offset moved, CRC recomputed",
         [](Fs& f) { f.Put(f.at + 72, f.Get(f.at + 72) + (f.big ? 1 : 64)), f.FixCrc(); }, false},
        {"directory loops to the root, CRC recomputed",
         [](Fs& f) {
             std::size_t sub = f.Inode("unter ordner") + 8;
             uint32_t w = f.Get(sub), root = f.Get(f.at + 72);
             f.Put(sub, f.big ? (w & 0xFC000000) | (root & 0x3FFFFFF) : (w & 0x3F) | (root & ~0x3Fu));
             f.FixCrc();
         },
         false},
        {"root claims 16 MiB of entries, CRC recomputed",
         [](Fs& f) {
             f.bytes[f.at + 68 + (f.big ? 0 : 2)] = '\xFF';
             f.FixCrc();
         },
         false},
        {"file count 0, CRC recomputed", [](Fs& f) { f.Put(f.at + 44, 0), f.FixCrc(); }, false},
        {"signature changed, CRC recomputed", [](Fs& f) { f.bytes[f.at + 16] = 'c', f.FixCrc(); }, true},
        {"flag 0x800 (unknown), CRC recomputed",
         [](Fs& f) { f.Put(f.at + 8, f.Get(f.at + 8) | 0x800), f.FixCrc(); }, false},
        {"flag 0x100 (holes), CRC recomputed",
         [](Fs& f) { f.Put(f.at + 8, f.Get(f.at + 8) | 0x100), f.FixCrc(); }, true, false},
        {"old format without CRC", [](Fs& f) { f.Put(f.at + 8, f.Get(f.at + 8) & ~1u); }, true},
        {"old format, data bit flipped",
         [](Fs& f) { f.Put(f.at + 8, f.Get(f.at + 8) & ~1u), f.bytes[f.DataOf("zufall") + 2000] ^= 0x10; },
         false},
        {"stated size exactly 0x600000, CRC recomputed",
         [](Fs& f) { f.bytes.resize(0x600000), f.Put(f.at + 4, 0x600000), f.FixCrc(); }, true},
        {"stated size 0x600001, CRC recomputed",
         [](Fs& f) { f.bytes.resize(0x600001), f.Put(f.at + 4, 0x600001), f.FixCrc(); },
         true,
         {},
         false},
        {"stated size 0x600004, CRC recomputed",
         [](Fs& f) { f.bytes.resize(0x600004), f.Put(f.at + 4, 0x600004), f.FixCrc(); },
         true,
         {},
         false},
    };
    for (const auto& image : images) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (image.at    ? " (padded)"
                                                  : image.big ? " (big)"
                                                              : " (little)"));
            Fs f = image;
            row.mutate(f);
            auto tree =
                ops::ReadCramfsBytes(reinterpret_cast<const unsigned char*>(f.bytes.data()), f.bytes.size());
            const auto& v = tree.findings;
            auto [fsckOk, listing] = Fsck(f.bytes);
            EXPECT_EQ(v.Intact(), row.intact) << v.fault;
            EXPECT_EQ(fsckOk, row.fsck.value_or(row.intact));
            EXPECT_EQ(v.Sound(), row.intact && row.fits);
            EXPECT_EQ(v.offset, static_cast<int64_t>(image.at));
            if (v.Intact() && fsckOk) {
                EXPECT_EQ(Listing(tree, "x"), listing);
                // Each line starts with the mode as ls shows the extracted entry's.
                std::string ours;
                for (std::size_t i = 0; i < tree.entries.size(); ++i)
                    ours += tree.Line(i).substr(0, 11) + tree.PathOf(i) + "\n";
                const std::string modes =
                    test::RunProcess({"/usr/bin/find", ".", "-printf", "%M /%P\\n"}, dir / "x").out;
                EXPECT_EQ(Sorted(modes), Sorted(ours));
            }
            // The quick check streams from the file and sees what the superblock and CRC show.
            test::WriteFile(dir / "probe", f.bytes);
            auto quick = ops::QuickCheckCramfs(dir / "probe", 0, static_cast<int64_t>(f.bytes.size()));
            EXPECT_EQ(quick.crcOk, v.crcOk);
            EXPECT_FALSE(quick.deep);
            EXPECT_EQ(ops::CheckCramfs(dir / "probe", 0, static_cast<int64_t>(f.bytes.size())).Lines(),
                      v.Lines());
        }
    }
}

TEST_F(Cramfs, HostileInputEndsWithAVerdict)
{
    // A chain of directories deeper than any path the box can open: each entry is a directory
    // named "d" whose only entry follows it.
    const std::size_t depth = 3000;
    Fs deep{Bytes(76 + 16 * depth, '\0'), true, 0};
    deep.Put(0, 0x28CD3D45);
    deep.Put(4, static_cast<uint32_t>(deep.bytes.size()));
    for (std::size_t i = 0; i <= depth; ++i) {
        std::size_t at = i == 0 ? 64 : 76 + 16 * (i - 1);
        deep.Put(at, 0x41ED0000);
        deep.Put(at + 4, i == depth ? 0 : 16 << 8);
        deep.Put(at + 8, (i == 0 ? 0 : 1u << 26) | (i == depth ? 0 : (76 + 16 * i) / 4));
        if (i > 0)
            deep.bytes[at + 12] = 'd';
    }
    auto tree =
        ops::ReadCramfsBytes(reinterpret_cast<const unsigned char*>(deep.bytes.data()), deep.bytes.size());
    EXPECT_TRUE(tree.findings.fault.starts_with("Pfad länger als 4096 Bytes")) << tree.findings.fault;
    // Offsets and sizes past the end, cut anywhere: a verdict, never a read outside the bytes.
    const Bytes& real = images[0].bytes;
    for (std::size_t cut = 0; cut < real.size(); cut += 397) {
        Bytes part = real.substr(0, cut);
        auto t = ops::ReadCramfsBytes(reinterpret_cast<const unsigned char*>(part.data()), part.size());
        EXPECT_FALSE(t.findings.Intact()) << cut;
    }
    // Cut within an entry, a name, a block list or link pointer, that is past the end; cut right
    // behind it, what follows is.
    const Fs& fs = images[0];
    for (auto [cut, fault] : {std::pair{fs.Inode("liesmich") + 11, "Eintrag in '/' hinter dem Ende"},
                              {fs.Inode("liesmich") + 12, "Name in '/' hinter dem Ende"},
                              {fs.Inode("liesmich") + 19, "Name in '/' hinter dem Ende"},
                              {fs.Inode("liesmich") + 20, "Blockliste von '/liesmich' hinter dem Ende"},
                              {fs.DataOf("zufall") + 8, "Blockliste von '/zufall' hinter dem Ende"},
                              {fs.DataOf("zufall") + 12, "Block von '/zufall' reicht hinter das Ende"},
                              {fs.DataOf("verweis") + 3, "Verweis '/verweis' hinter dem Ende"},
                              {fs.DataOf("verweis") + 4, "Block von '/verweis' reicht hinter das Ende"}}) {
        Bytes part = real.substr(0, cut);
        auto t = ops::ReadCramfsBytes(reinterpret_cast<const unsigned char*>(part.data()), part.size());
        EXPECT_TRUE(t.findings.fault.starts_with(fault)) << t.findings.fault;
    }
    // A file that ends before the length it states, as those of sysfs do: its end is a read error.
    if (const std::string sys = "/sys/kernel/profiling"; test::Exists(sys)) {
        EXPECT_EQ(ops::ReadCramfs(sys, 0, 4096).findings.readError, std::strerror(EIO));
        EXPECT_EQ(ops::QuickCheckCramfs(sys, 0, 4096).readError, std::strerror(EIO));
    }
}

TEST_F(Cramfs, RootInsertRoundTripAndRefusals)
{
    test::ResetPanne();
    const auto data = test::InstallDataFiles(dir.Path()).files;
    std::map<int, std::string> source;
    for (const auto& image : demo::WriteDemoImages(dir / "images", data))
        source[image.expectedClass] = image.path;
    const std::string big = dir / "big";
    // Into an image with and one without boot loader: every byte outside the root area is the
    // source's, the area is the file system and 0xFF, and what is cut out again is the same tree.
    const std::string original = Fsck(images[0].bytes).second;
    for (int cls : {11, 22}) {
        SCOPED_TRACE(cls);
        const std::string out = dir / ("out-" + std::to_string(cls));
        auto check = ops::CheckRootInsert(source[cls], cls, big);
        ASSERT_FALSE(check.refusal) << *check.refusal;
        ASSERT_EQ(ops::InsertRoot(check, source[cls], big, out, data).kind, ops::Outcome::Written);
        const Bytes in = test::ReadFile(source[cls]), built = test::ReadFile(out);
        const std::size_t at = cls == 11 ? 0x40000 : 0x20000;
        ASSERT_EQ(built.size(), in.size());
        EXPECT_TRUE(built.compare(0, at, in, 0, at) == 0 &&
                    built.compare(at + 0x600000, Bytes::npos, in, at + 0x600000, Bytes::npos) == 0);
        Bytes area = images[0].bytes;
        area.resize(0x600000, '\xFF');
        EXPECT_TRUE(built.compare(at, 0x600000, area) == 0);
        auto [ok, listing] = Fsck(built.substr(at, 0x600000));
        EXPECT_TRUE(ok);
        EXPECT_EQ(listing, original);
        EXPECT_EQ(ops::Classify(out, data), cls);
    }
    // Refused with one line and nothing written.
    Fs broken = images[0];
    broken.bytes[broken.DataOf("zufall") + 2000] ^= 0x10, broken.FixCrc();
    test::WriteFile(dir / "broken", broken.bytes);
    Fs unknown = images[0];
    unknown.Put(8, unknown.Get(8) | 0x800), unknown.FixCrc();
    test::WriteFile(dir / "unknown", unknown.bytes);
    test::WriteFile(dir / "large", Bytes(0x600001, '\0'));
    test::WriteFile(dir / "text", "kein CramFS\n");
    struct Row {
        int cls;
        std::string fs, refusal;
    };
    const std::vector<Row> rows = {
        {0, big, "'" + source[0] + "' ist kein gültiges Image"},
        {21, dir / "little", "'" + dir / "little" + "': little-endian — mit mkfs.cramfs -N big neu erzeugen"},
        {21, dir / "broken", "'" + dir / "broken" + "' ist kein intaktes CramFS: Block von '/zufall' bei "},
        {12, dir / "unknown",
         "'" + dir / "unknown" +
             "' ist kein intaktes CramFS: Merkmal 0x00000800 dem Kernel der Box unbekannt"},
        {12, dir / "large", "'" + dir / "large" + "': 0x00600001 [6291457] Bytes - zu groß!"},
        {21, dir / "text", "'" + dir / "text" + "' ist kein intaktes CramFS: keine CramFS-Kennung gefunden"},
    };
    for (const auto& row : rows) {
        auto check = ops::CheckRootInsert(source[row.cls], row.cls, row.fs);
        auto outcome = ops::InsertRoot(check, source[row.cls], row.fs, dir / "refused", data);
        EXPECT_EQ(outcome.kind, ops::Outcome::Refused) << row.fs;
        EXPECT_TRUE(outcome.message.text.starts_with(row.refusal)) << outcome.message.text;
        EXPECT_FALSE(test::Exists(dir / "refused"));
    }
}

TEST_F(Cramfs, TheMapNamesEachRegionAndWhatItHolds)
{
    test::ResetPanne();
    const auto data = test::InstallDataFiles(dir.Path()).files;
    std::map<int, std::string> source;
    for (const auto& image : demo::WriteDemoImages(dir / "images", data))
        source[image.expectedClass] = image.path;
    for (int cls : {11, 22})
        ASSERT_EQ(ops::InsertRoot(ops::CheckRootInsert(source[cls], cls, dir / "big"), source[cls],
                                  dir / "big", dir / ("with-" + std::to_string(cls)), data)
                      .kind,
                  ops::Outcome::Written);
    const std::string root = "CramFS big-endian, " +
                             ops::SizeText(static_cast<int64_t>(images[0].bytes.size())) +
                             ", intakt, 10 Einträge, Rest 0xFF";
    // change: what is done to the image before it is mapped
    struct Row {
        int cls;
        std::string file;
        std::function<void(Bytes&)> change;
        std::vector<std::string> holds;
    };
    const std::vector<Row> rows = {
        {11, dir / "with-11", [](Bytes&) {}, {"gleich boot.dat", "gleich 2zu1.dat (1x)", root, "belegt"}},
        {22,
         dir / "with-22",
         [](Bytes& b) { b.replace(0x620000, Bytes::npos, Bytes(0x1C0000, '\xFF')); },
         {"gleich 1zu2.dat (2x)", root, "leer (0xFF)"}},
        {22,
         dir / "with-22",
         [](Bytes& b) { b[0x20000 + 0x500000] = 0, b[0x620000] = 0x19, b[0x620001] = '\x85'; },
         {"gleich 1zu2.dat (2x)", root.substr(0, root.size() - 4) + "nicht 0xFF",
          "belegt, beginnt mit JFFS2-Kennung"}},
        {12,
         source[12],
         // Behind the root area half a JFFS2 mark: no mark.
         [](Bytes& b) { b[0x20005] ^= 1, b[5] ^= 1, b[0x640000] = 0x19, b[0x640001] = 0; },
         {"nicht gleich boot.dat", "weder gleich 1zu2.dat noch gleich 2zu1.dat", "kein CramFS, belegt",
          "belegt"}},
    };
    for (const auto& row : rows) {
        Bytes bytes = test::ReadFile(row.file);
        row.change(bytes);
        test::WriteFile(dir / "mapped", bytes);
        std::vector<std::string> holds;
        int64_t next = 0;
        for (const auto& region : ops::MapImage(dir / "mapped", row.cls, data)) {
            holds.push_back(region.Holds());
            EXPECT_EQ(region.start, next);  // in order, without gaps, to the end of the image
            next = region.end + 1;
        }
        EXPECT_EQ(next, static_cast<int64_t>(bytes.size()));
        EXPECT_EQ(holds, row.holds) << row.file;
    }
}
