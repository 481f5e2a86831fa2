// kalvetra-render as a user runs it: exit status, messages, and the files it leaves.
#include "JpegFrame.h"

#include "cli/RenderCommand.h"
#include "imagefile/PictureFile.h"
#include "settings/SaveIniModule.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

struct Outcome {
    int status = -1;
    QString err;
    QByteArray out;
};

// The program in `locale` (its messages are in the locale's language), English by default.
Outcome render(const QStringList& args, const QString& locale = QStringLiteral("C.UTF-8"),
               const QString& program = QStringLiteral(KALVETRA_RENDER_EXE))
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        return {};
    }
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError()), p.readAllStandardOutput()};
}

// The program's messages, without Qt's own start-up chatter on some machines.
QStringList messages(const QString& err)
{
    QStringList lines;
    for (const QString& line : err.split(u'\n', Qt::SkipEmptyParts))
        if (!line.startsWith(u"QStandardPaths"))
            lines << line;
    return lines;
}

class RenderCommand : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

}  // namespace

TEST_F(RenderCommand, BadInputGivesOneLineStatusTwoAndNoFile)
{
    QFile garbage(path("garbage.png"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a picture at all");
    garbage.close();

    const QString out = path("out.png");
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"--text", "字", "-o", out, "--bogus"}, "kalvetra-render: unknown option --bogus"},
        {{"--text", "字", "-o", out, "--size"}, "kalvetra-render: --size needs a value"},
        {{"--text", "字", "-o", out, "--size", "big"}, "kalvetra-render: --size: \"big\" is not a whole number"},
        {{"--text", "字", "-o", out, "--bordering", "31"}, "kalvetra-render: --bordering: 31 is out of range (1 to 30)"},
        {{"--text", "字", "-o", out, "--background-picture", path("missing.bmp")},
         "kalvetra-render: " + path("missing.bmp") + ": cannot read the picture"},
        {{"--text", "字", "-o", out, "--background-picture", garbage.fileName()},
         "kalvetra-render: " + garbage.fileName() + ": cannot read the picture"},
        {{"--text", "字", "-o", path("out.tif")}, "kalvetra-render: " + path("out.tif") + ": unsupported output format"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome run = render(args);
        EXPECT_EQ(run.status, 2) << message.toStdString();
        const QStringList lines = messages(run.err);
        ASSERT_FALSE(lines.isEmpty()) << message.toStdString();
        EXPECT_TRUE(lines.first().startsWith(message)) << lines.first().toStdString();
        EXPECT_FALSE(QFile::exists(out)) << message.toStdString();
        EXPECT_FALSE(QFile::exists(path("out.tif")));
    }
}

TEST_F(RenderCommand, FailedWriteGivesStatusOneAndLeavesNothing)
{
    const QString out = path("no/such/folder/out.png");
    const Outcome run = render({"--text", "字", "-o", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(messages(run.err).value(0).startsWith("kalvetra-render: cannot write " + out));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    // A folder where the file should go is not replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.png"));
    EXPECT_EQ(render({"--text", "字", "-o", path("taken.png")}).status, 1);
    EXPECT_TRUE(QFileInfo(path("taken.png")).isDir());
}

TEST_F(RenderCommand, DefaultCanvasHoldsTheDrawingWithASixteenPixelMargin)
{
    const QString out = path("out.png");
    ASSERT_EQ(render({"--text", "カルベトラ", "--shadow", "-o", out}).status, 0);
    const QImage img(out);
    ASSERT_FALSE(img.isNull());
    const QRgb background = qRgb(130, 130, 255);
    int left = img.width(), right = -1, top = img.height(), bottom = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    // The layout bounds carry a pixel of antialiasing room on each side.
    EXPECT_NEAR(left, 16, 2);
    EXPECT_NEAR(top, 16, 2);
    EXPECT_NEAR(img.width() - 1 - right, 16, 2);
    EXPECT_NEAR(img.height() - 1 - bottom, 16, 2);
}

TEST_F(RenderCommand, WritesEachFormatByItsExtension)
{
    const std::pair<const char*, QByteArray> formats[] = {
        {"a.png", QByteArray("\x89PNG")}, {"b.jpg", QByteArray("\xFF\xD8\xFF")}, {"c.JPEG", QByteArray("\xFF\xD8\xFF")},
        {"d.bmp", QByteArray("BM")}, {"e.emf", QByteArray("\x01\x00\x00\x00")}, {"f.wmf", QByteArray("\x01\x00\x09\x00")}};
    for (const auto& [name, magic] : formats) {
        ASSERT_EQ(render({"--text", "字", "--canvas", "64x48", "-o", path(name)}).status, 0) << name;
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.read(4).startsWith(magic)) << name;
        const imagefile::Picture back = imagefile::loadPicture(path(name));
        ASSERT_TRUE(back.ok()) << name;
        EXPECT_EQ(back.image.size(), QSize(64, 48)) << name;
    }
}

TEST_F(RenderCommand, StandardOutputCarriesThePictureTheFileWouldHold)
{
    const QStringList drawing = {"--text", "字", "--shadow", "--canvas", "90x70"};
    const std::pair<QStringList, const char*> cases[] = {
        {{}, "a.png"},
        {{"--format", "png", "--transparent"}, "b.png"},
        {{"--format", "jpg"}, "c.jpg"},
        {{"--format", "bmp"}, "d.bmp"},
        {{"--format", "wmf"}, "e.wmf"},
        {{"--format", "emf"}, "f.emf"},
    };
    for (const auto& [format, name] : cases) {
        const QStringList options = drawing + (format.contains("--transparent") ? QStringList{"--transparent"} : QStringList{});
        const Outcome piped = render(drawing + format + QStringList{"-o", "-"});
        ASSERT_EQ(piped.status, 0) << name << ": " << piped.err.toStdString();
        EXPECT_TRUE(messages(piped.err).isEmpty()) << name << ": " << piped.err.toStdString();
        ASSERT_EQ(render(options + QStringList{"-o", path(name)}).status, 0) << name;
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(piped.out, file.readAll()) << name;
    }
    EXPECT_FALSE(QFile::exists(path("-")));
}

TEST_F(RenderCommand, JpegIsWrittenAtFullColour)
{
    const Outcome run = render({"--text", "字", "--format", "jpg", "-o", "-"});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(test::jpegSamplingFactors(run.out), QStringLiteral("1x1,1x1,1x1"));
}

TEST_F(RenderCommand, TransparentBackgroundKeepsAntialiasedEdges)
{
    const QString out = path("t.png");
    ASSERT_EQ(render({"--text", "字", "--transparent", "--type", "4", "--canvas", "80x80", "--anchor", "40,60", "-o", out})
                  .status,
              0);
    const QImage img = QImage(out).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
    int opaque = 0, partial = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const int a = qAlpha(img.pixel(x, y));
            opaque += a == 255;
            partial += a > 0 && a < 255;
        }
    EXPECT_GT(opaque, 50);
    EXPECT_GT(partial, 10);
}

