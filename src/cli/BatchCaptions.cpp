#include "BatchCaptions.h"

#include "RenderCommand.h"
#include "RenderOptions.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <unistd.h>

#include <algorithm>
#include <memory>

namespace kalvetra::cli {
namespace {

const QString BatchOption = QStringLiteral("--batch");
const QString PartOption = QStringLiteral("--batch-part");
const QString OverwriteOption = QStringLiteral("--overwrite");

// Options that make no sense once per row: the table gives the text and the output.
bool isWholeRunOption(const QString& option)
{
    static const QStringList options{QStringLiteral("--text"),          QStringLiteral("-o"),
                                     QStringLiteral("--output"),        QStringLiteral("--save-settings"),
                                     QStringLiteral("--time"),          QStringLiteral("--repeat"),
                                     QStringLiteral("--help"),          QStringLiteral("-h"),
                                     BatchOption,
                                     QStringLiteral("--jobs"),          OverwriteOption,
                                     PartOption};
    return options.contains(option);
}

std::optional<bool> truthOfCell(const QString& cell)
{
    static const QStringList yes{QStringLiteral("1"), QStringLiteral("true"), QStringLiteral("yes"),
                                 QStringLiteral("on"), QStringLiteral("はい")};
    static const QStringList no{QStringLiteral("0"), QStringLiteral("false"), QStringLiteral("no"),
                                QStringLiteral("off"), QStringLiteral("いいえ")};
    const QString v = cell.trimmed().toLower();
    if (yes.contains(v))
        return true;
    if (no.contains(v))
        return false;
    return std::nullopt;
}

QString oneLine(QString text)
{
    text.replace(u'\r', u' ').replace(u'\n', u' ').replace(u'\t', u' ');
    return text.trimmed();
}

// What runRender wrote on its error stream, without the program's name.
QString renderMessage(const QString& captured)
{
    QStringList lines;
    for (QString line : captured.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u"kalvetra-render: "))
            line = line.mid(17);
        lines << line.trimmed();
    }
    return lines.join(QStringLiteral("; "));
}

// The count of rows done and failed; a bar on a terminal, one line per failure always.
class Progress {
public:
    Progress(QTextStream& err, QString table, qsizetype total)
        : m_err(err), m_table(std::move(table)), m_total(total), m_bar(::isatty(STDERR_FILENO) == 1)
    {
        draw();
    }

    void report(int line, const QString& error)
    {
        ++m_done;
        if (!error.isEmpty()) {
            ++m_failed;
            if (m_bar)
                m_err << "\r\033[K";
            m_err << "kalvetra-render: " << m_table << ":" << line << ": " << error << "\n";
        }
        draw();
    }

    void finish()
    {
        if (m_bar)
            m_err << "\n";
        m_err.flush();
    }

    int failed() const { return m_failed; }

private:
    void draw()
    {
        if (!m_bar) {
            m_err.flush();
            return;
        }
        constexpr int Width = 30;
        const int filled = m_total > 0 ? static_cast<int>(m_done * Width / m_total) : Width;
        m_err << "\r[" << QString(filled, u'#') << QString(Width - filled, u'-') << "] " << m_done << "/" << m_total;
        if (m_failed > 0)
            m_err << ", " << m_failed << " failed";
        m_err.flush();
    }

    QTextStream& m_err;
    QString m_table;
    qsizetype m_total = 0;
    qsizetype m_done = 0;
    int m_failed = 0;
    bool m_bar = false;
};

std::optional<QString> readTable(const QString& path, QString& problem)
{
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        problem = QStringLiteral("not a file");
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        problem = file.exists() ? file.errorString() : QStringLiteral("no such file");
        return std::nullopt;
    }
    return decodeSpreadsheetText(file.readAll());
}

}  // namespace

bool isBatchCommand(const QStringList& arguments)
{
    return arguments.contains(BatchOption);
}

