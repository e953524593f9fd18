#pragma once
// The main window with the program's folder, data files and INI file in a temporary folder;
// the platform's services are recorded instead of shown, error dialogs recorded and answered
// "leave", and the program's end recorded instead of done.
#include <gtest/gtest.h>
#include <memory>

#include "files/wsFiles.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TestSupport.h"
#include "window/frmMain.h"

namespace stellmark::test {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        ResetPanne();
        wsFiles::ResetIniFileForTests();
    }
    ~MainWindowTest() override
    {
        w.reset();
        platform::Set(previousServices);
    }

    // Creates and loads the window as the program does, and shows it unless it ended.
    frmMain& Load()
    {
        w = std::make_unique<frmMain>(&fakes);
        w->SetEndProgram([this](int code) { ends.push_back(code); });
        w->Form_Load();
        if (ends.empty())
            w->show();
        return *w;
    }
    std::string Ini() const { return prog / "Stellmark.ini"; }

    TempDir prog;  // the program's folder
    ScopedProgramFile program{prog.Path()};
    DataFiles data = InstallDataFiles(prog.Path());
    FakeServices fakes;
    platform::Services* previousServices = platform::Set(&fakes);
    ScriptedPresenter presenter;
    std::vector<int> ends;
    std::unique_ptr<frmMain> w;
};

}  // namespace stellmark::test
