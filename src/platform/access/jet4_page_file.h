#pragma once

#include <QByteArray>
#include <QString>

// A Jet 4 file held in memory as whole pages: read one, put one back, add
// one at the end. The cell updater changes a copy of the file this way
// before it writes it out.
namespace tallomar::jet4 {

class PageFile {
public:
    // `name` starts every error message.
    PageFile(QByteArray& bytes, QString name);

    quint32 pageCount() const;
    // Throws Error when the page lies beyond the end of the file.
    QByteArray page(quint32 number) const;
    void setPage(quint32 number, const QByteArray& page);
    // Adds `page` after the last page; returns its number.
    quint32 appendPage(const QByteArray& page);
    const QString& name() const { return name_; }

private:
    QByteArray& bytes_;
    QString name_;
};

}  // namespace tallomar::jet4