std::variant<BatchOptions, BatchError> parseBatchOptions(const QStringList& args)
{
    BatchOptions o;
    static const QRegularExpression part(QStringLiteral("^(\\d{1,3})/(\\d{1,3})$"));
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        if (arg == BatchOption) {
            const auto v = value();
            if (!v)
                return BatchError{QStringLiteral("--batch needs a value")};
            o.table = *v;
        } else if (arg == u"-j" || arg == u"--jobs" || (arg.startsWith(u"-j") && arg.size() > 2)) {
            const auto v = arg.size() > 2 && !arg.startsWith(u"--") ? std::optional<QString>(arg.mid(2)) : value();
            bool ok = false;
            const int n = v ? v->toInt(&ok) : 0;
            if (!ok || n < 1 || n > 256)
                return BatchError{QStringLiteral("-j: \"%1\" is not a number of processes from 1 to 256").arg(v.value_or(QString()))};
            o.jobs = n;
        } else if (arg == OverwriteOption) {
            o.overwrite = true;
        } else if (arg == PartOption) {
            const auto v = value();
            const auto m = part.match(v.value_or(QString()));
            if (!m.hasMatch() || m.captured(1).toInt() >= m.captured(2).toInt())
                return BatchError{QStringLiteral("--batch-part needs K/N")};
            o.partIndex = m.captured(1).toInt();
            o.partCount = m.captured(2).toInt();
        } else if (arg == u"--text" || arg == u"-o" || arg == u"--output" || arg == u"--save-settings" ||
                   arg == u"--time" || arg == u"--repeat") {
            return BatchError{QStringLiteral("%1 cannot be given with --batch; the table's columns give the text and the output").arg(arg)};
        } else {
            o.styleArguments << arg;
            if (optionKind(arg) == OptionKind::Valued && i + 1 < args.size())
                o.styleArguments << args[++i];
        }
    }
    if (o.table.isEmpty())
        return BatchError{QStringLiteral("--batch needs a value")};
    // The options shared by every row are checked once, as a drawing's would be.
    const auto parsed = parseRenderOptions(o.styleArguments + QStringList{QStringLiteral("--text"), QStringLiteral("x"),
                                                                            QStringLiteral("-o"), QStringLiteral("x.png")});
    if (const auto* error = std::get_if<ParseError>(&parsed))
        return BatchError{error->message};
    return o;
}

