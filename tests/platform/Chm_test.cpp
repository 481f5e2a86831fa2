#include "platform/ChmFile.h"
#include "platform/ChmHtml.h"
#include "platform/ChmSearch.h"
#include "platform/ChmSitemap.h"

#include "TestFiles.h"

#include <QDirIterator>
#include <QImage>

#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>

// Failures name the texts, not their UTF-16 code units.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

using namespace kalvetra;

namespace {

const QString HelpFile = QStringLiteral(KALVETRA_HELP_FILE);
const QString HelpSources = QStringLiteral(KALVETRA_HELP_SOURCE_DIR);

std::unique_ptr<ChmFile> openHelp()
{
    ChmFile::Opening opening = ChmFile::open(HelpFile);
    EXPECT_EQ(opening.status, ChmFile::Status::Opened) << HelpFile.toStdString();
    return std::move(opening.file);
}

QString pageOf(const ChmFile& chm, const QString& path)
{
    const std::optional<QByteArray> bytes = chm.read(path);
    return bytes ? decodeHtmlPage(*bytes) : QString();
}

// Values of one attribute of one kind of tag, in document order.
QStringList references(const QString& html, const QString& tag, const QString& attribute)
{
    QStringList found;
    HtmlScanner scanner(html);
    for (auto token = scanner.next(); token != HtmlScanner::Token::End; token = scanner.next())
        if (token == HtmlScanner::Token::Tag && scanner.tagName() == tag && scanner.hasAttribute(attribute))
            found.append(scanner.attribute(attribute));
    return found;
}

// A link's target inside the archive: relative to the page, without its #part; empty for a
// link that leaves the help file.
QString targetOf(const QString& page, const QString& link)
{
    if (link.contains(QLatin1Char(':')) || link.startsWith(QLatin1Char('#')))
        return QString();
    const QString withoutPart = link.section(QLatin1Char('#'), 0, 0);
    return ChmFile::normalisedPath(page.left(page.lastIndexOf(QLatin1Char('/')) + 1) + withoutPart);
}

// The places a link can point into: <a name> and any element's id.
QStringList anchorsOf(const QString& html)
{
    QStringList anchors = references(html, QStringLiteral("a"), QStringLiteral("name"));
    HtmlScanner scanner(html);
    for (auto token = scanner.next(); token != HtmlScanner::Token::End; token = scanner.next())
        if (token == HtmlScanner::Token::Tag && scanner.hasAttribute(QStringLiteral("id")))
            anchors.append(scanner.attribute(QStringLiteral("id")));
    return anchors;
}

// The link's page holds the part it names, if it names one.
::testing::AssertionResult reaches(const ChmFile& chm, const QString& from, const QString& link)
{
    const QString target = targetOf(from, link);
    if (!chm.contains(target))
        return ::testing::AssertionFailure() << from.toStdString() << " -> " << link.toStdString() << ": no page";
    const qsizetype hash = link.indexOf(QLatin1Char('#'));
    if (hash >= 0 && !anchorsOf(pageOf(chm, target)).contains(link.mid(hash + 1)))
        return ::testing::AssertionFailure() << from.toStdString() << " -> " << link.toStdString() << ": no such part";
    return ::testing::AssertionSuccess();
}

void forEachEntry(const QList<SitemapEntry>& entries, const std::function<void(const SitemapEntry&)>& visit)
{
    for (const SitemapEntry& entry : entries) {
        visit(entry);
        forEachEntry(entry.children, visit);
    }
}

QStringList helpPages(const ChmFile& chm)
{
    QStringList pages;
    for (const QString& path : chm.files())
        if (path.endsWith(QLatin1String(".htm")))
            pages.append(path);
    return pages;
}

QByteArray helpFileBytes()
{
    return test::TestFiles::bytes(HelpFile);
}

// Opens `bytes` as a help file and reads everything in it: whatever the damage, this must
// come back. Returns how the opening went.
ChmFile::Status openAndReadAll(const test::TestFiles& files, const QByteArray& bytes)
{
    const QString path = files.write(QStringLiteral("damaged.chm"), bytes);
    ChmFile::Opening opening = ChmFile::open(path);
    if (opening.file) {
        for (const QString& name : opening.file->files())
            (void)opening.file->read(name);
        (void)HelpSearchIndex::ofHelpFile(*opening.file);
    }
    return opening.status;
}

void putU32(QByteArray& bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace

// ============================================================================================
// The help file the build makes
// ============================================================================================

TEST(HelpFile, OpensWithItsContentsTopicIndexAndFullTextSearch)
{
    const std::unique_ptr<ChmFile> chm = openHelp();
    ASSERT_TRUE(chm);
    const QStringList files = chm->files();
    EXPECT_TRUE(files.contains(QStringLiteral("/html/kalv2abc.htm")));
    // Windows' viewer searches with the compiler's full-text index.
    EXPECT_TRUE(files.contains(QStringLiteral("/$FIftiMain")));
    EXPECT_EQ(chm->contentsFile(), QStringLiteral("Kalvetra.hhc"));
    EXPECT_EQ(chm->indexFile(), QStringLiteral("Kalvetra.hhk"));
    EXPECT_EQ(chm->defaultTopic(), QStringLiteral("html/kalv2abc.htm"));
    EXPECT_EQ(chm->title(), QStringLiteral("カルベトラ ヘルプ"));
    EXPECT_TRUE(chm->contains(QStringLiteral("HTML/KALV2ABC.HTM")));
    EXPECT_TRUE(chm->contains(QStringLiteral("html/../html/./kalv2abc.htm")));
    EXPECT_EQ(ChmFile::normalisedPath(QStringLiteral("\\html\\x\\..\\a.htm")), QStringLiteral("/html/a.htm"));
    // A path that climbs out of the archive names nothing in it.
    EXPECT_EQ(ChmFile::normalisedPath(QStringLiteral("../html/kalv2abc.htm")), QString());
    EXPECT_FALSE(chm->contains(QStringLiteral("../html/kalv2abc.htm")));
}

TEST(HelpFile, HoldsEverySourceFileByteForByte)
{
    const std::unique_ptr<ChmFile> chm = openHelp();
    ASSERT_TRUE(chm);
    int compared = 0;
    for (const QString& folder : {QStringLiteral("html"), QStringLiteral("images")}) {
        QDirIterator it(HelpSources + QLatin1Char('/') + folder, QDir::Files);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString inArchive = QLatin1Char('/') + folder + QLatin1Char('/') + it.fileName();
            const std::optional<QByteArray> bytes = chm->read(inArchive);
            ASSERT_TRUE(bytes) << inArchive.toStdString() << " is not in the help file";
            EXPECT_EQ(*bytes, test::TestFiles::bytes(source)) << inArchive.toStdString();
            ++compared;
        }
    }
    EXPECT_GT(compared, 10);
}

TEST(HelpFile, EveryContentsAndIndexEntryLeadsToAPageOfTheFile)
{
    const std::unique_ptr<ChmFile> chm = openHelp();
    ASSERT_TRUE(chm);
    for (const QString& list : {chm->contentsFile(), chm->indexFile()}) {
        const QList<SitemapEntry> entries = parseSitemap(pageOf(*chm, list));
        int pages = 0;
        forEachEntry(entries, [&](const SitemapEntry& entry) {
            EXPECT_FALSE(entry.locals.isEmpty()) << entry.name.toStdString();
            for (const QString& local : entry.locals) {
                EXPECT_TRUE(reaches(*chm, QLatin1Char('/') + list, local));
                ++pages;
            }
        });
        EXPECT_GT(pages, 10) << list.toStdString();
    }
    // Every page is reachable from the contents.
    QStringList listed;
    forEachEntry(parseSitemap(pageOf(*chm, chm->contentsFile())), [&](const SitemapEntry& entry) {
        for (const QString& local : entry.locals)
            listed.append(targetOf(QStringLiteral("/"), local));
    });
    for (const QString& page : helpPages(*chm))
        EXPECT_TRUE(listed.contains(page)) << page.toStdString() << " is not in the contents";
}

TEST(HelpFile, EveryLinkPartAndPictureOfEveryPageIsInTheFile)
{
    const std::unique_ptr<ChmFile> chm = openHelp();
    ASSERT_TRUE(chm);
    int pictures = 0;
    for (const QString& page : helpPages(*chm)) {
        const QString html = pageOf(*chm, page);
        EXPECT_TRUE(html.contains(QLatin1String("http-equiv=\"Content-Type\""))) << page.toStdString();
        EXPECT_FALSE(pageText(html).title.isEmpty()) << page.toStdString();
        for (const QString& link : references(html, QStringLiteral("a"), QStringLiteral("href"))) {
            if (!targetOf(page, link).isEmpty()) {
                EXPECT_TRUE(reaches(*chm, page, link));
            }
        }
        for (const QString& src : references(html, QStringLiteral("img"), QStringLiteral("src"))) {
            const std::optional<QByteArray> bytes = chm->read(targetOf(page, src));
            ASSERT_TRUE(bytes) << page.toStdString() << " -> " << src.toStdString();
            EXPECT_FALSE(QImage::fromData(*bytes).isNull()) << src.toStdString();
            ++pictures;
        }
    }
    EXPECT_GE(pictures, 5);
}

TEST(HelpFile, SearchFindsAWordThatStandsOnOnePageOnly)
{
    const std::unique_ptr<ChmFile> chm = openHelp();
    ASSERT_TRUE(chm);
    const HelpSearchIndex index = HelpSearchIndex::ofHelpFile(*chm);
    EXPECT_EQ(index.pageCount(), helpPages(*chm).size());

    // "--transparent" is an option of kalvetra-render only.
    const QList<SearchHit> hits = index.search(QStringLiteral("--transparent"));
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0].path, QStringLiteral("/html/render.htm"));
    EXPECT_EQ(hits[0].title, QStringLiteral("kalvetra-render (コマンドラインで描く)"));
    // Typed in full width, with another word that the page holds.
    const QList<SearchHit> wide = index.search(QStringLiteral("－－ＴＲＡＮＳＰＡＲＥＮＴ　ＰＮＧ"));
    ASSERT_EQ(wide.size(), 1);
    EXPECT_EQ(wide[0].path, QStringLiteral("/html/render.htm"));
    // The code table's page is the only one that shows how a code is written.
    const QList<SearchHit> cord = index.search(QStringLiteral("cord"));
    ASSERT_EQ(cord.size(), 1);
    EXPECT_EQ(cord[0].path, QStringLiteral("/html/codetable.htm"));
    EXPECT_TRUE(index.search(QStringLiteral("立体縁取り この語はどのページにもない")).isEmpty());
}

