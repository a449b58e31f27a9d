// The credential store the login keeps its password in, on the Secret
// Service the tests start for themselves: each entry found by server and
// user, as other clients of the Secret Service find it, and a store that
// cannot be reached failing each call at once with its reason.
#include "platform/credentials/credential_store.h"
#include "private_secret_service.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>

namespace tallomar::test {
namespace {

using credentials::CredentialKey;

class CredentialStore : public ::testing::Test {
protected:
    void SetUp() override { isolateSecretService(); }
};

TEST_F(CredentialStore, PasswordsAreKeptByServerAndUserReplacedAndRemoved) {
    const CredentialKey operatorOnA{QStringLiteral("127.0.0.1,40001"), QStringLiteral("operator")};
    const CredentialKey saOnA{operatorOnA.server, QStringLiteral("sa")};
    const CredentialKey saOnB{QStringLiteral("db-b\\ACCOUNTS"), QStringLiteral("sa")};
    const QString unusual = QStringLiteral("口令 it's;}{=\"%");

    EXPECT_EQ(credentials::readPassword(saOnA), std::nullopt);
    credentials::writePassword(saOnA, QStringLiteral("first"));
    credentials::writePassword(saOnB, unusual);
    credentials::writePassword(operatorOnA, QStringLiteral("other"));
    credentials::writePassword(saOnA, QStringLiteral("second"));

    EXPECT_EQ(credentials::readPassword(saOnA), QStringLiteral("second"));
    EXPECT_EQ(credentials::readPassword(saOnB), unusual);
    EXPECT_EQ(credentials::readPassword(operatorOnA), QStringLiteral("other"));
    // Where other clients of the Secret Service find them.
    EXPECT_EQ(secretServicePassword(saOnB.server, saOnB.user), unusual);
    storeInSecretService(QStringLiteral("elsewhere"), QStringLiteral("sa"), QStringLiteral("stored by another"));
    EXPECT_EQ(credentials::readPassword({QStringLiteral("elsewhere"), QStringLiteral("sa")}),
              QStringLiteral("stored by another"));

    credentials::removePassword(saOnA);
    credentials::removePassword(saOnA);
    EXPECT_EQ(credentials::readPassword(saOnA), std::nullopt);
    EXPECT_EQ(secretServicePassword(saOnA.server, saOnA.user), std::nullopt);
    EXPECT_EQ(credentials::readPassword(saOnB), unusual);
}

TEST_F(CredentialStore, WithoutASecretServiceEveryCallFailsAtOnceWithTheReason) {
    if (!inProcessWithoutSecretService()) return;
    const CredentialKey key{QStringLiteral("127.0.0.1,40001"), QStringLiteral("sa")};
    QElapsedTimer calls;
    calls.start();
    for (const auto& call : std::initializer_list<std::function<void()>>{
             [&] { credentials::readPassword(key); }, [&] { credentials::writePassword(key, QStringLiteral("pw")); },
             [&] { credentials::removePassword(key); }}) {
        try {
            call();
            ADD_FAILURE() << "a call succeeded without a Secret Service";
        } catch (const credentials::StoreError& error) {
            EXPECT_FALSE(error.message().isEmpty());
        }
    }
    EXPECT_LT(calls.elapsed(), 5000);
}

}  // namespace
}  // namespace tallomar::test
