#pragma once

#include "jet4writer/database_spec.h"
#include "platform/access/mdb_reader.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

// Fixture files for the Access file tests: a tool database with Chinese
// texts, long memos, NULLs, deleted rows and a deleted column.
namespace tallomar::test {

jet4::DatabaseSpec toolDatabaseSpec();
// One table ZOL (cName text 255, cValue memo, cSys text 10) whose data page
// and overflow page are both nearly full: `rows` ordinary rows, then as
// many moved ones, each with a 240-character name.
jet4::DatabaseSpec crowdedPagesSpec(int rows = 7);
QString repeated(const QString& piece, int times);

QByteArray fileBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

const mdb::Table& tableNamed(const std::vector<mdb::Table>& tables, const QString& name);
QVariant cell(const mdb::Table& table, int row, const QString& column);

// `path` names something that is not a regular file, of `kind` ("a folder");
// reading it is refused within a second, with a message that says so.
void expectRefusedAtOnceAsNotARegularFile(const QString& path, const QString& kind);

}  // namespace tallomar::test