std::variant<std::vector<BatchRow>, BatchError> planBatch(const QString& text, const QString& tableName)
{
    const std::vector<CsvRecord> records = readCsv(text, fieldSeparatorFor(tableName, text));
    if (records.empty())
        return BatchError{QStringLiteral("the table is empty")};

    enum class Column { Text, Output, Switch, Valued, WholeRun, Unknown };
    struct ColumnOf {
        Column kind;
        QString option;  // "--size"
    };
    std::vector<ColumnOf> columns;
    int textColumns = 0;
    for (const QString& cell : records.front().fields) {
        QString name = cell.trimmed().toLower();
        if (name.startsWith(u"--"))
            name = name.mid(2);
        const QString option = QStringLiteral("--") + name;
        if (name == u"text") {
            columns.push_back({Column::Text, option});
            ++textColumns;
        } else if (name == u"output") {
            columns.push_back({Column::Output, option});
        } else if (name.isEmpty() || name.startsWith(u"no-")) {
            columns.push_back({Column::Unknown, cell.trimmed()});
        } else if (isWholeRunOption(option)) {
            columns.push_back({Column::WholeRun, name});
        } else {
            const OptionKind kind = optionKind(option);
            columns.push_back({kind == OptionKind::Switch ? Column::Switch
                               : kind == OptionKind::Valued ? Column::Valued
                                                            : Column::Unknown,
                               kind == OptionKind::Unknown ? cell.trimmed() : option});
        }
    }
    if (textColumns != 1)
        return BatchError{textColumns == 0 ? QStringLiteral("the first row names no \"text\" column")
                                           : QStringLiteral("the first row names more than one \"text\" column")};

    std::vector<BatchRow> rows;
    QHash<QString, int> firstLineOfOutput;
    const QString baseName = QFileInfo(tableName).completeBaseName();
    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        if (std::all_of(record.fields.begin(), record.fields.end(), [](const QString& f) { return f.trimmed().isEmpty(); }))
            continue;
        BatchRow row;
        row.line = record.line;
        auto fail = [&row](const QString& message) {
            if (row.error.isEmpty())
                row.error = message;
        };
        if (record.unterminatedQuote)
            fail(QStringLiteral("a quoted cell has no closing quote"));
        if (record.fields.size() > static_cast<qsizetype>(columns.size()))
            fail(QStringLiteral("%1 cells, but the first row names %2 columns").arg(record.fields.size()).arg(columns.size()));
        QString text;
        QString output;
        for (qsizetype c = 0; c < record.fields.size() && c < static_cast<qsizetype>(columns.size()); ++c) {
            const QString& cell = record.fields[c];
            const ColumnOf& column = columns[static_cast<size_t>(c)];
            if (column.kind == Column::Text) {
                text = cell;
                continue;
            }
            if (cell.trimmed().isEmpty())
                continue;
            switch (column.kind) {
            case Column::Output:
                output = cell.trimmed();
                break;
            case Column::Switch:
                if (const auto on = truthOfCell(cell)) {
                    row.arguments << (*on ? column.option : QStringLiteral("--no-") + column.option.mid(2));
                } else {
                    fail(QStringLiteral("%1: \"%2\" is neither 1 nor 0").arg(column.option.mid(2), cell.trimmed()));
                }
                break;
            case Column::Valued:
                row.arguments << column.option << cell.trimmed();
                break;
            case Column::WholeRun:
                fail(QStringLiteral("column \"%1\" cannot change from row to row").arg(column.option));
                break;
            case Column::Unknown:
                fail(QStringLiteral("unknown column \"%1\"").arg(column.option));
                break;
            case Column::Text:
                break;
            }
        }
        if (text.isEmpty())
            fail(QStringLiteral("the text is empty"));
        if (output.isEmpty())
            output = QStringLiteral("%1-%2.png").arg(baseName).arg(rows.size() + 1, 4, 10, QLatin1Char('0'));
        if (output == StandardOutput)
            fail(QStringLiteral("a batch writes files; \"-\" is no output for a row"));
        const QString key = QFileInfo(output).absoluteFilePath();
        if (const auto it = firstLineOfOutput.constFind(key); it != firstLineOfOutput.cend())
            fail(QStringLiteral("%1 is the output of line %2 already").arg(output).arg(*it));
        else
            firstLineOfOutput.insert(key, row.line);
        row.output = output;
        row.arguments << QStringLiteral("--text") << text << QStringLiteral("-o") << output;
        rows.push_back(row);
    }
    return rows;
}

QString drawBatchRow(const BatchRow& row, const BatchOptions& options)
{
    if (!row.error.isEmpty())
        return row.error;
    const auto parsed = parseRenderOptions(options.styleArguments + row.arguments);
    if (const auto* error = std::get_if<ParseError>(&parsed))
        return error->message;
    if (!options.overwrite && QFileInfo::exists(row.output))
        return QStringLiteral("%1 exists already (--overwrite replaces it)").arg(row.output);
    QString captured;
    QTextStream stream(&captured);
    const int status = runRender(std::get<RenderOptions>(parsed), stream);
    stream.flush();
    return status == Success ? QString() : renderMessage(captured);
}

int runBatchPart(const BatchOptions& options, QTextStream& out)
{
    QString problem;
    const auto text = readTable(options.table, problem);
    if (!text)
        return BadInput;
    const auto plan = planBatch(*text, options.table);
    if (std::holds_alternative<BatchError>(plan))
        return BadInput;
    const auto& rows = std::get<std::vector<BatchRow>>(plan);
    for (size_t i = static_cast<size_t>(options.partIndex); i < rows.size(); i += static_cast<size_t>(options.partCount)) {
        out << rows[i].line << '\t' << oneLine(drawBatchRow(rows[i], options)) << '\n';
        out.flush();
    }
    return Success;
}

