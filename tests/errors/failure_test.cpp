#include <gtest/gtest.h>

#include <cerrno>

#include "errors/Failure.h"
#include "tests/support/TestSupport.h"

using namespace stellmark;

TEST(Failure, AMissingFileIsNotAMissingFolderAndOtherSystemErrorsHaveNumbers)
{
    test::TempDir dir;
    struct Case {
        int errnum;
        std::string path;
        int number;
        const char* description;
    };
    // Which errno gives which number is a table in the product; these rows are its decisions: a
    // missing file or a missing folder (also one that is a file), and the default for the rest.
    test::WriteFile(dir / "file", "");
    std::vector<Case> cases = {
        {ENOENT, dir / "missing.img", 53, "Datei nicht gefunden"},
        {ENOENT, dir / "no/such/folder/x.img", 76, "Pfad nicht gefunden"},
        {ENOENT, dir / "file/x.img", 76, "Pfad nicht gefunden"},
        {EFBIG, "", 61, "Datei zu groß"},
        {EROFS, "", 75, "Fehler beim Zugriff auf Pfad/Datei"},
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
