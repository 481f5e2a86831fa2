// A settings window after its load and start-up's defaults, as the program runs them, for
// the tests of the window on its own.
#pragma once

#include "app/SubModule.h"
#include "ui/main/MainFrm.h"
#include "ui/main/SettingsUndo.h"

#include <QFontDatabase>

#include <memory>

namespace kalvetra::test {

inline std::unique_ptr<MainFrm> startedSettingsWindow(Dialogs& dialogs)
{
    auto w = std::make_unique<MainFrm>(dialogs, loadPictureFile);
    w->selectType(static_cast<int>(DecorationType::TripleOutline));
    w->fillFontList(QFontDatabase::families());
    w->MNU_R_D_Click();
    w->settingsHistory().clear();
    return w;
}

}  // namespace kalvetra::test
