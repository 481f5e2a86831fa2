#include "platform/ChmHtml.h"

#include "platform/Cp932.h"

#include <QStringDecoder>

#include <cctype>

namespace kalvetra {

namespace {

QString declaredCharset(const QByteArray& bytes)
{
    // The declaration stands in the head; both <meta http-equiv=... content="...; charset=X">
    // and <meta charset="X"> carry "charset=".
    const QByteArray head = bytes.left(4096).toLower();
    const qsizetype at = head.indexOf("charset=");
    if (at < 0)
        return QString();
    qsizetype i = at + 8;
    while (i < head.size() && (head[i] == '"' || head[i] == '\'' || head[i] == ' '))
        ++i;
    qsizetype end = i;
    while (end < head.size() && (std::isalnum(static_cast<unsigned char>(head[end])) || head[end] == '-' ||
                                 head[end] == '_'))
        ++end;
    return QString::fromLatin1(head.mid(i, end - i));
}

bool isShiftJis(const QString& charset)
{
    static const QStringList names = {QStringLiteral("shift_jis"), QStringLiteral("shift-jis"),
                                      QStringLiteral("sjis"),      QStringLiteral("x-sjis"),
                                      QStringLiteral("windows-31j"), QStringLiteral("cp932"),
                                      QStringLiteral("ms932"),     QStringLiteral("ms_kanji")};
    return names.contains(charset);
}

struct NamedEntity {
    const char* name;
    char16_t character;
};

constexpr NamedEntity NamedEntities[] = {
    {"amp", u'&'},     {"lt", u'<'},      {"gt", u'>'},       {"quot", u'"'},     {"apos", u'\''},
    {"nbsp", u'\xA0'}, {"copy", u'\xA9'}, {"reg", u'\xAE'},   {"yen", u'\xA5'},   {"times", u'\xD7'},
    {"middot", u'\xB7'}, {"laquo", u'\xAB'}, {"raquo", u'\xBB'}, {"hellip", u'\x2026'},
    {"ndash", u'\x2013'}, {"mdash", u'\x2014'}, {"rarr", u'\x2192'}, {"larr", u'\x2190'},
};

}  // namespace

QString decodeHtmlPage(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16, QStringDecoder::Flag::ConvertInitialBom);
        return utf16.decode(bytes);
    }
    const QString charset = declaredCharset(bytes);
    if (isShiftJis(charset))
        return cp932::decode(bytes);
    if (charset == QLatin1String("iso-8859-1") || charset == QLatin1String("windows-1252") ||
        charset == QLatin1String("us-ascii"))
        return QString::fromLatin1(bytes);
    return QString::fromUtf8(bytes);
}