// ============================================================================================
// Damaged help files: refused, never a crash or a hang
// ============================================================================================

TEST(ChmFileDamage, MissingUnreadableAndForeignFilesAreToldApart)
{
    test::TestFiles files;
    EXPECT_EQ(ChmFile::open(files.path(QStringLiteral("none.chm"))).status, ChmFile::Status::Missing);
    EXPECT_EQ(ChmFile::open(files.folder()).status, ChmFile::Status::Unreadable);
    EXPECT_EQ(ChmFile::open(files.write(QStringLiteral("empty.chm"), QByteArray())).status,
              ChmFile::Status::NotHelpFile);
    EXPECT_EQ(ChmFile::open(files.write(QStringLiteral("text.chm"), "<html>not compiled</html>")).status,
              ChmFile::Status::NotHelpFile);
}

TEST(ChmFileDamage, AFileCutShortAnywhereIsRefused)
{
    test::TestFiles files;
    const QByteArray whole = helpFileBytes();
    ASSERT_GT(whole.size(), 0x1000);
    std::vector<qsizetype> lengths = {4, 0x20, 0x5F, 0x60, 0x61, 0x100, 0x1000, whole.size() - 1};
    for (int part = 1; part < 64; ++part)
        lengths.push_back(whole.size() * part / 64);
    for (const qsizetype length : lengths) {
        SCOPED_TRACE(length);
        EXPECT_EQ(openAndReadAll(files, whole.left(length)), ChmFile::Status::Damaged);
    }
}

