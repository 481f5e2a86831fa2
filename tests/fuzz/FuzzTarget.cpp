#include "FuzzTarget.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace kalvetra::fuzz {
namespace {

QTemporaryDir& scratch()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kalvetra-fuzz-XXXXXX"));
    return dir;
}

}  // namespace

void startQt(int* argc, char*** argv)
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The same fonts as the test suite, whatever the machine has.
    qputenv("FONTCONFIG_FILE", KALVETRA_TEST_FONTCONFIG);
    // Qt's warnings about damaged pictures would drown the fuzzer's own output.
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.warning=false");
    // NOTE: the application lives until exit (libFuzzer never returns from its loop) and
    // keeps a reference to its argument count, which must outlive it too. It is deleted by
    // an exit handler registered after Qt's own statics exist, so it goes before them.
    static int count = *argc;
    static char** arguments = *argv;
    static QGuiApplication* app = nullptr;
    app = new QGuiApplication(count, arguments);
    std::atexit([] { delete app; });
}

QString scratchPath(const QString& name)
{
    return scratch().filePath(name);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file cannot be written");
    require(file.write(bytes) == bytes.size(), "scratch file not written whole");
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QByteArray> splitFields(const QByteArray& input, qsizetype limit)
{
    QList<QByteArray> fields;
    qsizetype start = 0;
    while (fields.size() + 1 < limit) {
        const qsizetype nul = input.indexOf('\0', start);
        if (nul < 0)
            break;
        fields.append(input.mid(start, nul - start));
        start = nul + 1;
    }
    fields.append(input.mid(start));
    return fields;
}

void require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

}  // namespace kalvetra::fuzz
