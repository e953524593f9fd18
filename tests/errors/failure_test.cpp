#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <ios>
#include <new>
#include <system_error>

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
        {ENOENT, "/stellmark-missing.img", 53, "Datei nicht gefunden"},  // in the root
        {ENOENT, "missing.img", 53, "Datei nicht gefunden"},             // in the working folder
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

TEST(Failure, OtherExceptionsBecomeFailuresOfTheirOwnNumberAtTheLineOfTheStep)
{
    auto shown = [](const std::exception& e) {
        const Failure f = AsFailure(e, 9);
        return std::to_string(f.Number()) + "@" + std::to_string(f.Line());
    };
    const std::filesystem::filesystem_error missing(
        "x", "/no/such/f", std::make_error_code(std::errc::no_such_file_or_directory));
    EXPECT_EQ(
        (std::vector<std::string>{
            shown(Failure(err::FileNotFound, 3)), shown(Failure(err::FileNotFound)), shown(std::bad_alloc()),
            shown(missing), shown(std::system_error(EACCES, std::system_category())),
            shown(std::system_error(std::io_errc::stream)), shown(std::runtime_error("x"))}),
        (std::vector<std::string>{"53@3", "53@9", "7@9", "76@9", "70@9", "51@9", "51@9"}));
}
