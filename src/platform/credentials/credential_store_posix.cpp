// The Secret Service of the desktop session (GNOME Keyring, KWallet and
// others), reached through QtKeychain.
#include "platform/credentials/credential_store.h"

#include <qt6keychain/keychain.h>
#include <QThread>
#include <chrono>
#include <functional>
#include <future>
#include <memory>

namespace tallomar::credentials {

namespace {

using namespace std::chrono_literals;

// Long enough for the user to unlock a locked keyring at its prompt.
constexpr auto kAnswerWait = 30s;
// The Secret Service's "server" attribute of every entry; the entry's "user"
// attribute is user@server.
const QString kService = QStringLiteral("Tallomar");

QString entryName(const CredentialKey& key) {
    return key.user + QLatin1Char('@') + key.server;
}

struct Answer {
    QKeychain::Error error = QKeychain::NoError;
    QString reason;
    QString password;  // of a read
};

// QtKeychain runs its jobs one after another from a queue that belongs to
// the thread of the first job, and answers through that thread's event loop.
// Every job therefore runs on this one thread, whose loop lasts as long as
// the program; callers on other threads wait for the answer.
class KeychainThread {
public:
    static KeychainThread& instance() {
        static KeychainThread thread;
        return thread;
    }

    // Starts the job `makeJob` makes on the keychain's thread and waits for
    // its answer. Throws StoreError when none comes in time.
    Answer run(std::function<QKeychain::Job*()> makeJob) {
        auto answer = std::make_shared<std::promise<Answer>>();
        std::future<Answer> answered = answer->get_future();
        QMetaObject::invokeMethod(
            &context_,
            [makeJob = std::move(makeJob), answer] {
                QKeychain::Job* job = makeJob();
                QObject::connect(job, &QKeychain::Job::finished, job, [answer](QKeychain::Job* done) {
                    Answer result{done->error(), done->errorString(), {}};
                    if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done))
                        result.password = read->textData();
                    answer->set_value(std::move(result));
                });
                job->start();
            },
            Qt::QueuedConnection);
        if (answered.wait_for(kAnswerWait) != std::future_status::ready)
            throw StoreError(QStringLiteral("the Secret Service did not answer within %1 seconds")
                                 .arg(std::chrono::seconds(kAnswerWait).count()));
        try {
            return answered.get();
        } catch (const std::future_error&) {
            // The program is ending and took the keychain's thread with it.
            throw StoreError(QStringLiteral("the Secret Service's connection was closed"));
        }
    }

private:
    KeychainThread() {
        thread_.setObjectName(QStringLiteral("credential store"));
        context_.moveToThread(&thread_);
        thread_.start();
    }
    ~KeychainThread() {
        thread_.quit();
        thread_.wait();
    }

    QThread thread_;
    // Lives on thread_: what the jobs are started from.
    QObject context_;
};

[[noreturn]] void fail(const Answer& answer) {
    throw StoreError(answer.reason.isEmpty() ? QStringLiteral("the Secret Service refused without a reason")
                                             : answer.reason);
}

}  // namespace

std::optional<QString> readPassword(const CredentialKey& key) {
    const Answer answer = KeychainThread::instance().run([name = entryName(key)] {
        auto* job = new QKeychain::ReadPasswordJob(kService);
        job->setKey(name);
        return job;
    });
    if (answer.error == QKeychain::EntryNotFound) return std::nullopt;
    if (answer.error != QKeychain::NoError) fail(answer);
    return answer.password;
}

void writePassword(const CredentialKey& key, const QString& password) {
    const Answer answer = KeychainThread::instance().run([name = entryName(key), password] {
        auto* job = new QKeychain::WritePasswordJob(kService);
        job->setKey(name);
        job->setTextData(password);
        return job;
    });
    if (answer.error != QKeychain::NoError) fail(answer);
}

void removePassword(const CredentialKey& key) {
    const Answer answer = KeychainThread::instance().run([name = entryName(key)] {
        auto* job = new QKeychain::DeletePasswordJob(kService);
        job->setKey(name);
        return job;
    });
    if (answer.error != QKeychain::NoError && answer.error != QKeychain::EntryNotFound) fail(answer);
}

}  // namespace tallomar::credentials