TEST_F(RenderCommand, BackgroundPictureLiesUnderTheDrawingAtTheTopLeft)
{
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(qRgb(1, 200, 3));
    ASSERT_TRUE(picture.save(path("bg.bmp")));
    const QString out = path("o.png");
    ASSERT_EQ(render({"--text", "字", "--canvas", "120x80", "--background-picture", path("bg.bmp"), "-o", out}).status, 0);
    const QImage img(out);
    EXPECT_EQ(img.pixel(0, 0), qRgb(1, 200, 3));
    EXPECT_EQ(img.pixel(9, 9), qRgb(1, 200, 3));
    EXPECT_EQ(img.pixel(119, 0), qRgb(130, 130, 255));
}

TEST_F(RenderCommand, MetafilesServeAsBackgroundPictures)
{
    for (const char* sample : {"inkscape-shapes.wmf", "lo-shapes.emf"}) {
        const QString file = QStringLiteral(KALVETRA_TEST_DATA "/metafiles/") + QString::fromLatin1(sample);
        const QString out = path(QStringLiteral("mf.png"));
        ASSERT_EQ(render({"--text", "字", "--canvas", "300x200", "--background-picture", file, "-o", out}).status, 0)
            << sample;
        // The picture, not the plain background colour, fills the top-left corner's region.
        const QImage img(out);
        int notBackground = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 60; ++x)
                notBackground += img.pixel(x, y) != qRgb(130, 130, 255);
        EXPECT_GT(notBackground, 100) << sample;
    }
}

TEST_F(RenderCommand, TimeReportsTheFirstDrawingAndTheMedian)
{
    const Outcome run = render({"--text", "字", "--time", "--repeat", "3", "-o", path("t.png")});
    ASSERT_EQ(run.status, 0);
    const QStringList lines = messages(run.err);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("first drawing: "));
    EXPECT_TRUE(lines[0].endsWith(" ms"));
    EXPECT_TRUE(lines[1].startsWith("median of 3 drawings: "));
}

TEST(RenderLayout, AnchorCentresTheDrawingOnAGivenCanvas)
{
    auto parsed = cli::parseRenderOptions({"--text", "字", "--canvas", "400x300", "-o", "x.png"});
    const auto& options = std::get<cli::RenderOptions>(parsed);
    const QRect bounds = cli::decoratedBounds(options.settings, options.type);
    const auto layout = cli::layoutCanvas(options);
    ASSERT_TRUE(layout.has_value());
    const QRect placed = bounds.translated(layout->anchor.x, layout->anchor.y);
    EXPECT_NEAR(placed.center().x(), 200, 1);
    EXPECT_NEAR(placed.center().y(), 150, 1);
}

TEST(RenderLayout, TooLargeADefaultCanvasIsRefused)
{
    auto parsed = cli::parseRenderOptions({"--text", QString(200, QChar(u'字')), "--size", "500", "-o", "x.png"});
    EXPECT_FALSE(cli::layoutCanvas(std::get<cli::RenderOptions>(parsed)).has_value());
}

