#include "windows/viewer/bewrite_viewer.h"

#include "bewrite_package.h"
#include "windows/viewer/frm_bewrite.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QPainter>
#include <QPointer>
#include <QTest>

namespace tallomar {
namespace {

// A picture like the ones packages carry: a message box of the product.
QImage drawMessagePicture() {
    QImage picture(300, 120, QImage::Format_RGB32);
    picture.fill(QColor(236, 233, 216));
    QPainter painter(&picture);
    painter.fillRect(0, 0, 300, 22, QColor(0, 84, 227));
    painter.setPen(Qt::white);
    painter.drawText(QRect(6, 0, 290, 22), Qt::AlignVCenter, QStringLiteral("提示"));
    painter.setPen(Qt::black);
    painter.setBrush(QColor(255, 204, 0));
    painter.drawEllipse(16, 40, 32, 32);
    painter.drawText(QRect(60, 40, 230, 32), Qt::AlignVCenter, QStringLiteral("科目[1002]不存在，不能审核凭证！"));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(120, 86, 60, 24);
    painter.drawText(QRect(120, 86, 60, 24), Qt::AlignCenter, QStringLiteral("确定"));
    return picture;
}

// Under a real display (xvfb-run with QT_QPA_PLATFORM=xcb) and with
// TALLOMAR_SCREENSHOT_DIR set, saves the viewer as drawn there, to look at
// its fonts and layout.
TEST(ViewerScreenshot, SavesTheViewerWithDescriptionsAndAPicture) {
    const QString folder = qEnvironmentVariable("TALLOMAR_SCREENSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "TALLOMAR_SCREENSHOT_DIR not set";
    test::BewritePackage package;
    ASSERT_TRUE(drawMessagePicture().save(package.toolFolder() + QStringLiteral("/Fig1.png")));
    package.open({{1, QStringLiteral("凭证审核时选择全部凭证"), QStringLiteral("科目不存在，不能审核"),
                   QStringLiteral(" fig1.PNG ")},
                  {2, QStringLiteral("月末结账"), QStringLiteral("有未记账凭证"), QVariant()},
                  {3, QStringLiteral("打开明细账"), QStringLiteral("数据库连接失败"), QVariant()}});

    QPointer<FrmBewrite> slot;
    FrmBewrite* viewer = ShowBewriteViewer(slot, package.tool(), package.toolFolder());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    const QPixmap shot = viewer->grab();
    EXPECT_EQ(shot.size() / shot.devicePixelRatio(), viewer->size());
    EXPECT_TRUE(shot.save(QDir(folder).filePath(QStringLiteral("frmBewrite.png"))));
    viewer->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace tallomar
