// The platform services as the user meets them: Qt's own file dialog, the lock that allows
// one running instance and does not lock the user out after a killed one, and the fonts a
// layout file names.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QDateTime>
#include <QTreeView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <map>
#include <optional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include "errors/Places.h"
#include "platform/DesignFonts.h"
#include "platform/FontWarmup.h"
#include "platform/InstanceLock.h"
#include "errors/Program.h"
#include "platform/QtServices.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WhileModal.h"
#include "platform/Translations.h"

namespace stellmark::platform {
namespace {

using WhileDialog = test::WhileModal<QFileDialog>;

TEST(QtServices, FileDialogsAreQtsOwnInGermanWithGermanSizesAndDatesAndAddNoExtension)
{
    ASSERT_TRUE(LoadGermanTranslations(*QCoreApplication::instance()));
    test::TempDir dir;
    struct File {
        const char* name;
        qint64 size;
        const char* sizeShown;  // as a German reads it, whatever the desktop's locale
    };
    const File files[] = {{"klein.img", 500, "500 Bytes"}, {"gross.img", 1234567, "1,18 MiB"}};
    const QDateTime modified(QDate(2024, 11, 30), QTime(23, 59));
    for (const File& f : files) {
        test::WriteFile(dir / f.name, std::string(static_cast<std::size_t>(f.size), 'x'));
        QFile file(QString::fromStdString(dir / f.name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    ::mkdir((dir / "ordner").c_str(), 0755);

    std::map<std::string, std::pair<QString, QString>> shown;  // name: size, date
    WhileDialog save([&](QFileDialog& dialog) {
        auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
        auto* view = dialog.findChild<QTreeView*>("treeView");
        if (!edit || !view || !view->isVisible())
            return false;
        const QAbstractItemModel* model = view->model();
        shown.clear();
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
            auto cell = [&](int column) {
                return model->index(row, column, view->rootIndex()).data().toString();
            };
            shown[cell(0).toStdString()] = {cell(1), cell(3)};
        }
        if (shown.size() < 3 || shown["gross.img"].first.startsWith("0"))
            return false;  // the model is still examining the files
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));  // also on desktops
        EXPECT_EQ(dialog.windowTitle() + " " + dialog.directory().absolutePath() + " " + edit->text(),
                  QString::fromStdString("Speichern unter " + dir.Path() + " quelle_[1x]"));
        EXPECT_EQ(dialog.nameFilters().join('|').toStdString(),
                  "Alle Dateien (*.*) (*)|D-Box Image (*.img) (*.img)");
        EXPECT_EQ(dialog.selectedNameFilter().toStdString(), "D-Box Image (*.img)");
        EXPECT_EQ(
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text().toStdString(),
            "Abbrechen");
        EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("Größe"));
        edit->setText("ziel");
        static_cast<QDialog&>(dialog).accept();
        return true;
    });
    EXPECT_EQ(QtServices().SaveFile({"Speichern unter", dir.Path(), "quelle_[1x]",
                                     "Alle Dateien (*.*)|*.*|D-Box Image (*.img)|*.img|", 2}),
              dir / "ziel");  // answered: the checks above ran
    for (const File& f : files) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(shown[f.name].first.toStdString(), f.sizeShown);
        EXPECT_EQ(shown[f.name].second.toStdString(), "30.11.24 23:59");
    }
    EXPECT_EQ(shown["ordner"].first.toStdString(), "");  // a folder has no size

    WhileDialog cancel([](QFileDialog& dialog) { return dialog.reject(), true; });
    EXPECT_EQ(QtServices().OpenFile({"Öffnen", dir.Path(), "", "Alle Dateien (*.*)|*.*|", 1}), std::nullopt);
}

TEST(QtServices, ShellOpenStartsTheDesktopsOpenerInTheFolderAsked)
{
    // A stand-in for the desktop's opener, first on the path: it notes where it ran and what for.
    test::TempDir bin, help, web;
    const std::string seen = bin / "seen";
    test::WriteFile(bin / "xdg-open", "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } > '" + seen +
                                          ".tmp' && mv '" + seen + ".tmp' '" + seen + "'\n");
    ASSERT_EQ(::chmod((bin / "xdg-open").c_str(), 0755), 0);
    test::ScopedEnv path("PATH", (bin.Path() + ":" + ::getenv("PATH")).c_str());
    struct Case {
        std::string target, folder;
        std::string ranIn, opened;  // what the opener saw
    };
    const std::vector<Case> cases = {
        {help / "liesmich.txt", help.Path(), help.Path(), help / "liesmich.txt"},
        {program::kHomePage, web.Path(), web.Path(), program::kHomePage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        ::unlink(seen.c_str());
        EXPECT_TRUE(QtServices().ShellOpen(c.target, c.folder));
        ASSERT_TRUE(QTest::qWaitFor([&] { return test::Exists(seen); }, 5000));
        EXPECT_EQ(test::ReadFile(seen), c.ranIn + "\n" + c.opened + "\n");
    }
}

TEST(FileInstanceLock, IsRefusedWhileAnotherProcessHoldsItAndTakenOverOnceThatIsKilled)
{
    test::TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FileInstanceLock lock(dir / "s.lock");
        const char ok = lock.Acquire() ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);  // a child that dies before telling ends the read
    char ok = 0;
    const bool told = ::read(ready[0], &ok, 1) == 1;
    ::close(ready[0]);
    FileInstanceLock mine(dir / "s.lock");
    const bool refused = !mine.Acquire();
    ::kill(child, SIGKILL);  // before any assertion, so that no child outlives the test
    ::waitpid(child, nullptr, 0);
    ASSERT_TRUE(told && ok == '1');
    EXPECT_TRUE(refused);
    EXPECT_TRUE(mine.Acquire());
}