TEST(ChmFileDamage, SettingsThatChmlibWouldDivideByAreRefused)
{
    test::TestFiles files;
    const QByteArray whole = helpFileBytes();
    const qsizetype signature = whole.indexOf("LZXC");
    ASSERT_GT(signature, 0);
    // The control data: reset interval, window size and windows per reset follow "LZXC" and
    // its version.
    for (const qsizetype field : {signature + 8, signature + 12, signature + 16}) {
        SCOPED_TRACE(field - signature);
        QByteArray damaged = whole;
        putU32(damaged, field, 0);
        EXPECT_EQ(openAndReadAll(files, damaged), ChmFile::Status::Damaged);
    }
    QByteArray oddWindow = whole;
    putU32(oddWindow, signature + 12, 3);
    EXPECT_EQ(openAndReadAll(files, oddWindow), ChmFile::Status::Damaged);
}

TEST(ChmFileDamage, BrokenDirectoriesAreRefused)
{
    test::TestFiles files;
    const QByteArray whole = helpFileBytes();
    const qsizetype listing = whole.indexOf("PMGL");
    ASSERT_GT(listing, 0);

    QByteArray emptyName = whole;  // chmlib would index the byte before the name
    emptyName[listing + 0x14] = 0;
    EXPECT_EQ(openAndReadAll(files, emptyName), ChmFile::Status::Damaged);

    QByteArray loop = whole;  // the listing's next chunk is itself
    putU32(loop, listing + 0x10, 0);
    EXPECT_EQ(openAndReadAll(files, loop), ChmFile::Status::Damaged);

    QByteArray noFreeSpace = whole;  // entries said to run past the chunk
    putU32(noFreeSpace, listing + 4, 0xFFFFFFF0u);
    EXPECT_EQ(openAndReadAll(files, noFreeSpace), ChmFile::Status::Damaged);

    QByteArray farDirectory = whole;  // the directory said to lie beyond the end
    putU32(farDirectory, 0x48, 0x7FFFFFF0u);
    EXPECT_EQ(openAndReadAll(files, farDirectory), ChmFile::Status::Damaged);
}

