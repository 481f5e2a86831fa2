// kalvetra-render with settings files: --settings read first and overridden by the other
// options, --save-settings writing what the drawing would use.
#include "cli/RenderCommand.h"
#include "settings/SaveIniModule.h"

#include "TestFiles.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

struct Outcome {
    int status = -1;
    QString err;
};

class SettingsOptions : public ::testing::Test {
protected:
    test::TestFiles files;

    QString path(const QString& name) const { return files.path(name); }
    QString write(const QString& name, const QByteArray& bytes) const { return files.write(name, bytes); }

    static Outcome run(const QStringList& args)
    {
        const auto parsed = cli::parseRenderOptions(args);
        if (const auto* error = std::get_if<cli::ParseError>(&parsed))
            return {cli::BadInput, error->message};
        QString err;
        QTextStream stream(&err);
        const int status = cli::runRender(std::get<cli::RenderOptions>(parsed), stream);
        stream.flush();
        return {status, err};
    }
};

}  // namespace

TEST_F(SettingsOptions, CommandLineOptionsOverrideTheFileWhereverTheyStand)
{
    const QString in = write("in.ini", "[Font]\r\nFontSize=120\r\nFontBold=2\r\n[Width]\r\nBordering=9\r\n"
                                       "[View]\r\nType= 0\r\n[Color]\r\nColor1=255\r\nColor2=65280\r\n");
    const QString out = path("out.ini");
    const Outcome r = run({"--size", "80", "--color2", "0,0,255", "--settings", in, "--save-settings", out});
    ASSERT_EQ(r.status, cli::Success) << r.err.toStdString();

    EXPECT_EQ(ReadIni(out, "Font", "FontSize"), QStringLiteral("80"));        // option over file
    EXPECT_EQ(ReadIni(out, "Font", "FontBold"), QStringLiteral("2"));         // file over default
    EXPECT_EQ(ReadIni(out, "Width", "Bordering"), QStringLiteral("9"));
    EXPECT_EQ(ReadIni(out, "View", "Type"), QStringLiteral("0"));
    EXPECT_EQ(ReadIni(out, "Color", "Color1"), QStringLiteral("255"));        // stored over the type's
    EXPECT_EQ(ReadIni(out, "Color", "Color2"), QStringLiteral("16711680"));   // option over stored
    EXPECT_EQ(ReadIni(out, "Color", "Color3"), QStringLiteral("16777215"));   // the type's own

    // Choosing another type on the command line brings that type's colours over the stored ones.
    const Outcome t = run({"--settings", in, "--type", "4", "--save-settings", path("type.ini")});
    ASSERT_EQ(t.status, cli::Success) << t.err.toStdString();
    EXPECT_EQ(ReadIni(path("type.ini"), "Color", "Color1"), QStringLiteral("16777215"));
    EXPECT_EQ(ReadIni(path("type.ini"), "Color", "Color2"), QStringLiteral("65280"));
}

TEST_F(SettingsOptions, TheDrawingUsesTheSettingsFile)
{
    const QString in = write("bg.ini", "[Color]\r\nColor0=255\r\n");
    const QString png = path("out.png");
    const Outcome r = run({"--text", "字", "--canvas", "300x200", "--settings", in, "-o", png});
    ASSERT_EQ(r.status, cli::Success) << r.err.toStdString();
    EXPECT_EQ(QImage(png).pixel(0, 0), qRgb(255, 0, 0));
}

TEST_F(SettingsOptions, SavingKeepsTheFilesOtherSectionsAndNeedsNoPicture)
{
    const QByteArray mine = "[Setting]\r\nAutoSave=False\r\n; note\r\n[Mine]\r\nk=\x82\xA0\r\n";
    const QString file = write("Kalvetra.ini", mine + "[View]\r\nType= 3\r\n");
    const Outcome r = run({"--save-settings", file, "--type", "2"});
    ASSERT_EQ(r.status, cli::Success) << r.err.toStdString();
    const QByteArray after = test::TestFiles::bytes(file);
    EXPECT_TRUE(after.startsWith(mine + "[View]\r\nType= 2\r\n[Font]\r\n")) << after.toStdString();
    EXPECT_EQ(QDir(files.folder()).entryList(QDir::Files), QStringList{"Kalvetra.ini"});
}

