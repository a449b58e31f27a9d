#include "windows/viewer/bewrite_logic.h"

#include "windows/viewer/symptom_picture.h"

#include <algorithm>
#include <limits>

namespace tallomar {

namespace {

const QString kListStatement = QStringLiteral("select ID,cOperate as 操作步骤,cResult as 提示信息 from Bewrite");
const QString kDetailStatement = QStringLiteral("select ID,cOperate,cResult,cPath,Picture from Bewrite where ID=");
const QString kListFormat = QStringLiteral("ID|<操作步骤|^提示信息");
// The ID column is present but invisible.
const std::vector<int> kListWidthsTwips = {0, 2000, 3000};

// Columns of the detail statement, in the order it names them.
enum DetailColumn { kDetailOperate = 1, kDetailResult = 2, kDetailPath = 3 };

QString cellText(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

QString detailText(const tooldb::Recordset& details, DetailColumn column) {
    const std::vector<QVariant>& row = details.rows.front();
    return column < static_cast<int>(row.size()) ? cellText(row.at(column)) : QString();
}

}  // namespace

std::optional<qint16> symptomIdFromCell(const QString& cell) {
    bool isNumber = false;
    const qint64 id = cell.trimmed().toLongLong(&isNumber);
    if (!isNumber || id < std::numeric_limits<qint16>::min() || id > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(id);
}

BewriteLogic::BewriteLogic(Query query, QString toolFolder)
    : query_(std::move(query)), toolFolder_(std::move(toolFolder)) {}

void BewriteLogic::LoadSymptomList() {
    screen_.columns = parseGridFormat(kListFormat);
    screen_.columnWidthsTwips = kListWidthsTwips;
    screen_.rows.clear();
    screen_.currentRow = -1;

    const tooldb::Recordset list = query_(kListStatement);
    for (const std::vector<QVariant>& values : list.rows) {
        QStringList cells;
        const std::size_t columns = std::min(values.size(), screen_.columns.size());
        for (std::size_t column = 0; column < columns; ++column) cells << cellText(values.at(column));
        screen_.rows.push_back(cells);
    }

    ClearSymptomDetails();
    if (!screen_.rows.empty()) grdBewriteClick(0);
}

void BewriteLogic::ShowSymptomDetails(qint16 id) {
    tooldb::Recordset details;
    try {
        details = query_(kDetailStatement + QString::number(id));
    } catch (...) {
        // What stays on screen must never be taken for this description.
        ClearSymptomDetails();
        throw;
    }
    if (details.rows.empty()) {
        screen_.caption = QStringLiteral("没有现象");
        ClearSymptomDetails();
        return;
    }
    screen_.caption.clear();
    ClearSymptomDetails();
    screen_.operate = QStringLiteral("操作步骤：") + detailText(details, kDetailOperate);
    screen_.result = QStringLiteral("提示信息：") + detailText(details, kDetailResult);
    const QString picturePath = symptomPicturePath(detailText(details, kDetailPath), toolFolder_);
    screen_.picture = loadSymptomPicture(picturePath);
}

void BewriteLogic::ClearSymptomDetails() {
    screen_.operate.clear();
    screen_.result.clear();
    screen_.picture = QImage();
}

void BewriteLogic::grdBewriteClick(int row) {
    if (row < 0 || row >= static_cast<int>(screen_.rows.size())) return;
    screen_.currentRow = row;
    const std::optional<qint16> id = symptomIdFromCell(screen_.rows.at(row).value(0));
    if (!id) {
        // An id the detail query cannot take: nothing of another row stays shown.
        screen_.caption.clear();
        ClearSymptomDetails();
        return;
    }
    ShowSymptomDetails(*id);
}

}  // namespace tallomar
