// The demo package's editions, as its Version table offers them in the
// login window: each enabled one must lead somewhere, the single-company
// edition (code R1, companies from master..sub_list) among them.
#include "logic/login/server_connections.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

using tallomar::EditionCode;
using tallomar::EditionRulesFor;

TEST(DemoEditions, EveryEnabledEditionHasRulesAndTheSingleCompanyOneIsAmongThem) {
    QFile file(QStringLiteral(TALLOMAR_DEMO_SOURCE "/ZOL.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const QJsonArray tables =
        QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("tables")).toArray();
    QSet<QString> codes;
    for (const auto& table : tables) {
        if (table.toObject().value(QStringLiteral("name")).toString() != u"Version") continue;
        for (const auto& row : table.toObject().value(QStringLiteral("rows")).toArray()) {
            const QString name = row.toArray().at(0).toString();
            if (!row.toArray().at(2).toBool()) continue;
            const QString code = EditionCode(name);
            EXPECT_FALSE(code.isEmpty()) << name.toStdString();
            EXPECT_TRUE(EditionRulesFor(code).has_value()) << name.toStdString();
            codes.insert(code);
        }
    }
    EXPECT_EQ(codes, (QSet<QString>{QStringLiteral("R1"), QStringLiteral("R3"), QStringLiteral("R6")}));
    EXPECT_EQ(EditionRulesFor(QStringLiteral("R1"))->systemDatabase, QStringLiteral("master"));
}