int runBatch(const BatchOptions& options, const QString& program, QTextStream& err)
{
    QString problem;
    const auto text = readTable(options.table, problem);
    if (!text) {
        err << "kalvetra-render: " << options.table << ": cannot read the table (" << problem << ")\n";
        return BadInput;
    }
    const auto plan = planBatch(*text, options.table);
    if (const auto* error = std::get_if<BatchError>(&plan)) {
        err << "kalvetra-render: " << options.table << ": " << error->message << "\n";
        return BadInput;
    }
    const auto& rows = std::get<std::vector<BatchRow>>(plan);
    // A style that cannot be read would fail every row alike: that is the table's run failing.
    const auto parsed = parseRenderOptions(options.styleArguments + QStringList{QStringLiteral("--text"), QStringLiteral("x"),
                                                                                  QStringLiteral("-o"), QStringLiteral("x.png")});
    if (const auto* o = std::get_if<RenderOptions>(&parsed); o && !o->settingsFile.isEmpty()) {
        QFile style(o->settingsFile);
        if (QFileInfo(o->settingsFile).isDir() || !style.open(QIODevice::ReadOnly)) {
            err << "kalvetra-render: " << o->settingsFile << ": cannot read the settings file\n";
            return BadInput;
        }
    }

    Progress progress(err, options.table, static_cast<qsizetype>(rows.size()));
    const int jobs = std::min<int>(options.jobs > 0 ? options.jobs : std::max(1, QThread::idealThreadCount()),
                                   static_cast<int>(rows.size()));
    if (jobs <= 1) {
        for (const BatchRow& row : rows)
            progress.report(row.line, oneLine(drawBatchRow(row, options)));
        progress.finish();
        return progress.failed() > 0 ? WriteFailed : Success;
    }

    // Processes rather than threads: each has its own fonts and shaping, and the pictures
    // come out exactly as one process would draw them.
    QSet<int> reported;
    auto takeReports = [&](QProcess& p) {
        while (p.canReadLine()) {
            const QString line = QString::fromUtf8(p.readLine()).chopped(1);
            const qsizetype tab = line.indexOf(u'\t');
            bool ok = false;
            const int number = line.left(tab).toInt(&ok);
            if (tab < 0 || !ok || reported.contains(number))
                continue;
            reported.insert(number);
            progress.report(number, line.mid(tab + 1));
        }
    };
    QEventLoop loop;
    int running = jobs;
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int k = 0; k < jobs; ++k) {
        auto worker = std::make_unique<QProcess>();
        QProcess* p = worker.get();
        p->setStandardErrorFile(QProcess::nullDevice());
        QObject::connect(p, &QProcess::readyReadStandardOutput, &loop, [&, p] { takeReports(*p); });
        auto ended = [&] {
            if (--running == 0)
                loop.quit();
        };
        QObject::connect(p, &QProcess::finished, &loop, ended);
        QObject::connect(p, &QProcess::errorOccurred, &loop, [ended](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                ended();
        });
        QStringList args{BatchOption, options.table, PartOption, QStringLiteral("%1/%2").arg(k).arg(jobs)};
        if (options.overwrite)
            args << OverwriteOption;
        p->start(program, args + options.styleArguments);
        workers.push_back(std::move(worker));
    }
    if (running > 0)
        loop.exec();
    for (const auto& worker : workers)
        takeReports(*worker);
    for (const BatchRow& row : rows)
        if (!reported.contains(row.line))
            progress.report(row.line, QStringLiteral("not drawn: its process ended early"));
    progress.finish();
    return progress.failed() > 0 ? WriteFailed : Success;
}

}  // namespace kalvetra::cli
