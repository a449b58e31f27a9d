// The Credential Manager of the Windows user: one generic credential per
// server and user, kept on this machine only.
#include "platform/credentials/credential_store.h"

#include <windows.h>
// wincred.h needs the types windows.h declares.
#include <wincred.h>

namespace tallomar::credentials {

namespace {

// "Tallomar/user@server": the credential's target name, as Credential
// Manager lists it.
std::wstring targetName(const CredentialKey& key) {
    return (QStringLiteral("Tallomar/") + key.user + QLatin1Char('@') + key.server).toStdWString();
}

[[noreturn]] void fail(const char* doing, DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const QString reason = text ? QString::fromWCharArray(text).trimmed() : QString();
    LocalFree(text);
    throw StoreError(QStringLiteral("Credential Manager: %1 failed with error %2%3")
                         .arg(QLatin1String(doing))
                         .arg(code)
                         .arg(reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason)));
}

}  // namespace

std::optional<QString> readPassword(const CredentialKey& key) {
    PCREDENTIALW credential = nullptr;
    if (!CredReadW(targetName(key).c_str(), CRED_TYPE_GENERIC, 0, &credential)) {
        const DWORD code = GetLastError();
        if (code == ERROR_NOT_FOUND) return std::nullopt;
        fail("CredReadW", code);
    }
    const QString password = QString::fromWCharArray(reinterpret_cast<const wchar_t*>(credential->CredentialBlob),
                                                     qsizetype(credential->CredentialBlobSize / sizeof(wchar_t)));
    CredFree(credential);
    return password;
}

void writePassword(const CredentialKey& key, const QString& password) {
    std::wstring target = targetName(key);
    std::wstring user = key.user.toStdWString();
    std::wstring secret = password.toStdWString();
    CREDENTIALW credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = target.data();
    credential.UserName = user.data();
    credential.CredentialBlobSize = DWORD(secret.size() * sizeof(wchar_t));
    credential.CredentialBlob = reinterpret_cast<LPBYTE>(secret.data());
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    const bool written = CredWriteW(&credential, 0);
    const DWORD code = GetLastError();
    SecureZeroMemory(secret.data(), secret.size() * sizeof(wchar_t));
    if (!written) fail("CredWriteW", code);
}

void removePassword(const CredentialKey& key) {
    if (CredDeleteW(targetName(key).c_str(), CRED_TYPE_GENERIC, 0)) return;
    const DWORD code = GetLastError();
    if (code != ERROR_NOT_FOUND) fail("CredDeleteW", code);
}

}  // namespace tallomar::credentials
