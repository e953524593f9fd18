#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "errors/Places.h"
#include "files/wsFiles.h"
#include "tests/support/TestSupport.h"

using namespace stellmark;
using places::Form;

namespace {

TEST(Places, FormFollowsTheLayoutAndXdgFolders)
{
    test::TempDir t;
    for (const char* dir :
         {"/build", "/build/bin", "/usr", "/usr/bin", "/usr/share", "/usr/share/stellmark", "/flat",
          "/flat/bin", "/flat/share", "/flat/share/stellmark", "/bare", "/bare/bin"})
        ::mkdir((t.Path() + dir).c_str(), 0755);
    test::WriteFile(t / "build/bin/liesmich.txt", "");  // the portable folder's mark
    test::WriteFile(t / "flat/bin/liesmich.txt", "");
    const std::string usr = t / "usr/bin";
    struct Case {
        const char* what;
        std::string dir;
        std::map<std::string, std::string> env;
        Form form;
        std::string settings, protocol;
        std::vector<std::string> data;
    };
    const std::string h = "/home/u", own = ::getpwuid(::getuid())->pw_dir;
    const std::vector<Case> cases = {
        {"build folder",
         t / "build/bin",
         {{"HOME", h}},
         Form::Portable,
         t / "build/bin",
         t / "build/bin",
         {t / "build/bin"}},
        {"marked folder in a prefix",
         t / "flat/bin/",
         {{"HOME", h}},
         Form::Portable,
         t / "flat/bin",
         t / "flat/bin",
         {t / "flat/bin"}},
        {"bin without our shared folder",
         t / "bare/bin",
         {{"HOME", h}},
         Form::Portable,
         t / "bare/bin",
         t / "bare/bin",
         {t / "bare/bin"}},
        {"installed, XDG defaults",
         usr,
         {{"HOME", h}},
         Form::Installed,
         h + "/.config/stellmark",
         h + "/.local/state/stellmark",
         {usr, h + "/.local/share/stellmark"}},
        {"installed, XDG folders named",
         usr,
         {{"HOME", h}, {"XDG_CONFIG_HOME", "/c/"}, {"XDG_STATE_HOME", "/s"}, {"XDG_DATA_HOME", "/d"}},
         Form::Installed,
         "/c/stellmark",
         "/s/stellmark",
         {usr, "/d/stellmark"}},
        {"installed, relative XDG folders are ignored",
         usr,
         {{"HOME", h}, {"XDG_CONFIG_HOME", "c"}, {"XDG_STATE_HOME", ""}},
         Form::Installed,
         h + "/.config/stellmark",
         h + "/.local/state/stellmark",
         {usr, h + "/.local/share/stellmark"}},
        {"the root folder", "/", {{"HOME", h}}, Form::Portable, "/", "/", {"/"}},
        {"installed, a relative home is the user's own",
         usr,
         {{"HOME", "u"}},
         Form::Installed,
         own + "/.config/stellmark",
         own + "/.local/state/stellmark",
         {usr, own + "/.local/share/stellmark"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto p = places::Resolve(c.dir, [&](const char* name) -> const char* {
            auto it = c.env.find(name);
            return it == c.env.end() ? nullptr : it->second.c_str();
        });
        EXPECT_EQ(p.form, c.form);
        EXPECT_EQ(p.settings, c.settings);
        EXPECT_EQ(p.protocol, c.protocol);
        EXPECT_EQ(p.data, c.data);
    }
}

TEST(Places, InstalledSettingsAndDataGoToTheUsersFolders)
{
    test::TempDir t;
    for (const char* dir : {"/usr", "/usr/bin", "/usr/share", "/usr/share/stellmark"})
        ::mkdir((t.Path() + dir).c_str(), 0755);
    test::ScopedEnv config("XDG_CONFIG_HOME", (t / "home/conf").c_str()),
        data("XDG_DATA_HOME", (t / "home/data").c_str());
    test::ScopedProgramFile program(t / "usr/bin", "stellmark");
    EXPECT_EQ(places::DataCandidates(), (std::vector<std::string>{t / "usr/bin", t / "home/data/stellmark"}));
    EXPECT_EQ(places::DataHome(), t / "home/data/stellmark");
    EXPECT_EQ(places::DataCandidates("/x/"), std::vector<std::string>{"/x"});
    EXPECT_EQ(places::DataHome("/x"), "/x");
    EXPECT_EQ(places::Current().shared, t / "usr/share/stellmark");

    wsFiles::ResetIniFileForTests();
    EXPECT_EQ(wsFiles::GI("Settings", "Dir"), "");
    EXPECT_FALSE(test::Exists(t / "home/conf"));  // reading makes no folder
    EXPECT_NE(wsFiles::WI("Settings", "Dir", "/m"), 0);
    EXPECT_EQ(test::ReadFile(t / "home/conf/stellmark/stellmark.ini"), "[Settings]\r\nDir=/m\r\n");
    struct stat st {};
    ASSERT_EQ(::stat((t / "home/conf/stellmark").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    wsFiles::ResetIniFileForTests();
}

}  // namespace
