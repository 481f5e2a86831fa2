// Reading the HTML of help pages without a browser: the page's bytes decoded in the encoding
// it declares, and its text and tags one after the other. Enough for contents lists, titles
// and searching; not a renderer. QtCore only.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace kalvetra {

// The page's text from its bytes: the charset its <meta> declares (UTF-8, Shift_JIS/CP932),
// UTF-8 when it declares none. A byte-order mark wins over the declaration.
QString decodeHtmlPage(const QByteArray& bytes);

// Character references ("&amp;", "&#12354;", "&#x3042;", "&nbsp;") replaced by their
// characters; an unknown one is left as it stands.
QString decodeHtmlEntities(const QString& text);

// Walks a page: runs of text between tags, and tags with their attributes. Comments are
// skipped; the contents of <script> and <style> are not text.
class HtmlScanner {
public:
    enum class Token { Text, Tag, End };

    explicit HtmlScanner(const QString& html) : m_html(html) {}

    Token next();
    // After Text: the raw text (character references not yet decoded).
    QString text() const { return m_text; }
    // After Tag: the tag's name in lower case, "/ul" for a closing tag.
    QString tagName() const { return m_tagName; }
    // After Tag: an attribute's value, references decoded; names are matched without case.
    QString attribute(const QString& name) const { return m_attributes.value(name.toLower()); }
    bool hasAttribute(const QString& name) const { return m_attributes.contains(name.toLower()); }

private:
    void readTag(qsizetype close);
    void skipRawText(const QString& endTag);

    const QString m_html;
    qsizetype m_at = 0;
    QString m_text;
    QString m_tagName;
    QHash<QString, QString> m_attributes;
};

}  // namespace kalvetra
