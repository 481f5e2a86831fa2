// Reading the tables spreadsheets save: CSV or TSV, quoted as RFC 4180 says, in whatever
// encoding the spreadsheet chose (a byte-order mark, else UTF-8, else CP932 as Excel on a
// Japanese Windows writes). Pure: bytes in, records out. QtCore only.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace kalvetra::cli {

// UTF-8 or UTF-16 by their byte-order mark, else UTF-8 when the bytes are valid UTF-8,
// else CP932.
QString decodeSpreadsheetText(const QByteArray& bytes);

// Tab for a name ending in ".tsv" or ".tab", or when the first line holds a tab and no
// comma; a comma otherwise.
QChar fieldSeparatorFor(const QString& fileName, const QString& text);

struct CsvRecord {
    int line = 0;  // where the record starts, counting from 1
    QStringList fields;
    bool unterminatedQuote = false;  // a quoted field ran to the end of the file
};

// The records of `text`. Quoted fields keep separators, doubled quotes (as one) and line
// breaks (as "\n"); lines end in CRLF, LF or CR. Blank lines are skipped.
std::vector<CsvRecord> readCsv(const QString& text, QChar separator);

}  // namespace kalvetra::cli
