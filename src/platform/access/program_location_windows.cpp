#include "platform/access/program_location.h"

#include "platform/error.h"

#include <windows.h>
#include <QDir>
#include <QFileInfo>
#include <vector>

namespace tallomar::mdb {

QString programBesideThisOne(const QString& name) {
    // Paths may be longer than MAX_PATH: grow until the name fits.
    std::vector<wchar_t> self(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, self.data(), DWORD(self.size()));
        if (length == 0)
            throw Error(QStringLiteral("cannot find the running program, nor %1 beside it: %2")
                            .arg(name, qt_error_string(int(GetLastError()))));
        if (length < self.size()) {
            const QString path = QDir::fromNativeSeparators(QString::fromWCharArray(self.data(), int(length)));
            return QFileInfo(path).dir().filePath(name + QStringLiteral(".exe"));
        }
        self.resize(self.size() * 2);
    }
}

}  // namespace tallomar::mdb
