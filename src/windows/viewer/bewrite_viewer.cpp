#include "windows/viewer/bewrite_viewer.h"

#include "logic/failure_text.h"
#include "platform/error.h"
#include "tooldb/tool_access.h"
#include "windows/viewer/frm_bewrite.h"

namespace tallomar {

BewriteLogic::Query toolDatabaseQuery(std::shared_ptr<const tooldb::ToolDatabase> tool) {
    return [tool = std::move(tool)](const QString& sql) {
        if (!tool) throw Error(QStringLiteral("工具数据库没有打开"));
        return inOperatorWords(tool->path(), [&] { return OpenRecordset(sql, *tool); });
    };
}

FrmBewrite* ShowBewriteViewer(QPointer<FrmBewrite>& viewer, std::shared_ptr<const tooldb::ToolDatabase> tool,
                              const QString& toolFolder) {
    if (!viewer) {
        viewer = new FrmBewrite(toolDatabaseQuery(std::move(tool)), toolFolder);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (viewer->isMinimized())
        viewer->showNormal();
    else
        viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

}  // namespace tallomar
