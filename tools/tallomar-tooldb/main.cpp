// Runs one statement on a tool database the way the program does, so a
// package's tool database can be inspected and mended without Access.

#include "platform/error.h"
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

void printLine(const QString& line) {
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

int run(const QString& path, const QString& statement) {
    const auto database = tooldb::ToolDatabase::open(path);
    if (statement.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive)) {
        const tooldb::Recordset result = OpenRecordset(statement, *database);
        printLine(result.columns.join(QLatin1Char('\t')));
        for (const auto& row : result.rows) {
            QStringList fields;
            for (const QVariant& value : row) fields << printable(value);
            printLine(fields.join(QLatin1Char('\t')));
        }
    } else {
        printLine(QString::number(database->execute(statement)));
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: tallomar-tooldb FILE.mdb \"STATEMENT\"\n", stderr);
        return 1;
    }
    try {
        return run(arguments[1], arguments[2]);
    } catch (const tallomar::Error& error) {
        std::fprintf(stderr, "%s\n", error.message().replace(QLatin1Char('\n'), QLatin1Char(' ')).toUtf8().constData());
        return 1;
    }
}