TEST(ChmFileDamage, AByteWrittenOverAnywhereNeverTakesTheReaderDown)
{
    test::TestFiles files;
    const QByteArray whole = helpFileBytes();
    const std::unique_ptr<ChmFile> original = openHelp();
    ASSERT_TRUE(original);
    // The directory chunks follow the ITSP header: a byte changed there may change the length
    // an entry records, which no reader can tell from the real one.
    const qsizetype itsp = whole.indexOf("ITSP");
    ASSERT_GT(itsp, 0);
    const auto u32At = [&whole](qsizetype at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(whole[at + i]);
        return static_cast<qsizetype>(v);
    };
    const qsizetype directoryStart = itsp + u32At(itsp + 8);
    const qsizetype directoryEnd = directoryStart + u32At(itsp + 0x10) * u32At(itsp + 0x2C);
    int refused = 0;
    int opened = 0;
    const qsizetype step = std::max<qsizetype>(1, whole.size() / 300);
    for (qsizetype at = 0; at < whole.size(); at += step) {
        for (const char value : {char(0x00), char(0xFF), char(whole[at] ^ 0x5A)}) {
            QByteArray damaged = whole;
            damaged[at] = value;
            const QString path = files.write(QStringLiteral("damaged.chm"), damaged);
            ChmFile::Opening opening = ChmFile::open(path);
            if (!opening.file) {
                ++refused;
                continue;
            }
            ++opened;
            // What still reads is either the file as it was or damaged data, never garbage
            // beyond the file's length.
            const bool inDirectory = at >= directoryStart && at < directoryEnd;
            for (const QString& name : opening.file->files()) {
                const std::optional<QByteArray> bytes = opening.file->read(name);
                if (bytes) {
                    EXPECT_LE(bytes->size(), whole.size()) << name.toStdString() << " at " << at;
                }
                if (bytes && original->contains(name) && !inDirectory) {
                    const std::optional<QByteArray> before = original->read(name);
                    ASSERT_TRUE(before);
                    EXPECT_EQ(bytes->size(), before->size()) << name.toStdString() << " at " << at;
                }
            }
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(opened, 0);  // most of a file is data: a changed byte there is not seen at opening
}

// ============================================================================================
// Contents lists, page text and search
// ============================================================================================

TEST(ChmSitemap, NestsEntriesByTheirListsAndKeepsEveryPage)
{
    const QString hhc = QStringLiteral(
        "<HTML><BODY><OBJECT type=\"text/site properties\"><param name=\"Name\" value=\"ignored\"></OBJECT>"
        "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A &amp; B\">"
        "<param name=\"Local\" value=\"html/a.htm\"></OBJECT>"
        "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A1\"><param name=\"Local\" "
        "value=\"html/a1.htm\"><param name=\"Local\" value=\"html/a2.htm\"></OBJECT>"
        "<UL><LI><object TYPE='TEXT/SITEMAP'><param name=name value=deep><param name=local value=d.htm></object>"
        "</UL></UL>"
        "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"見出し\"></OBJECT>"
        "</UL></BODY></HTML>");
    const QList<SitemapEntry> entries = parseSitemap(hhc);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, QStringLiteral("A & B"));
    EXPECT_EQ(entries[0].locals, QStringList{QStringLiteral("html/a.htm")});
    ASSERT_EQ(entries[0].children.size(), 1);
    EXPECT_EQ(entries[0].children[0].locals.size(), 2);
    ASSERT_EQ(entries[0].children[0].children.size(), 1);
    EXPECT_EQ(entries[0].children[0].children[0].name, QStringLiteral("deep"));
    EXPECT_EQ(entries[1].name, QStringLiteral("見出し"));
    EXPECT_TRUE(entries[1].locals.isEmpty());
}

TEST(ChmSitemap, AListCutShortGivesWhatCouldBeRead)
{
    const QList<SitemapEntry> entries = parseSitemap(QStringLiteral(
        "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A\"><param name=\"Local\" "
        "value=\"a.htm\"></OBJECT></UL></UL></UL><UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Na"));
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].name, QStringLiteral("A"));
}

