#pragma once

#include <QString>
#include <QStringView>

// The one way the program writes a name or a text value into SQL it
// composes, for the server and the tool database alike: a name between
// brackets with "]" doubled, a text between apostrophes with "'" doubled, so
// that no name or value can close its quotes and add statements.
namespace tallomar {

// [name]
QString sqlName(QStringView name);
// 'text'
QString sqlText(QStringView text);
// N'text': a text SQL Server keeps in Unicode, whatever the database's code page.
QString sqlUnicodeText(QStringView text);

}  // namespace tallomar
