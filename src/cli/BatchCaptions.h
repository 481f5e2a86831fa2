// kalvetra-render --batch: one picture per row of a CSV or TSV table, each row's cells
// given to the same option parser as a command line, drawn on several processes at once.
// QtCore/QtGui only.
#pragma once

#include "CsvReader.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>
#include <variant>
#include <vector>

namespace kalvetra::cli {

struct BatchOptions {
    QString table;              // --batch
    int jobs = 0;               // -j; 0: every core
    bool overwrite = false;     // --overwrite
    QStringList styleArguments; // every other option, given to each row before its own cells
    // A worker process draws the rows whose index modulo `partCount` is `partIndex`.
    int partIndex = 0;
    int partCount = 1;
};

bool isBatchCommand(const QStringList& arguments);

// Takes --batch, -j, --overwrite (and the worker's part) out of the command line; the
// rest must be valid options for a drawing. Refusals read as parseRenderOptions' do.
struct BatchError {
    QString message;
};
std::variant<BatchOptions, BatchError> parseBatchOptions(const QStringList& arguments);

// One row of the table made into what a command line would hold.
struct BatchRow {
    int line = 0;
    QStringList arguments;  // the row's cells as options, then --text and -o
    QString output;
    QString error;  // why the row cannot be drawn at all, or empty
};

// The rows of a table's text, or why the table is of no use (no text column). Rows whose
// cells are all empty are left out; a second row naming the same output as an earlier
// one is an error, so that the result does not depend on which process comes first.
std::variant<std::vector<BatchRow>, BatchError> planBatch(const QString& text, const QString& tableName);

// Draws one row as kalvetra-render would with these arguments: empty on success, else
// why not.
QString drawBatchRow(const BatchRow& row, const BatchOptions& options);

// The whole command: exit status 0, 1 when a row failed, 2 when the table cannot be read.
// `program` is this program's path, started again for every process beyond one.
int runBatch(const BatchOptions& options, const QString& program, QTextStream& err);

// A worker's share, reported on `out` one line per row: "LINE<TAB>" and the error, empty
// when the picture was written.
int runBatchPart(const BatchOptions& options, QTextStream& out);

}  // namespace kalvetra::cli
