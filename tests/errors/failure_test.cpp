#include <gtest/gtest.h>

#include <cerrno>

#include "Failure.h"
#include "TestSupport.h"

using namespace stellmark;

TEST(Failure, SystemErrorsMapToTheClassicNumbers)
{
    test::TempDir dir;
    struct Case {
        int errnum;
        std::string path;
        int number;
        const char* description;
    };
    std::vector<Case> cases = {
        {ENOENT, dir / "missing.img", 53, "Datei nicht gefunden"},
        {ENOENT, dir / "no/such/folder/x.img", 76, "Pfad nicht gefunden"},
        {ENOTDIR, dir / "x", 76, "Pfad nicht gefunden"},
        {EACCES, "", 70, "Zugriff verweigert"},
        {EPERM, "", 70, "Zugriff verweigert"},
        {ENOSPC, "", 61, "Datenträger voll"},
        {EFBIG, "", 61, "Datenträger voll"},
        {EROFS, "", 75, "Fehler beim Zugriff auf Pfad/Datei"},
        {EISDIR, "", 75, "Fehler beim Zugriff auf Pfad/Datei"},
        {EMFILE, "", 67, "Zu viele Dateien"},
        {EIO, "", 57, "Fehler beim Ein-/Ausgabezugriff auf das Gerät"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.errnum);
        try {
            ThrowErrno(c.errnum, c.path);
            FAIL() << "no failure thrown";
        } catch (const Failure& f) {
            EXPECT_EQ(f.Number(), c.number);
            EXPECT_EQ(f.Description(), c.description);
        }
    }
    EXPECT_EQ(ErrorDescription(6), "Überlauf");
    EXPECT_EQ(ErrorDescription(380), "Unzulässiger Eigenschaftswert");
}
