#include "app/package_opening.h"

#include "app/package_choice.h"
#include "app/start_up.h"
#include "platform/text/windows_path.h"

#include <QFileInfo>

namespace tallomar {

namespace {

// Where the chooser opens after `folder` had no tool database: on that
// folder, or on the folder holding what was named when it is no folder.
QString chooserStartAfter(const QString& folder) {
    const QFileInfo named(folder);
    return named.isDir() ? named.absoluteFilePath() : named.absolutePath();
}

}  // namespace

std::unique_ptr<Session> OpenPackage(const StartRequest& request, const QString& applicationFolder) {
    QString folder = ChoosePackageFolder(request, applicationFolder);
    while (!folder.isEmpty()) {
        auto session = std::make_unique<Session>();
        InitPaths(*session, folder);
        if (OpenToolDatabase(*session, session->gToolDbPath)) return session;
        // OpenToolDatabase has told the operator why. Another folder may hold
        // the tool database that this one lacks; a tool database that is
        // there but cannot be read ends the start.
        if (FileExists(session->gToolDbPath)) return nullptr;
        folder = PickPackageFolder(chooserStartAfter(folder));
    }
    return nullptr;
}

}  // namespace tallomar
