// Runs one statement on a tool database the way the program does, so a
// package's tool database can be inspected and mended without Access.

#include "platform/error.h"
#include "platform/text/command_line.h"
#include "platform/text/delimited_text.h"
#include "platform/text/standard_streams.h"
#include "tooldb/tool_access.h"
#include "tooldb/tool_database.h"

#include <QCoreApplication>
#include <QStringList>
#include <cmath>
#include <cstdio>

namespace {

using namespace tallomar;

QString printable(const QVariant& value) {
    if (!value.isValid()) return {};
    if (value.typeId() == QMetaType::Double) {
        const double number = value.toDouble();
        if (std::trunc(number) == number && std::abs(number) < 1e15)
            return QString::number(static_cast<qint64>(number));
        return QString::number(number, 'g', 15);
    }
    if (value.typeId() == QMetaType::QByteArray) return QString::fromLatin1(value.toByteArray().toHex());
    return value.toString();
}

void print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
}

// One output record: an escaped tab-separated line, or a CSV record.
using RecordWriter = QString (*)(const QStringList& fields);

QString tabSeparatedRecord(const QStringList& fields) {
    return tabSeparatedLine(fields) + QLatin1Char('\n');
}

int run(const QString& path, const QString& statement, RecordWriter record) {
    const auto database = tooldb::ToolDatabase::open(path);
    if (statement.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive)) {
        const tooldb::Recordset result = OpenRecordset(statement, *database);
        print(record(result.columns));
        for (const auto& row : result.rows) {
            QStringList fields;
            for (const QVariant& value : row) fields << printable(value);
            print(record(fields));
        }
    } else {
        print(QString::number(database->execute(statement)) + QLatin1Char('\n'));
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    tallomar::useUtf8StandardStreams();
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs one SELECT or UPDATE statement on a tool database (ZOL.mdb) the way Tallomar does.\n"
                       "\n"
                       "A SELECT prints a header line with the column names, then one line per row, the\n"
                       "fields separated by tabs. Within a field a tab is written as \\t, a carriage return\n"
                       "as \\r, a line feed as \\n and a backslash as \\\\, so each row stays on one line.\n"
                       "With --csv the result is CSV instead (RFC 4180: fields with a comma, a quote or a\n"
                       "line break are quoted, quotes doubled, records end with CR LF). An UPDATE prints the\n"
                       "number of rows it changed and saves the file.\n"
                       "\n"
                       "Exit status: 0 on success, 1 when the file or the statement fails, 2 on bad usage."));
    const QCommandLineOption csv(QStringLiteral("csv"), QStringLiteral("Print a SELECT's result as CSV."));
    parser.addOption(csv);
    if (const auto status =
            readCommandLine(parser, QCoreApplication::arguments(),
                            {{QStringLiteral("FILE.mdb"), QStringLiteral("The tool database.")},
                             {QStringLiteral("STATEMENT"), QStringLiteral("One SELECT or UPDATE statement.")}}))
        return *status;

    const QStringList arguments = parser.positionalArguments();
    try {
        return run(arguments[0], arguments[1], parser.isSet(csv) ? csvRecord : tabSeparatedRecord);
    } catch (const tallomar::Error& error) {
        std::fprintf(stderr, "tallomar-tooldb: %s\n",
                     error.message().replace(QLatin1Char('\n'), QLatin1Char(' ')).toUtf8().constData());
        return 1;
    }
}
