// A started program with scripted dialogs and its own program folder: the fixture of the
// tests that drive several windows together.
#pragma once

#include "FakeDialogs.h"
#include "TestFiles.h"

#include "app/SubModule.h"

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
};

}  // namespace kalvetra::test
