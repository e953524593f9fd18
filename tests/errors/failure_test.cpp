#include <gtest/gtest.h>

#include <cerrno>

#include "errors/Failure.h"
#include "tests/support/TestSupport.h"

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
        {EFBIG, "", 61, "Datei zu groß"},
        {EROFS, "", 75, "Fehler beim Zugriff auf Pfad/Datei"},
        {EISDIR, "", 75, "Fehler beim Zugriff auf Pfad/Datei"},
        {EMFILE, "", 67, "Zu viele Dateien"},
        {EIO, "", 57, "Fehler beim Ein-/Ausgabezugriff auf das Gerät"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.errnum);
        try {
            ThrowErrno(c.errnum, c.path);
            ADD_FAILURE() << "no failure thrown";
        } catch (const Failure& f) {
            EXPECT_EQ(std::to_string(f.Number()) + " " + f.Description(),
                      std::to_string(c.number) + " " + c.description);
        }
    }
    EXPECT_EQ(ErrorDescription(6) + "|" + ErrorDescription(380), "Überlauf|Unzulässiger Eigenschaftswert");
}