TEST_F(SettingsOptions, AnUnreadableSettingsFileIsAnErrorAndNothingIsWritten)
{
    const QString png = path("out.png");
    const QString saved = path("saved.ini");
    for (const QString& bad : {path("missing.ini"), files.folder()}) {
        const Outcome r = run({"--text", "字", "--settings", bad, "--save-settings", saved, "-o", png});
        EXPECT_EQ(r.status, cli::BadInput);
        EXPECT_TRUE(r.err.startsWith("kalvetra-render: " + bad + ": cannot read the settings file")) << r.err.toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1);
        EXPECT_FALSE(QFile::exists(png));
        EXPECT_FALSE(QFile::exists(saved));
    }
}

TEST_F(SettingsOptions, AFailedSaveIsReported)
{
    const Outcome r = run({"--save-settings", path("no/such/folder/x.ini")});
    EXPECT_EQ(r.status, cli::WriteFailed);
    EXPECT_TRUE(r.err.startsWith("kalvetra-render: cannot write the settings file")) << r.err.toStdString();
}

TEST_F(SettingsOptions, ANameNoWindowWouldTakeLeavesTheFaceAsItWas)
{
    // As in the settings window: a font that is not installed keeps the face it starts with.
    const Outcome r = run({"--font", "Not Installed", "--angle", "22.5", "--save-settings", path("f.ini")});
    ASSERT_EQ(r.status, cli::Success) << r.err.toStdString();
    EXPECT_EQ(ReadIni(path("f.ini"), "Font", "FontName"), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(ReadIni(path("f.ini"), "Font", "FontEscape"), QStringLiteral("22.5"));
}

TEST_F(SettingsOptions, GradientOptionsTurnTheGradientOnAndTravelThroughSettingsFiles)
{
    const QString first = path("first.ini");
    const Outcome r = run({"--gradient4", "255,230,0", "--gradient1", "0,160,255", "--gradient-horizontal1",
                           "--save-settings", first});
    ASSERT_EQ(r.status, cli::Success) << r.err.toStdString();
    EXPECT_EQ(ReadIni(first, "Gradient", "Enable1"), QStringLiteral("1"));
    EXPECT_EQ(ReadIni(first, "Gradient", "Color1"), QString::number(colorValue(0, 160, 255)));
    EXPECT_EQ(ReadIni(first, "Gradient", "Horizontal1"), QStringLiteral("1"));
    EXPECT_EQ(ReadIni(first, "Gradient", "Enable2"), QStringLiteral("0"));
    EXPECT_EQ(ReadIni(first, "Gradient", "Enable4"), QStringLiteral("1"));
    EXPECT_EQ(ReadIni(first, "Gradient", "Horizontal4"), QStringLiteral("0"));

    // Read and written again, byte for byte.
    const QString second = path("second.ini");
    ASSERT_EQ(run({"--settings", first, "--save-settings", second}).status, cli::Success);
    EXPECT_EQ(test::TestFiles::bytes(second), test::TestFiles::bytes(first));

    // The drawing from the file shows the gradient: the face's top is red (⑤), its bottom yellow.
    const QString png = path("face.png");
    ASSERT_EQ(run({"--text", "■", "--font", "IPAGothic", "--size", "100", "--twice-draw", "--settings", first, "-o", png})
                  .status,
              cli::Success);
    const QImage image(png);
    int top = -1, bottom = -1;
    const int x = image.width() / 2;
    for (int y = 0; y < image.height(); ++y)
        if (qRed(image.pixel(x, y)) == 255 && qBlue(image.pixel(x, y)) == 0) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    ASSERT_GT(bottom - top, 40);
    EXPECT_LE(qGreen(image.pixel(x, top)), 10);
    EXPECT_GE(qGreen(image.pixel(x, bottom)), 220);
}

TEST_F(SettingsOptions, AFileWithoutGradientsGetsNoneWhileTheLayersAreFlat)
{
    const QByteArray windows = "[Font]\r\nFontSize=72\r\n[View]\r\nType= 2\r\n[Color]\r\nColor1=255\r\n";
    const QString file = write("windows.ini", windows);
    const Outcome r = run({"--settings", file, "--save-settings", file});
    ASSERT_EQ(r.status, cli::Success) << r.err.toStdString();
    EXPECT_FALSE(test::TestFiles::bytes(file).contains("Gradient"));
    EXPECT_TRUE(test::TestFiles::bytes(file).startsWith("[Font]\r\nFontSize=72\r\n"));
}
