#pragma once

#include "jet4writer/jet4_writer.h"
#include "mdb_fixture.h"
#include "platform/access/mdb_cell_updater.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

namespace tallomar::test {

// A tool database in a folder of its own, to save into.
class SaveFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("ZOL.mdb"));
        jet4::writeDatabase(toolDatabaseSpec(), path);
        original = fileBytes(path);
    }

    mdb::CellChange firstSetting(const QString& file, const QString& value) const {
        return {QStringLiteral("ZOL"), tableNamed(mdb::readTables(file), "ZOL").locations.front(),
                QStringLiteral("cValue"), value};
    }

    QTemporaryDir dir;
    QString path;
    QByteArray original;
};

}  // namespace tallomar::test
