// Build tool: writes the program's icon in the sizes a desktop wants, from the same drawing
// the frame window uses.
//   kalvetra-icon-export OUTPUT_FOLDER
// writes OUTPUT_FOLDER/hicolor/{16x16,32x32,48x48,256x256}/apps/kalvetra.png and
// OUTPUT_FOLDER/hicolor/scalable/apps/kalvetra.svg.
#include "AppIcon.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kalvetra-icon-export OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 32, 48, 256}) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        if (!out.mkpath(folder) || !kalvetra::programIconImage(size).save(out.filePath(folder + "/kalvetra.png"))) {
            std::fprintf(stderr, "kalvetra-icon-export: cannot write the %dx%d icon\n", size, size);
            return 1;
        }
    }
    out.mkpath(QStringLiteral("hicolor/scalable/apps"));
    QFile svg(out.filePath(QStringLiteral("hicolor/scalable/apps/kalvetra.svg")));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(kalvetra::programIconSvg().toUtf8()) < 0) {
        std::fprintf(stderr, "kalvetra-icon-export: cannot write the scalable icon\n");
        return 1;
    }
    return 0;
}
