// Full-text search over the pages of a help file: each page's title and text taken from its
// HTML, and a query of words answered with the pages that hold every word. Japanese has no
// spaces between words, so a word is found anywhere in the text; width and letter case do not
// count ("ＡＢＣ" finds "abc", "ｶﾗｰ" finds "カラー"). QtCore only.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kalvetra {

struct PageText {
    QString title;  // <title>, or the first heading when there is none
    QString text;   // everything a reader sees, blanks collapsed
};

PageText pageText(const QString& html);

// The words of a query: split at blanks (full-width ones too); quotes keep a phrase together.
QStringList searchWords(const QString& query);

// The form in which text is compared: compatibility-composed (NFKC) and case-folded.
QString searchForm(const QString& text);

struct SearchHit {
    QString path;
    QString title;
    int occurrences = 0;  // of all the words together
};

class ChmFile;

class HelpSearchIndex {
public:
    // Every page (.htm, .html) of the help file, in the archive's order.
    static HelpSearchIndex ofHelpFile(const ChmFile& chm);

    void addPage(const QString& path, const PageText& page);
    qsizetype pageCount() const { return m_pages.size(); }

    // Pages holding every word of the query, most occurrences first, then in the order they
    // were added. An empty query finds nothing.
    QList<SearchHit> search(const QString& query) const;

private:
    struct Page {
        QString path;
        QString title;
        QString searchable;  // title and text in search form
    };
    QList<Page> m_pages;
};

}  // namespace kalvetra
