// kalvetra-render with file names that code page 932 cannot spell, and with a disk that is
// full: the real program, as a script runs it.
#include "RenderProcess.h"
#include "SmallFileSystem.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using kalvetra::test::SmallFileSystem;

int render(const QStringList& args)
{
    return kalvetra::test::runRenderProcess(args).status;
}

}  // namespace

TEST(RenderFaults, FileNamesOutsideCodePage932)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("스타일 😀.ini"));
    const QString background = dir.filePath(QStringLiteral("背景_é𠮷.bmp"));
    const QString output = dir.filePath(QStringLiteral("출력 ß 👍🏽.png"));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(qRgb(0, 200, 0));
    ASSERT_TRUE(picture.save(background, "BMP"));

    ASSERT_EQ(render({"--size", "20", "--color0", "10,20,30", "--save-settings", settings}), 0);
    ASSERT_TRUE(QFile::exists(settings));
    ASSERT_EQ(render({"--settings", settings, "--text", QStringLiteral("é𠮷😀"), "--canvas", "200x80",
                      "--background-picture", background, "-o", output}),
              0);
    const QImage drawn(output);
    ASSERT_FALSE(drawn.isNull());
    EXPECT_EQ(drawn.pixel(5, 5), qRgb(0, 200, 0));           // the picture, top left
    EXPECT_EQ(drawn.pixel(195, 75), qRgb(10, 20, 30));       // colour ① from the settings file
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

// A PNG small enough to sit in the write buffer was put in place empty on a full disk,
// and the program ended with status 0.
TEST(RenderFaults, FullDiskOnceLeftAnEmptyPictureAndStatusZero)
{
    SmallFileSystem disk(64);
    KALVETRA_REQUIRE_MOUNT(disk);
    disk.fill(QStringLiteral("filler"));
    for (const char* name : {"out.png", "out.jpg", "out.bmp"}) {
        EXPECT_EQ(render({"--text", "A", "--canvas", "64x32", "-o", disk.path(QString::fromLatin1(name))}), 1) << name;
    }
    EXPECT_EQ(QDir(disk.path(QString())).entryList(QDir::Files | QDir::Hidden), QStringList{"filler"});
}

TEST(RenderFaults, StandardOutputThatCannotBeWrittenGivesStatusOne)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full here";
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(QStringLiteral("/dev/full"));
    p.start(QStringLiteral(KALVETRA_RENDER_EXE), {"--text", "A", "--canvas", "64x32", "-o", "-"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("kalvetra-render: cannot write -")));
}

namespace {

struct ShellRun {
    int status = -1;
    QString err;
};

// A shell command line with kalvetra-render as "$R", in English.
ShellRun shell(const QString& script)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("R"), QStringLiteral(KALVETRA_RENDER_EXE));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("/bin/bash"), {"-c", "set -o pipefail; " + script});
    if (!p.waitForFinished(60000)) {
        p.kill();
        return {};
    }
    QString err;
    for (const QString& line : QString::fromUtf8(p.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts))
        if (line.startsWith(u"kalvetra-render"))
            err += line + u'\n';
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, err};
}

}  // namespace

// A pipe closed early ended the process by SIGPIPE (status 141); a folder was "unsupported
// output format".
TEST(RenderFaults, PipesClosedEarlyAndFoldersGiveStatusOneWithTheReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.png") && QDir(dir.path()).mkdir("folder"));
    const std::vector<std::pair<QString, QString>> cases = {
        {"\"$R\" --text A --canvas 2000x2000 --format bmp -o - | head -c 10 > /dev/null",
         "kalvetra-render: cannot write -: the reading end of the pipe was closed\n"},
        {"\"$R\" --text A -o " + dir.filePath("folder"),
         "kalvetra-render: cannot write " + dir.filePath("folder") + ": it is a folder\n"},
        {"\"$R\" --text A -o " + dir.filePath("folder.png"),
         "kalvetra-render: cannot write " + dir.filePath("folder.png") + ": it is a folder\n"},
    };
    for (const auto& [script, message] : cases) {
        const ShellRun run = shell(script);
        EXPECT_EQ(run.status, 1) << script.toStdString();
        EXPECT_EQ(run.err, message) << script.toStdString();
    }
}

// `-o p.png` turned a named pipe into a regular file, and as root a device node would have
// been replaced by a picture. Pipes and character devices are written into; anything else
// that is not a file is refused and left as it was.
TEST(RenderFaults, SavingIntoSomethingThatIsNoFileNeverReplacesIt)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.png");
    const QString copy = dir.filePath("copy.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString socketPath = dir.filePath("socket.png");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    struct Case {
        QString script;
        int status;
        QString err;
    };
    const std::vector<Case> cases = {
        {"cat " + fifo + " > " + copy + " & \"$R\" --text A -o " + fifo + "; s=$?; wait; exit $s", 0, {}},
        {"\"$R\" --text A -o " + fifo, 1, "kalvetra-render: cannot write " + fifo + ": no reader on the other end\n"},
        {"\"$R\" --text A -o /dev/null", 0, {}},
        {"\"$R\" --text A -o /dev/stdout | cat > " + dir.filePath("stdout.png"), 0, {}},
        {"\"$R\" --text A -o " + socketPath, 1,
         "kalvetra-render: cannot write " + socketPath + ": it is not a file, a pipe or a character device\n"},
    };
    for (const Case& c : cases) {
        const ShellRun run = shell(c.script);
        EXPECT_EQ(run.status, c.status) << c.script.toStdString();
        EXPECT_EQ(run.err, c.err) << c.script.toStdString();
    }
    ::close(sock);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    ASSERT_EQ(::stat(QFile::encodeName(socketPath).constData(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(QImage(copy).size(), QImage(dir.filePath("stdout.png")).size());
    EXPECT_FALSE(QImage(copy).isNull());
}