QString decodeHtmlEntities(const QString& text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c != QLatin1Char('&')) {
            out += c;
            ++i;
            continue;
        }
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), i + 1);
        if (semicolon < 0 || semicolon - i > 12) {
            out += c;
            ++i;
            continue;
        }
        const QString name = text.mid(i + 1, semicolon - i - 1);
        bool replaced = false;
        if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const uint code = (name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X')))
                                  ? name.mid(2).toUInt(&ok, 16)
                                  : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) {
                const char32_t character = code;
                out += QString::fromUcs4(&character, 1);
                replaced = true;
            }
        } else {
            for (const NamedEntity& entity : NamedEntities) {
                if (name == QLatin1String(entity.name)) {
                    out += QChar(entity.character);
                    replaced = true;
                    break;
                }
            }
        }
        if (replaced) {
            i = semicolon + 1;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// ============================================================================================

HtmlScanner::Token HtmlScanner::next()
{
    while (m_at < m_html.size()) {
        if (m_html[m_at] != QLatin1Char('<')) {
            const qsizetype open = m_html.indexOf(QLatin1Char('<'), m_at);
            const qsizetype end = open < 0 ? m_html.size() : open;
            m_text = m_html.mid(m_at, end - m_at);
            m_at = end;
            return Token::Text;
        }
        if (m_html.mid(m_at, 4) == QLatin1String("<!--")) {
            const qsizetype close = m_html.indexOf(QLatin1String("-->"), m_at + 4);
            m_at = close < 0 ? m_html.size() : close + 3;
            continue;
        }
        const QChar after = m_at + 1 < m_html.size() ? m_html[m_at + 1] : QChar();
        if (!after.isLetter() && after != QLatin1Char('/') && after != QLatin1Char('!') &&
            after != QLatin1Char('?')) {
            // A lone "<" is text.
            m_text = QStringLiteral("<");
            ++m_at;
            return Token::Text;
        }
        // The tag ends at the first ">" outside a quoted value.
        QChar quote;
        qsizetype close = -1;
        for (qsizetype i = m_at + 1; i < m_html.size(); ++i) {
            const QChar c = m_html[i];
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                quote = c;
            } else if (c == QLatin1Char('>')) {
                close = i;
                break;
            }
        }
        if (close < 0) {
            m_at = m_html.size();
            break;
        }
        if (after == QLatin1Char('!') || after == QLatin1Char('?')) {
            m_at = close + 1;
            continue;
        }
        readTag(close);
        m_at = close + 1;
        if (m_tagName == QLatin1String("script") || m_tagName == QLatin1String("style"))
            skipRawText(QLatin1String("</") + m_tagName);
        return Token::Tag;
    }
    return Token::End;
}

void HtmlScanner::readTag(qsizetype close)
{
    m_attributes.clear();
    const QString inside = m_html.mid(m_at + 1, close - m_at - 1);
    qsizetype i = 0;
    const auto isSpace = [](QChar c) { return c.isSpace(); };
    const auto nameEnds = [&](QChar c) { return c.isSpace() || c == QLatin1Char('/') || c == QLatin1Char('='); };
    qsizetype nameEnd = inside.startsWith(QLatin1Char('/')) ? 1 : 0;
    while (nameEnd < inside.size() && !inside[nameEnd].isSpace() &&
           !(nameEnd > 0 && inside[nameEnd] == QLatin1Char('/')))
        ++nameEnd;
    m_tagName = inside.left(nameEnd).toLower();
    i = nameEnd;
    while (i < inside.size()) {
        while (i < inside.size() && (isSpace(inside[i]) || inside[i] == QLatin1Char('/')))
            ++i;
        const qsizetype start = i;
        while (i < inside.size() && !nameEnds(inside[i]))
            ++i;
        const QString name = inside.mid(start, i - start).toLower();
        while (i < inside.size() && isSpace(inside[i]))
            ++i;
        QString value;
        if (i < inside.size() && inside[i] == QLatin1Char('=')) {
            ++i;
            while (i < inside.size() && isSpace(inside[i]))
                ++i;
            if (i < inside.size() && (inside[i] == QLatin1Char('"') || inside[i] == QLatin1Char('\''))) {
                const QChar quote = inside[i];
                const qsizetype end = inside.indexOf(quote, i + 1);
                const qsizetype stop = end < 0 ? inside.size() : end;
                value = inside.mid(i + 1, stop - i - 1);
                i = end < 0 ? inside.size() : end + 1;
            } else {
                const qsizetype begin = i;
                while (i < inside.size() && !isSpace(inside[i]))
                    ++i;
                value = inside.mid(begin, i - begin);
            }
        }
        if (!name.isEmpty() && !m_attributes.contains(name))
            m_attributes.insert(name, decodeHtmlEntities(value));
        else if (name.isEmpty() && i == start)
            ++i;  // a stray character: step over it
    }
}

void HtmlScanner::skipRawText(const QString& endTag)
{
    const qsizetype end = m_html.indexOf(endTag, m_at, Qt::CaseInsensitive);
    m_at = end < 0 ? m_html.size() : end;
}

}  // namespace kalvetra