TEST(FileInstanceLock, LivesOnlyInAFolderNoOtherUserCanWriteTo)
{
    test::TempDir dir;
    const std::string home = dir / "home", runtime = dir / "run", cache = home + "/.cache/stellmark";
    const std::string name = "/" + FileInstanceLock::FileName(places::Current().settings);
    // Keyed by the settings folder: copies in two folders do not refuse each other.
    EXPECT_NE(FileInstanceLock::FileName("/opt/a"), FileInstanceLock::FileName("/opt/b"));
    EXPECT_EQ(FileInstanceLock::FileName("/opt/a"), FileInstanceLock::FileName("/opt/a"));
    ::mkdir(home.c_str(), 0755), ::mkdir(runtime.c_str(), 0700);
    // runtime: what XDG_RUNTIME_DIR names; prepare: what another user or the system did before
    struct Case {
        const char* what;
        const char* runtime;
        std::function<void()> prepare;
        std::string want;
    };
    const std::vector<Case> cases = {
        {"the session's runtime folder", runtime.c_str(), [] {}, runtime + name},
        {"no runtime folder: the home's cache", nullptr, [] {}, cache + name},
        {"a runtime folder of another user", runtime.c_str(),
         [&] { EXPECT_EQ(::chown(runtime.c_str(), 65534, 65534), 0); }, cache + name},
        {"a runtime folder all may write to", runtime.c_str(),
         [&] { EXPECT_EQ(::chmod(runtime.c_str(), 01777), 0); }, cache + name},
        {"the cache folder taken by another user", nullptr,
         [&] {
             ::mkdir(cache.c_str(), 0777);
             EXPECT_EQ(::chown(cache.c_str(), 65534, 65534), 0);
         },
         ""},
    };
    test::ScopedEnv homeVar("HOME", home.c_str()), cacheVar("XDG_CACHE_HOME", nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::rmdir(cache.c_str()), ::chown(runtime.c_str(), ::getuid(), ::getgid()),
            ::chmod(runtime.c_str(), 0700);
        test::ScopedEnv runtimeVar("XDG_RUNTIME_DIR", c.runtime);
        c.prepare();
        EXPECT_EQ(FileInstanceLock::DefaultPath(), c.want);
        FileInstanceLock lock;
        EXPECT_TRUE(lock.Acquire());  // no stranger's folder keeps the program from starting
    }
    struct stat st {};
    ASSERT_EQ(::rmdir(cache.c_str()), 0);
    test::ScopedEnv noRuntime("XDG_RUNTIME_DIR", nullptr);
    FileInstanceLock::DefaultPath();
    EXPECT_EQ(::stat(cache.c_str(), &st) == 0 ? st.st_mode & 0777 : 0u, 0700u);
}

// Set up as a layout file does: the form's font and properties, then a control. With the
// properties applied as they are set, the control starts with the final font and is never told
// of another; the fonts end as those applied after the whole setup.
TEST(DesignFonts, TheFormsPropertiesAreTheControlsFirstFontAndTheSameAsAppliedAfterwards)
{
    struct Counter : QObject {
        int changes = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            changes += e->type() == QEvent::FontChange;
            return false;
        }
    } counter;
    const auto setUp = [&](QWidget& form, bool onSet) {
        std::optional<DesignFontsOnSet> fonts;
        if (onSet)
            fonts.emplace(&form);
        form.setFont(QFont(QStringLiteral("Liberation Sans"), 8));
        form.setProperty("pointSizeF", 8.25);
        form.setProperty("fontWeight", 900);
        form.setProperty("fontFamilies", QStringList{"Lato", "Liberation Sans"});
        auto* edit = new QLineEdit(&form);
        edit->installEventFilter(&counter);
        ApplyDesignFonts(&form);
        return edit;
    };
    QWidget after, asSet;
    const QFont wanted = setUp(after, false)->font();
    EXPECT_EQ(std::exchange(counter.changes, 0), 1);
    const QFont got = setUp(asSet, true)->font();
    EXPECT_EQ(counter.changes, 0);
    EXPECT_EQ(got, wanted);
    EXPECT_EQ(got.resolveMask(), wanted.resolveMask());
}

// The thread ends whether or not the start got as far as an application object: an early end
// must not wait for a database fill that was never asked for.
TEST(FontWarmup, EndsWithAndWithoutTheDatabaseFill)
{
    for (const bool fill : {false, true}) {
        FontWarmup fonts;
        if (fill)
            fonts.FillDatabase().join();
    }
}

}  // namespace
}  // namespace stellmark::platform
