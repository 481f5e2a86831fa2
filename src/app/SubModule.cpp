#include "SubModule.h"

#include "settings/SaveIniModule.h"
#include "settings/SettingValues.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QImageReader>
#include <QMdiSubWindow>

namespace kalvetra {

std::optional<QImage> loadPictureFile(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

SubModule::SubModule(Dialogs& dialogs, QString programDirectory)
    : m_dialogs(dialogs), m_programDirectory(std::move(programDirectory))
{
}

SubModule::~SubModule() = default;

void SubModule::start()
{
    // 1. The frame.
    m_frame = std::make_unique<MDIFrm>();
    m_frame->show();

    // 2. The settings window's load: the hourglass, type "三重縁取り", no background picture.
    m_main = new MainFrm(m_dialogs, loadPictureFile);
    m_main->setCursor(Qt::WaitCursor);
    m_main->selectType(static_cast<int>(DecorationType::TripleOutline));
    m_main->BackgroundPicturePath.clear();
    connect(m_main, &MainFrm::unloaded, this, &SubModule::finished);
    connect(m_frame.get(), &MDIFrm::closeRequested, m_main, &MainFrm::unload);

    // 3, 4. Shown, and both windows paint before the font list is filled.
    QMdiSubWindow* window = m_frame->addChild(m_main, true);
    window->setProperty("settingsWindow", true);
    window->show();
    QCoreApplication::processEvents();

    // 5 - 8. The font list, the defaults, the normal pointer.
    m_main->fillFontList(QFontDatabase::families());
    m_main->MNU_R_D_Click();
    m_main->unsetCursor();

    // 9 - 13. The program's own settings file; from here on a failing step is skipped.
    m_main->saveFile = QDir(m_programDirectory).filePath(QStringLiteral("Kalvetra.ini"));
    const QString section = QString::fromUtf16(SettingSection);
    if (const auto v = truthValueFromText(ReadIni(m_main->saveFile, section, QString::fromUtf16(SaveMessageKey))))
        m_main->setSaveMessage(*v);
    if (const auto v = truthValueFromText(ReadIni(m_main->saveFile, section, QString::fromUtf16(AutoSaveKey))))
        m_main->setAutoSave(*v);
    if (m_main->autoSave())
        loadSetting(m_main->saveFile, *m_main);
}

}  // namespace kalvetra
