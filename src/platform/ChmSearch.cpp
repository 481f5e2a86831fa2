#include "platform/ChmSearch.h"

#include "platform/ChmFile.h"
#include "platform/ChmHtml.h"

#include <algorithm>

namespace kalvetra {

namespace {

QString collapsed(const QString& text)
{
    return text.simplified();
}

// Tags after which a reader sees a break: the words on either side are separate.
bool breaksText(const QString& tag)
{
    static const QStringList breaking = {
        QStringLiteral("p"),  QStringLiteral("br"), QStringLiteral("div"), QStringLiteral("li"),
        QStringLiteral("tr"), QStringLiteral("td"), QStringLiteral("th"),  QStringLiteral("h1"),
        QStringLiteral("h2"), QStringLiteral("h3"), QStringLiteral("h4"),  QStringLiteral("dt"),
        QStringLiteral("dd"), QStringLiteral("table"), QStringLiteral("ul"), QStringLiteral("ol"),
        QStringLiteral("img"), QStringLiteral("title")};
    const QString name = tag.startsWith(QLatin1Char('/')) ? tag.mid(1) : tag;
    return breaking.contains(name);
}

}  // namespace

PageText pageText(const QString& html)
{
    PageText page;
    QString title;
    QString firstHeading;
    QString text;
    bool inTitle = false;
    bool inHeading = false;
    bool headingTaken = false;
    HtmlScanner scanner(html);
    for (HtmlScanner::Token token = scanner.next(); token != HtmlScanner::Token::End; token = scanner.next()) {
        if (token == HtmlScanner::Token::Text) {
            const QString piece = decodeHtmlEntities(scanner.text());
            if (inTitle) {
                title += piece;
                continue;
            }
            text += piece;
            if (inHeading)
                firstHeading += piece;
            continue;
        }
        const QString tag = scanner.tagName();
        if (tag == QLatin1String("title")) {
            inTitle = true;
        } else if (tag == QLatin1String("/title")) {
            inTitle = false;
        } else if (tag == QLatin1String("h1") || tag == QLatin1String("h2")) {
            inHeading = !headingTaken;
        } else if (tag == QLatin1String("/h1") || tag == QLatin1String("/h2")) {
            inHeading = false;
            headingTaken = !firstHeading.trimmed().isEmpty();
        } else if (tag == QLatin1String("img")) {
            // What a picture shows is part of what the page says.
            const QString alt = scanner.attribute(QStringLiteral("alt"));
            if (!alt.isEmpty())
                text += QLatin1Char(' ') + alt + QLatin1Char(' ');
        }
        if (breaksText(tag))
            text += QLatin1Char(' ');
    }
    page.title = collapsed(title);
    if (page.title.isEmpty())
        page.title = collapsed(firstHeading);
    page.text = collapsed(text);
    return page;
}

QStringList searchWords(const QString& query)
{
    QStringList words;
    QString word;
    bool quoted = false;
    const auto flush = [&] {
        const QString trimmed = word.trimmed();
        if (!trimmed.isEmpty())
            words.append(trimmed);
        word.clear();
    };
    for (const QChar c : query) {
        if (c == QLatin1Char('"') || c == QChar(0x201C) || c == QChar(0x201D)) {
            flush();
            quoted = !quoted;
        } else if (!quoted && (c.isSpace() || c == QChar(0x3000))) {
            flush();
        } else {
            word += c;
        }
    }
    flush();
    return words;
}

QString searchForm(const QString& text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

HelpSearchIndex HelpSearchIndex::ofHelpFile(const ChmFile& chm)
{
    HelpSearchIndex index;
    for (const QString& path : chm.files()) {
        if (!path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) &&
            !path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive))
            continue;
        const std::optional<QByteArray> bytes = chm.read(path);
        if (!bytes)
            continue;  // a damaged page is not found, the others still are
        PageText page = pageText(decodeHtmlPage(*bytes));
        if (page.title.isEmpty())
            page.title = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
        index.addPage(path, page);
    }
    return index;
}

void HelpSearchIndex::addPage(const QString& path, const PageText& page)
{
    m_pages.append({path, page.title, searchForm(page.title + QLatin1Char(' ') + page.text)});
}

QList<SearchHit> HelpSearchIndex::search(const QString& query) const
{
    QStringList words = searchWords(query);
    for (QString& word : words)
        word = searchForm(word);
    QList<SearchHit> hits;
    if (words.isEmpty())
        return hits;
    for (const Page& page : m_pages) {
        int occurrences = 0;
        bool all = true;
        for (const QString& word : words) {
            const qsizetype count = page.searchable.count(word);
            if (count == 0) {
                all = false;
                break;
            }
            occurrences += static_cast<int>(count);
        }
        if (all)
            hits.append({page.path, page.title, occurrences});
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const SearchHit& a, const SearchHit& b) { return a.occurrences > b.occurrences; });
    return hits;
}

}  // namespace kalvetra
