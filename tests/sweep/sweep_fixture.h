#pragma once

#include "session/session.h"
#include "support/sandbox_server.h"

#include <gtest/gtest.h>
#include <QString>
#include <QTemporaryDir>

namespace tallomar::test {

// The demo package in a temporary folder and the sandbox server with the
// demo ledgers: six account-set databases of edition R6, four with findings,
// one clean and one (qvdata_006_2008) whose check fails.
class SweepFixture : public ::testing::Test {
protected:
    // The run history goes to a folder of the test's own.
    void SetUp() override;
    void TearDown() override;

    // Puts `WAITFOR DELAY 'delay'` before the package's first check batch,
    // so that every check takes at least that long on the server.
    void slowChecksDown(const QString& delay);

    // The login a sweep starts from: package, server, test login, edition.
    Session login() const;

    static inline const QString kEdition = QStringLiteral("R6 财务标准版");
    QTemporaryDir package;
    QTemporaryDir dataHome;
    SandboxServer sandbox;
};

}  // namespace tallomar::test
