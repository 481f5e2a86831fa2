// kalvetra-render --batch as a user runs it on a table a spreadsheet saved, and the reader of
// such tables.
#include "RenderProcess.h"
#include "TestFiles.h"

#include "cli/CsvReader.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

using namespace kalvetra;
using namespace kalvetra::cli;

namespace {

struct Outcome {
    int status = -1;
    QStringList errors;
};

Outcome render(const QStringList& args, const QString& folder)
{
    const test::RenderRun process = test::runRenderProcess(args, folder);
    Outcome run{process.status, {}};
    for (const QString& line : process.err.split(u'\n', Qt::SkipEmptyParts))
        if (!line.startsWith(u"QStandardPaths"))
            run.errors << line;
    return run;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.png"), QStringLiteral("*.jpg")}, QDir::Files, QDir::Name);
}

}  // namespace

TEST(CsvReader, DecodesWhatSpreadsheetsSave)
{
    const QString text = QStringLiteral("text,size\r\n本日限り,40\r\n");
    QByteArray utf16le("\xFF\xFE");
    utf16le.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"CP932 (Excel on a Japanese Windows)", cp932::encode(text)},
        {"UTF-8 without a mark", text.toUtf8()},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + text.toUtf8()},
        {"UTF-16 LE with a mark", utf16le},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeSpreadsheetText(c.bytes), text) << c.name;
}

TEST(CsvReader, QuotedCellsKeepSeparatorsQuotesAndLineBreaks)
{
    const QString text = QStringLiteral("text,output\r\n\"大特価, 本日限り\",a.png\r\n"
                                        "\"二行\r\nの字幕\",\"b \"\"x\"\".png\"\r\n\r\nlast,c.png");
    const std::vector<CsvRecord> records = readCsv(text, u',');
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1].fields, (QStringList{QStringLiteral("大特価, 本日限り"), QStringLiteral("a.png")}));
    EXPECT_EQ(records[2].fields, (QStringList{QStringLiteral("二行\nの字幕"), QStringLiteral("b \"x\".png")}));
    // Lines of the file, not records: a user finds the row by them.
    EXPECT_EQ((std::vector<int>{records[0].line, records[1].line, records[2].line, records[3].line}),
              (std::vector<int>{1, 2, 3, 6}));
    EXPECT_EQ(fieldSeparatorFor(QStringLiteral("t.csv"), QStringLiteral("text\tsize\r\n")), u'\t');
    EXPECT_EQ(fieldSeparatorFor(QStringLiteral("t.tsv"), QStringLiteral("text,size")), u'\t');
    EXPECT_TRUE(readCsv(QStringLiteral("text\n\"open"), u',').back().unterminatedQuote);
}

TEST(BatchCaptions, DrawsAJapaneseSpreadsheetSkippingBadRowsAndEqualsOnAnyNumberOfProcesses)
{
    test::TestFiles files;
    QDir(files.folder()).mkpath(QStringLiteral("one"));
    QDir(files.folder()).mkpath(QStringLiteral("two"));
    const QString style = files.path(QStringLiteral("style.ini"));
    ASSERT_EQ(render({QStringLiteral("--type"), QStringLiteral("2"), QStringLiteral("--shadow"),
                      QStringLiteral("--save-settings"), style},
                     files.folder()).status,
              0);
    // As Excel saves "CSV (コンマ区切り)" on a Japanese Windows: CP932, CRLF, quotes only where needed.
    const QString table = QStringLiteral(
        "text,output,size,color4,shadow,colour4\r\n"
        "\"大特価, 本日限り\",sale.png,40,\"255,0,0\",\r\n"
        "\"二行の\r\n字幕\",two-lines.png,30,,0\r\n"
        "大きすぎ,big.png,900,,\r\n"
        "書けない,no-such-folder/x.png,30,,\r\n"
        "テロップ,caption.jpg,30,,1\r\n"
        "綴り違い,typo.png,30,,,\"0,0,255\"\r\n");
    const QString csv = files.write(QStringLiteral("captions.csv"), cp932::encode(table));
    const QStringList batch{QStringLiteral("--batch"), csv, QStringLiteral("--settings"), style};

    const Outcome one = render(batch + QStringList{QStringLiteral("-j"), QStringLiteral("1")}, files.path("one"));
    EXPECT_EQ(one.status, 1);
    ASSERT_EQ(one.errors.size(), 3u) << one.errors.join(u'\n').toStdString();
    EXPECT_TRUE(one.errors[0].startsWith(QStringLiteral("kalvetra-render: ") + csv + QStringLiteral(":5: --size: 900"))) << one.errors[0].toStdString();
    EXPECT_TRUE(one.errors[1].startsWith(QStringLiteral("kalvetra-render: ") + csv + QStringLiteral(":6: cannot write no-such-folder/x.png")))
        << one.errors[1].toStdString();
    EXPECT_EQ(one.errors[2], QStringLiteral("kalvetra-render: ") + csv + QStringLiteral(":8: unknown column \"colour4\""));
    EXPECT_EQ(filesIn(files.path("one")),
              (QStringList{QStringLiteral("caption.jpg"), QStringLiteral("sale.png"), QStringLiteral("two-lines.png")}));

    // A row is the command line its cells make.
    ASSERT_EQ(render({QStringLiteral("--settings"), style, QStringLiteral("--text"), QStringLiteral("大特価, 本日限り"),
                      QStringLiteral("--size"), QStringLiteral("40"), QStringLiteral("--color4"), QStringLiteral("255,0,0"),
                      QStringLiteral("-o"), QStringLiteral("alone.png")},
                     files.folder()).status,
              0);
    EXPECT_EQ(QImage(files.path("alone.png")), QImage(files.path("one/sale.png")));

    const Outcome two = render(batch + QStringList{QStringLiteral("-j"), QStringLiteral("2")}, files.path("two"));
    EXPECT_EQ(two.status, 1);
    EXPECT_EQ(two.errors.size(), 3u);
    ASSERT_EQ(filesIn(files.path("two")), filesIn(files.path("one")));
    for (const QString& name : filesIn(files.path("one")))
        EXPECT_EQ(test::TestFiles::bytes(files.path("two/" + name)), test::TestFiles::bytes(files.path("one/" + name)))
            << name.toStdString();

    // Nothing is overwritten unasked; a table that cannot be read is status 2.
    const QByteArray before = test::TestFiles::bytes(files.path("one/sale.png"));
    const Outcome again = render(batch + QStringList{QStringLiteral("--size"), QStringLiteral("20")}, files.path("one"));
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.errors.filter(QStringLiteral(":2: sale.png exists already")).size() == 1) << again.errors.join(u'\n').toStdString();
    EXPECT_EQ(test::TestFiles::bytes(files.path("one/sale.png")), before);
    EXPECT_EQ(render({QStringLiteral("--batch"), files.path("missing.csv")}, files.folder()).status, 2);
    const QString noText = files.write(QStringLiteral("notext.csv"), "caption,output\r\nx,x.png\r\n");
    EXPECT_EQ(render({QStringLiteral("--batch"), noText}, files.folder()).status, 2);
}
