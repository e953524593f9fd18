#pragma once
// A main window on the offscreen platform, with the program's folder, data files and INI file in
// a temporary folder, the platform services replaced by a recorder that answers dialogs from a
// script, and every error dialog recorded instead of shown.
#include <QApplication>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <unistd.h>

#include "InstanceLock.h"
#include "ModalGuard.h"
#include "Services.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "wsFiles.h"

namespace stellmark::test {

class FakeServices final : public platform::Services {
public:
    struct Box {
        std::string text, title;
        platform::Icon icon;
    };
    std::vector<Box> boxes;
    std::vector<platform::FileDialogRequest> opens, saves;
    std::deque<std::optional<std::string>> openAnswers, saveAnswers;  // nothing: cancelled
    std::vector<std::string> shellOpens;

    platform::Answer MessageBox(const std::string& text, const std::string& title,
                                platform::Icon icon, platform::Buttons) override
    {
        boxes.push_back({text, title, icon});
        return platform::Answer::Ok;
    }
    std::optional<std::string> OpenFile(const platform::FileDialogRequest& r) override
    {
        opens.push_back(r);
        return Next(openAnswers);
    }
    std::optional<std::string> SaveFile(const platform::FileDialogRequest& r) override
    {
        saves.push_back(r);
        return Next(saveAnswers);
    }
    bool ShellOpen(const std::string& target) override
    {
        shellOpens.push_back(target);
        return false;  // as on a machine without an opener
    }
    void SetClipboardText(const std::string&) override {}
    void Beep() override {}

private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& q)
    {
        if (q.empty())
            return std::nullopt;
        auto v = q.front();
        q.pop_front();
        return v;
    }
};

class FakeLock final : public platform::InstanceLock {
public:
    bool another = false;
    bool Acquire() override { return !another; }
};

class WindowTest : public ::testing::Test {
protected:
    WindowTest()
        : program(prog.Path()), previousServices(platform::Set(&services)),
          previousDir(std::filesystem::current_path())
    {
        ResetPanne();
        wsFiles::ResetIniFileForTests();
        data = InstallDataFiles(prog.Path());
        std::filesystem::current_path(work.Path());
    }
    ~WindowTest() override
    {
        w.reset();
        std::filesystem::current_path(previousDir);
        platform::Set(previousServices);
        wsFiles::ResetIniFileForTests();
    }

    // Creates and loads the window as the program does, and shows it.
    frmMain& Load()
    {
        w = std::make_unique<frmMain>(&lock);
        w->SetEndProgram([this](int code) { ends.push_back(code); });
        w->Form_Load();
        if (ends.empty())
            w->show();
        return *w;
    }

    std::string IniPath() const { return prog / "Stellmark.ini"; }
    void StoreIni(const std::string& text) { WriteFile(IniPath(), text); }

    // An image of the class: boot loader in front for 11 and 12, the flash-kind block of 1x
    // or 2x, then a body whose bytes tell their position.
    std::string MakeImage(const std::string& name, int imageClass)
    {
        std::string bytes;
        if (imageClass < 20)
            bytes += data.boot;
        bytes += imageClass % 10 == 1 ? data.f2zu1 : data.f1zu2;
        bytes += Pattern(0x7C0000, 7);
        WriteFile(work / name, bytes);
        return work / name;
    }

    std::vector<std::string> Entries() const;
    std::string Shown() const;

    TempDir prog;  // the program's folder
    TempDir work;  // the folder the program starts in
    ScopedProgramFile program;
    DataFiles data;
    FakeServices services;
    platform::Services* previousServices;
    FakeLock lock;
    ScriptedPresenter presenter;  // records any error dialog; answers "leave"
    ModalGuard guard;
    std::vector<int> ends;
    std::unique_ptr<frmMain> w;

private:
    std::filesystem::path previousDir;
};

}  // namespace stellmark::test
