// A started program with scripted dialogs and its own program folder: the fixture of the
// tests that drive several windows together.
#pragma once

#include "FakeDialogs.h"
#include "TestFiles.h"

#include "app/MDIFrm.h"
#include "app/SubModule.h"
#include "ui/image/ImageFrm.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <gtest/gtest.h>

#include <memory>

namespace kalvetra::test {

class RunningProgram : public ::testing::Test {
protected:
    FakeDialogs dialogs;
    TestFiles files;
    std::unique_ptr<SubModule> program;
    MainFrm* main = nullptr;

    void SetUp() override
    {
        program = std::make_unique<SubModule>(dialogs, files.folder());
        program->start();
        main = &program->settingsWindow();
    }

    // 実行 → 文字作成: the image window it opens.
    ImageFrm* newImageWindow()
    {
        main->MNU_R_M_Click();
        return qobject_cast<ImageFrm*>(program->frame().mdiArea()->subWindowList().back()->widget());
    }
};

}  // namespace kalvetra::test