TEST(ChmHtml, PagesAreDecodedInTheEncodingTheyDeclare)
{
    const QByteArray sjis = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
                            "<title>\x83\x4A\x83\x8B\x83\x78\x83\x67\x83\x89</title></head></html>";
    EXPECT_EQ(pageText(decodeHtmlPage(sjis)).title, QStringLiteral("カルベトラ"));
    const QByteArray utf8 = QStringLiteral("<title>カルベトラ</title>").toUtf8();
    EXPECT_EQ(pageText(decodeHtmlPage(utf8)).title, QStringLiteral("カルベトラ"));
    EXPECT_EQ(pageText(decodeHtmlPage("\xEF\xBB\xBF<title>x</title>")).title, QStringLiteral("x"));
}

TEST(ChmHtml, PageTextIsWhatAReaderSees)
{
    const PageText page = pageText(QStringLiteral(
        "<html><head><title> 設定\n画面 </title><style>p { color: red }</style>"
        "<script>var hidden = '<p>secret</p>';</script></head>"
        "<body><!-- a note --><h1>見出し</h1><p>縁取り&amp;影<br>2&lt;3&#x3042;&#12356;</p>"
        "<img src=\"x.png\" alt=\"三重縁取りの例\"><p>a < b</p></body></html>"));
    EXPECT_EQ(page.title, QStringLiteral("設定 画面"));
    EXPECT_EQ(page.text, QStringLiteral("見出し 縁取り&影 2<3あい 三重縁取りの例 a < b"));
    EXPECT_EQ(pageText(QStringLiteral("<h1>見出し<b>だけ</b></h1><h2>次</h2>")).title, QStringLiteral("見出しだけ"));
    EXPECT_EQ(decodeHtmlEntities(QStringLiteral("&unknown; &amp &#0; &#xD800;")),
              QStringLiteral("&unknown; &amp &#0; &#xD800;"));
}

TEST(HelpSearch, EveryWordMustStandOnThePageAndMoreOccurrencesComeFirst)
{
    HelpSearchIndex index;
    index.addPage(QStringLiteral("/a.htm"), {QStringLiteral("A"), QStringLiteral("影 影 縁取り")});
    index.addPage(QStringLiteral("/b.htm"), {QStringLiteral("B"), QStringLiteral("影 縁取り 縁取り 縁取り")});
    index.addPage(QStringLiteral("/c.htm"), {QStringLiteral("C"), QStringLiteral("影だけ")});
    index.addPage(QStringLiteral("/d.htm"), {QStringLiteral("カラー"), QStringLiteral("JPEG ファイル")});

    QList<SearchHit> hits = index.search(QStringLiteral("縁取り　影"));
    ASSERT_EQ(hits.size(), 2);
    EXPECT_EQ(hits[0].path, QStringLiteral("/b.htm"));
    EXPECT_EQ(hits[0].occurrences, 4);
    EXPECT_EQ(hits[1].path, QStringLiteral("/a.htm"));

    hits = index.search(QStringLiteral("影"));
    ASSERT_EQ(hits.size(), 3);
    EXPECT_EQ(hits[0].path, QStringLiteral("/a.htm"));
    EXPECT_EQ(hits[1].path, QStringLiteral("/b.htm"));  // ties keep the pages' order
    EXPECT_EQ(hits[2].path, QStringLiteral("/c.htm"));

    // Width and case do not count; a title is searched as well as the text.
    EXPECT_EQ(index.search(QStringLiteral("ｶﾗｰ")).size(), 1);
    EXPECT_EQ(index.search(QStringLiteral("ｊｐｅｇ")).size(), 1);
    EXPECT_EQ(index.search(QStringLiteral("\"JPEG ファイル\"")).size(), 1);
    EXPECT_TRUE(index.search(QStringLiteral("\"ファイル JPEG\"")).isEmpty());
    EXPECT_TRUE(index.search(QStringLiteral("  　")).isEmpty());
}
