#include "platform/chinese_ui.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tallomar {

void InstallChineseTranslation(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

}  // namespace tallomar
