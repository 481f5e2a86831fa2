#include "CsvReader.h"

#include "platform/Cp932.h"

#include <QStringDecoder>

namespace kalvetra::cli {

QString decodeSpreadsheetText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return decoder.decode(bytes.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return cp932::decode(bytes);
}

QChar fieldSeparatorFor(const QString& fileName, const QString& text)
{
    const QString lower = fileName.toLower();
    if (lower.endsWith(u".tsv") || lower.endsWith(u".tab"))
        return u'\t';
    qsizetype end = 0;
    while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
        ++end;
    const QStringView firstLine = QStringView(text).first(end);
    return firstLine.contains(u'\t') && !firstLine.contains(u',') ? QChar(u'\t') : QChar(u',');
}

std::vector<CsvRecord> readCsv(const QString& text, QChar separator)
{
    std::vector<CsvRecord> records;
    CsvRecord record;
    QString field;
    bool fieldStarted = false;  // the record has a character or a separator
    int line = 1;
    record.line = line;

    auto endRecord = [&] {
        if (fieldStarted) {
            record.fields << field;
            records.push_back(record);
        }
        record = CsvRecord();
        field.clear();
        fieldStarted = false;
    };

    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c == u'"' && field.isEmpty()) {
            // A quoted field: to the closing quote, "" standing for one quote.
            fieldStarted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar q = text[i];
                if (q == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (q == u'\r' || q == u'\n') {
                    ++line;
                    i += (q == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
                    field += u'\n';
                    continue;
                }
                field += q;
                ++i;
            }
            if (!closed)
                record.unterminatedQuote = true;
            continue;
        }
        if (c == separator) {
            record.fields << field;
            field.clear();
            fieldStarted = true;
            ++i;
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            i += (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
            endRecord();
            ++line;
            record.line = line;
            continue;
        }
        field += c;
        fieldStarted = true;
        ++i;
    }
    endRecord();
    return records;
}

}  // namespace kalvetra::cli
