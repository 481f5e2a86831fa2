// The whole program, started in a folder of the test's, with the size and the 保存確認 option
// it is given; it ends through its shutdown as soon as a "go" file appears, so that two of
// them end at the same moment and both write the folder's Kalvetra.ini. It says it has
// started by creating GO_FILE.SIZE.
//
//   kalvetra_exit_writer FOLDER SIZE SAVE_MESSAGE(0|1) GO_FILE
#include "app/SubModule.h"
#include "ui/common/QtDialogs.h"

#include <QApplication>
#include <QFile>
#include <QSlider>
#include <QThread>

int main(int argc, char** argv)
{
    if (argc != 5)
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("FONTCONFIG_FILE", KALVETRA_TEST_FONTCONFIG);
    QApplication app(argc, argv);
    kalvetra::QtDialogs dialogs;
    kalvetra::SubModule program(dialogs, QString::fromLocal8Bit(argv[1]));
    program.start();
    kalvetra::MainFrm& window = program.settingsWindow();
    window.Slider1[0]->setValue(std::atoi(argv[2]));
    window.setSaveMessage(std::string_view(argv[3]) == "1");
    const QString go = QString::fromLocal8Bit(argv[4]);
    // Tells the test that this program has started and waits.
    QFile ready(go + QLatin1Char('.') + QString::fromLocal8Bit(argv[2]));
    if (!ready.open(QIODevice::WriteOnly))
        return 3;
    for (int i = 0; i < 100000 && !QFile::exists(go); ++i)
        QThread::usleep(100);
    window.unload();
    return 0;
}
