#include "batch_fixture.h"

namespace tallomar::test {

void BatchTest::SetUp() {
    client = connect();
    ASSERT_TRUE(client->connected()) << client->error();
}

std::unique_ptr<OdbcClient> BatchTest::connect(const std::string& database) {
    return std::make_unique<OdbcClient>(sandbox.odbcConnectionString(QString::fromStdString(database)).toStdString());
}

OdbcBatch BatchTest::ok(const std::string& sql, OdbcClient* on) {
    OdbcBatch batch = (on ? on : client.get())->run(sql);
    EXPECT_FALSE(batch.failed()) << sql << "\n" << batch.firstError();
    return batch;
}

Rows BatchTest::rows(const std::string& sql, OdbcClient* on) {
    const OdbcBatch batch = ok(sql, on);
    std::vector<const OdbcResult*> sets;
    for (const auto& result : batch.results)
        if (!result.columns.empty()) sets.push_back(&result);
    EXPECT_EQ(sets.size(), 1u) << sql;
    return sets.empty() ? Rows{} : sets[0]->rows;
}

std::optional<std::string> BatchTest::value(const std::string& sql, OdbcClient* on) {
    const Rows found = rows(sql, on);
    if (found.empty() || found[0].empty()) {
        ADD_FAILURE() << "no value from " << sql;
        return std::nullopt;
    }
    return found[0][0];
}

OdbcDiagnostic BatchTest::error(const std::string& sql, OdbcClient* on) {
    const OdbcBatch batch = (on ? on : client.get())->run(sql);
    EXPECT_TRUE(batch.failed()) << sql;
    for (const auto& diagnostic : batch.diagnostics)
        if (!diagnostic.warning()) return diagnostic;
    ADD_FAILURE() << "no error record for " << sql;
    return {};
}

std::vector<std::string> warningsOf(const OdbcBatch& batch) {
    std::vector<std::string> texts;
    for (const auto& diagnostic : batch.diagnostics)
        if (diagnostic.warning()) texts.push_back(diagnostic.text);
    return texts;
}

std::vector<std::string> errorsOf(const OdbcBatch& batch) {
    std::vector<std::string> texts;
    for (const auto& diagnostic : batch.diagnostics)
        if (!diagnostic.warning()) texts.push_back(diagnostic.text);
    return texts;
}

}  // namespace tallomar::test
