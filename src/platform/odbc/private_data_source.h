#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tallomar::odbc {

// A data source that exists only while one connection logs in: a section of
// an odbc.ini of its own, in a folder only this user can enter, which the
// driver manager reads through ODBCINI. Going out of scope removes the file
// and folder and gives ODBCINI back its former value. Each has a name of its
// own, so that the driver manager's cache of odbc.ini values never answers
// for an earlier one.
class PrivateDataSource {
public:
    // `lines` are "Key = value" lines without line breaks. Throws Error when
    // the file cannot be written.
    explicit PrivateDataSource(const QStringList& lines);
    ~PrivateDataSource();
    PrivateDataSource(const PrivateDataSource&) = delete;
    PrivateDataSource& operator=(const PrivateDataSource&) = delete;

    QString name() const { return name_; }

private:
    QTemporaryDir folder_;
    QString name_;
    bool hadOdbcIni_ = false;
    QByteArray formerOdbcIni_;
};

}  // namespace tallomar::odbc