TEST_F(RenderCommand, SvgAndPdfHoldTheLayersAtTheCanvasSize)
{
    const QStringList common = {"--text", "字", "--type", "0", "--shadow", "--canvas", "300x200", "--anchor", "150,150"};
    ASSERT_EQ(render(common + QStringList{"-o", path("a.svg")}).status, 0);
    const QByteArray svg = [&] {
        QFile f(path("a.svg"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    EXPECT_TRUE(svg.contains("width=\"300px\" height=\"200px\" viewBox=\"0 0 300 200\""));
    for (const char* group : {"background", "shadow", "solid", "ring-1", "ring-2", "face"})
        EXPECT_TRUE(svg.contains("<g id=\"" + QByteArray(group) + '"')) << group;

    // --transparent keeps the lettering and leaves the background out.
    ASSERT_EQ(render(common + QStringList{"--transparent", "-o", path("b.SVG")}).status, 0);
    QFile transparent(path("b.SVG"));
    ASSERT_TRUE(transparent.open(QIODevice::ReadOnly));
    const QByteArray clear = transparent.readAll();
    EXPECT_FALSE(clear.contains("id=\"background\""));
    EXPECT_TRUE(clear.contains("id=\"face\""));

    ASSERT_EQ(render(common + QStringList{"-o", path("c.pdf")}).status, 0);
    QFile pdf(path("c.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.contains("/MediaBox [0 0 225 150]"));
}

TEST_F(RenderCommand, VectorOutputsFailAsEveryOutputDoes)
{
    const Outcome bad = render({"--text", "字", "--size", "501", "-o", path("x.svg")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_FALSE(QFile::exists(path("x.svg")));
    for (const char* name : {"no/such/folder/x.svg", "no/such/folder/x.pdf"}) {
        const QString out = path(QString::fromLatin1(name));
        const Outcome run = render({"--text", "字", "-o", out});
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_TRUE(messages(run.err).value(0).startsWith("kalvetra-render: cannot write " + out)) << name;
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST_F(RenderCommand, VectorFilesTakeJapaneseNamesInEitherLocale)
{
    for (const char* locale : {"C.UTF-8", "ja_JP.UTF-8"}) {
        const QString out = path(QStringLiteral("看板-%1.svg").arg(QString::fromLatin1(locale)));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LANG"), QString::fromLatin1(locale));
        env.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KALVETRA_RENDER_EXE), {"--text", "看板", "--angle", "12.5", "-o", out});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << locale;
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << locale;
        const QByteArray svg = f.readAll();
        EXPECT_TRUE(svg.contains("<title>看板</title>")) << locale;
        // Numbers keep their decimal point whatever the locale.
        EXPECT_TRUE(svg.contains("scale(0.00390625)")) << locale;
    }
}

// An unknown --font drew in another face and was saved as given; under ja_JP the messages
// mixed English with Japanese, and a closed standard output was "無効な引数です".
TEST_F(RenderCommand, MessagesSpeakTheLocalesLanguageAndAnUnknownFontKeepsTheFace)
{
    const QString plain = path("plain.png");
    ASSERT_EQ(render({"--text", "字", "-o", plain}).status, 0);
    struct Case {
        const char* locale;
        QString fontWarning, diskFull, closed;
    };
    const QString missingFont = QStringLiteral("No Such Face 42");
    const std::vector<Case> cases = {
        {"C.UTF-8",
         "kalvetra-render: warning: the font \"No Such Face 42\" is not installed; drawn in \"ＭＳ Ｐゴシック\"",
         "kalvetra-render: cannot write -: no space left on the disk",
         "kalvetra-render: cannot write -: standard output is closed"},
        {"ja_JP.UTF-8",
         "kalvetra-render: 警告: フォント \"No Such Face 42\" はインストールされていません。\"ＭＳ Ｐゴシック\" で描きます",
         "kalvetra-render: - に書き込めません: ディスクの空き容量が不足しています",
         "kalvetra-render: - に書き込めません: 標準出力が閉じられています"},
    };
    for (const Case& c : cases) {
        const QString locale = QString::fromLatin1(c.locale);
        const QString out = path(locale + ".png");
        const QString style = path(locale + ".ini");
        const Outcome run = render({"--text", "字", "--font", missingFont, "-o", out, "--save-settings", style}, locale);
        EXPECT_EQ(run.status, 0) << c.locale;
        EXPECT_EQ(messages(run.err), QStringList{c.fontWarning}) << c.locale;
        EXPECT_EQ(QImage(out), QImage(plain)) << c.locale;
        EXPECT_EQ(ReadIni(style, QStringLiteral("Font"), QStringLiteral("FontName")), QStringLiteral("ＭＳ Ｐゴシック"));

        for (const auto& [redirect, message] : {std::pair{"> /dev/full", c.diskFull}, std::pair{">&-", c.closed}}) {
            const Outcome shell =
                render({"-c", QStringLiteral("exec \"$0\" --text 字 -o - %1").arg(QString::fromLatin1(redirect)),
                        QStringLiteral(KALVETRA_RENDER_EXE)},
                       locale, QStringLiteral("/bin/sh"));
            EXPECT_EQ(shell.status, 1) << c.locale << redirect;
            EXPECT_EQ(messages(shell.err), QStringList{message}) << c.locale << redirect;
        }
    }
}
