// Files that are not whole Access databases give a clear Error naming the
// file, and never bring the process down.
#include "jet4writer/jet4_writer.h"
#include "mdb_fixture.h"
#include "platform/access/mdb_reader.h"
#include "platform/error.h"

#include <gtest/gtest.h>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace tallomar::test {
namespace {

class BadInput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("ZOL.mdb"));
    }

    // Reading `bytes` as ZOL.mdb fails with an Error naming the file and
    // containing `reason`.
    void expectError(const QByteArray& bytes, const char* reason) {
        writeBytes(path, bytes);
        try {
            mdb::readTables(path);
            ADD_FAILURE() << "read without error; expected: " << reason;
        } catch (const Error& error) {
            EXPECT_TRUE(error.message().startsWith(QStringLiteral("ZOL.mdb"))) << error.what();
            EXPECT_TRUE(error.message().contains(QLatin1String(reason))) << error.what();
        }
    }

    QTemporaryDir dir;
    QString path;
};

TEST_F(BadInput, MissingFile) {
    try {
        mdb::readTables(path);
        ADD_FAILURE() << "a missing file was read";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("ZOL.mdb: the file does not exist"))) << error.what();
    }
}

TEST_F(BadInput, EmptyFile) {
    expectError(QByteArray(), "empty");
}

TEST_F(BadInput, TextFileNamedLikeTheToolDatabase) {
    expectError(QByteArray("[ZOL]\r\nServerName=(local)\r\n").repeated(500), "not an Access database");
}

TEST_F(BadInput, RandomBytes) {
    QByteArray bytes(64 * 1024, '\0');
    QRandomGenerator generator(7);
    for (char& byte : bytes) byte = static_cast<char>(generator.bounded(256));
    expectError(bytes, "not an Access database");
}

TEST_F(BadInput, UnknownVersion) {
    QByteArray bytes = jet4::buildDatabase(toolDatabaseSpec());
    bytes[0x14] = 0x17;
    expectError(bytes, "unsupported Access file version");
}

TEST_F(BadInput, TruncatedInsideAPage) {
    const QByteArray whole = jet4::buildDatabase(toolDatabaseSpec());
    for (qsizetype size : {qsizetype(100), qsizetype(4095), qsizetype(4096 + 1), whole.size() - 1})
        expectError(whole.left(size), "truncated");
}

TEST_F(BadInput, TruncatedAtEveryPageBoundary) {
    const QByteArray whole = jet4::buildDatabase(toolDatabaseSpec());
    for (qsizetype size = 4096; size < whole.size(); size += 4096) expectError(whole.left(size), "ZOL.mdb");
}

TEST_F(BadInput, DamagedPagesNeverCrash) {
    const QByteArray whole = jet4::buildDatabase(toolDatabaseSpec());
    QRandomGenerator generator(11);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes = whole;
        const qsizetype page = 1 + generator.bounded(bytes.size() / 4096 - 1);
        for (int n = 0; n < 16; ++n)
            bytes[page * 4096 + generator.bounded(4096)] = static_cast<char>(generator.bounded(256));
        writeBytes(path, bytes);
        try {
            mdb::readTables(path);
        } catch (const Error& error) {
            EXPECT_TRUE(error.message().startsWith(QStringLiteral("ZOL.mdb"))) << error.what();
        }
    }
}

}  // namespace
}  // namespace tallomar::test
