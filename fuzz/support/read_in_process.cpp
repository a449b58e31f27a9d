#include "read_in_process.h"

#include "libmdb_read.h"
#include "platform/access/mdb_file_header.h"
#include "platform/access/table_transfer.h"
#include "platform/error.h"

#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

namespace tallomar::fuzz {

namespace {

// Catches what libmdb prints while it reads: in the reader program it
// reaches the program through the message pipe. glibc lets stdout and
// stderr be assigned; libFuzzer and the sanitizers keep writing where they
// did.
class PrintedMessages {
public:
    PrintedMessages() : stream_(open_memstream(&buffer_, &size_)), stdout_(stdout), stderr_(stderr) {
        if (!stream_) std::abort();
        stdout = stream_;
        stderr = stream_;
    }
    ~PrintedMessages() {
        restore();
        std::free(buffer_);
    }
    PrintedMessages(const PrintedMessages&) = delete;
    PrintedMessages& operator=(const PrintedMessages&) = delete;

    // Stops catching; what was printed.
    QByteArray take() {
        restore();
        return QByteArray(buffer_, static_cast<qsizetype>(size_));
    }

private:
    void restore() {
        if (!stream_) return;
        stdout = stdout_;
        stderr = stderr_;
        std::fclose(stream_);
        stream_ = nullptr;
    }

    char* buffer_ = nullptr;
    size_t size_ = 0;
    FILE* stream_;
    FILE* stdout_;
    FILE* stderr_;
};

}  // namespace

std::vector<mdb::Table> readTablesInProcess(const QString& path) {
    const QString fileName = QFileInfo(path).fileName();
    const mdb::FileHeader header = mdb::readFileHeader(path);
    QByteArray encoded;
    PrintedMessages printed;
    mdb::readWithLibmdb(
        path, header, {}, [](const QString&) {}, [&encoded](const QByteArray& piece) { encoded += piece; });
    const QByteArray messages = printed.take().trimmed();
    if (!messages.isEmpty())
        throw Error(QStringLiteral("%1: the file is damaged: the Access reader reported \"%2\"")
                        .arg(fileName, QString::fromUtf8(messages.split('\n').first())));
    return mdb::decodeTables(encoded);
}

}  // namespace tallomar::fuzz
