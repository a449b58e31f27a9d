#include "windows/viewer/bewrite_viewer.h"

#include "session/globals.h"
#include "platform/error.h"
#include "tooldb/tool_access.h"
#include "windows/viewer/frm_bewrite.h"

#include <QPointer>

namespace tallomar {

BewriteLogic::Query toolDatabaseQuery() {
    return [](const QString& sql) {
        if (!cnTool) throw Error(QStringLiteral("工具数据库没有打开"));
        return OpenRecordset(sql, *cnTool);
    };
}

FrmBewrite* ShowBewriteViewer() {
    static QPointer<FrmBewrite> viewer;
    if (!viewer) {
        viewer = new FrmBewrite(toolDatabaseQuery(), gToolFolder);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (viewer->isMinimized()) viewer->showNormal();
    else viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

}  // namespace tallomar
