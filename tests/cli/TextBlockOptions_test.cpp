// kalvetra-render with texts of several lines: the layout options, text files as editors on
// Windows and Linux save them, and texts no one would type.
#include "cli/RenderOptions.h"

#include "RenderProcess.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <variant>

using namespace kalvetra;
using namespace kalvetra::cli;

namespace {

using Outcome = kalvetra::test::RenderRun;

Outcome render(const QStringList& args)
{
    return kalvetra::test::runRenderProcess(args);
}

class TextBlockOptions : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
};

}  // namespace

TEST_F(TextBlockOptions, LayoutOptionsReachTheSettingsAndBadValuesAreRefused)
{
    const struct {
        QStringList args;
        int align, lineSpacing, letterSpacing;
        bool tateChuYoko;
    } cases[] = {
        {{}, 1, 100, 0, false},
        {{"--align", "left", "--line-spacing", "50", "--letter-spacing", "-200"}, 0, 50, -200, false},
        {{"--align", "BOTTOM", "--line-spacing", "300", "--letter-spacing", "200", "--tate-chu-yoko"}, 2, 300, 200, true},
        {{"--align", "middle"}, 1, 100, 0, false},
    };
    for (const auto& c : cases) {
        const auto parsed = parseRenderOptions(QStringList{"--text", "a", "-o", "x.png"} + c.args);
        ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed)) << c.args.join(u' ').toStdString();
        const StyleSettings& s = std::get<RenderOptions>(parsed).settings;
        EXPECT_EQ(s.Align, c.align);
        EXPECT_EQ(s.LineSpacing, c.lineSpacing);
        EXPECT_EQ(s.LetterSpacing, c.letterSpacing);
        EXPECT_EQ(s.TateChuYoko, c.tateChuYoko);
    }
    const std::pair<QStringList, QString> refusals[] = {
        {{"--align", "justify"}, "--align: \"justify\" is not left, center or right (top, middle or bottom)"},
        {{"--line-spacing", "49"}, "--line-spacing: 49 is out of range (50 to 300)"},
        {{"--letter-spacing", "201"}, "--letter-spacing: 201 is out of range (-200 to 200)"},
        {{"--text-file", "t.txt"}, "--text and --text-file cannot both be given"},
    };
    for (const auto& [args, message] : refusals) {
        const auto parsed = parseRenderOptions(QStringList{"--text", "a", "-o", "x.png"} + args);
        ASSERT_TRUE(std::holds_alternative<ParseError>(parsed)) << args.join(u' ').toStdString();
        EXPECT_EQ(std::get<ParseError>(parsed).message, message);
    }
}

TEST_F(TextBlockOptions, ATextFileDrawsWhatTheSameTextOnTheCommandLineDraws)
{
    const QStringList style{"--type", "1", "--size", "30", "--letter-spacing", "-3", "--align", "right"};
    ASSERT_EQ(render(style + QStringList{"--text", QStringLiteral("本日限り\n全品"), "-o", path("given.png")}).status, 0);
    const QImage given(path("given.png"));
    ASSERT_FALSE(given.isNull());
    // Two lines: one line (of 40 px letters) taller than one.
    ASSERT_EQ(render(style + QStringList{"--text", QStringLiteral("本日限り"), "-o", path("one.png")}).status, 0);
    EXPECT_NEAR(given.height() - QImage(path("one.png")).height(), 43, 4);

    const QByteArray text = QStringLiteral("本日限り\n全品").toUtf8();
    const QByteArray files[] = {text, "\xEF\xBB\xBF" + QByteArray(text).replace("\n", "\r\n") + "\r\n\r\n", text + "\n"};
    for (const QByteArray& bytes : files) {
        const QString file = write(QStringLiteral("text.txt"), bytes);
        const Outcome o = render(style + QStringList{"--text-file", file, "-o", path("file.png")});
        ASSERT_EQ(o.status, 0) << o.err.toStdString();
        EXPECT_EQ(QImage(path("file.png")), given) << bytes.toStdString();
    }
}

TEST_F(TextBlockOptions, TextsNoOneTypesAreDrawnOrRefusedWithAMessage)
{
    QByteArray thousand;
    for (int i = 0; i < 1000; ++i)
        thousand += "行" + QByteArray::number(i) + "\r\n";
    const QString lines = write(QStringLiteral("lines.txt"), thousand);
    const QString latin1 = write(QStringLiteral("latin1.txt"), "caf\xE9\n");
    const QString empty = write(QStringLiteral("empty.txt"), "\n\n");
    const struct {
        QStringList args;
        int status;
        QString message;  // the one line on stderr, if any
    } cases[] = {
        {{"--text-file", lines, "-o", path("a.png")}, 2,
         "kalvetra-render: the drawing is larger than 16384 pixels; give --canvas"},
        {{"--text-file", lines, "--canvas", "400x300", "-o", path("b.png")}, 0, ""},
        {{"--text-file", latin1, "-o", path("c.png")}, 2,
         QStringLiteral("kalvetra-render: %1: cannot read the text file (not UTF-8 text)").arg(latin1)},
        {{"--text-file", path("none.txt"), "-o", path("d.png")}, 2,
         QStringLiteral("kalvetra-render: %1: cannot read the text file (no such file or folder)").arg(path("none.txt"))},
        {{"--text-file", empty, "-o", path("e.png")}, 0, ""},
        {{"--text", QStringLiteral("\n\n上\n\n\n下\r\n"), "--vertical", "-o", path("f.png")}, 0, ""},
    };
    for (const auto& c : cases) {
        const Outcome o = render(c.args);
        EXPECT_EQ(o.status, c.status) << c.args.join(u' ').toStdString() << "\n" << o.err.toStdString();
        if (!c.message.isEmpty()) {
            EXPECT_TRUE(o.err.split(u'\n').contains(c.message)) << o.err.toStdString();
        }
    }
    EXPECT_EQ(QImage(path("b.png")).size(), QSize(400, 300));
    EXPECT_FALSE(QFile::exists(path("a.png")));
    EXPECT_FALSE(QFile::exists(path("c.png")));
}
