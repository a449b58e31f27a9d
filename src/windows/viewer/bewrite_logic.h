#pragma once

#include "platform/ui/grid_format.h"
#include "tooldb/tool_database.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace tallomar {

// Everything the problem-description viewer shows, kept by the viewer logic
// and drawn by the window.
struct BewriteScreen {
    std::vector<GridColumnFormat> columns;  // grdBewrite's columns
    std::vector<int> columnWidthsTwips;
    std::vector<QStringList> rows;  // grdBewrite's description rows (cell texts)
    int currentRow = -1;            // index into rows; -1 when none is current
    QString caption;                // fraBewriteInfo's title
    QString operate;                // labOperate
    QString result;                 // labResult
    QImage picture;                 // PicError; null for no picture
};

// The id a grid cell names, as the detail query takes it: a whole number in
// the 16-bit signed range. Ids are held as read from the file, so a larger one
// (or a blank or non-numeric cell) gives no id instead of another
// description's number.
std::optional<qint16> symptomIdFromCell(const QString& cell);

// The problem-description viewer without its window: lists table Bewrite of
// the tool database and works out the details of the chosen description.
// Failures of the tool database reach the caller as Error.
class BewriteLogic {
public:
    using Query = std::function<tooldb::Recordset(const QString& sql)>;

    // `query` runs a SELECT on the tool database; pictures named without a
    // folder are looked up in `toolFolder`.
    BewriteLogic(Query query, QString toolFolder);

    const BewriteScreen& screen() const { return screen_; }

    // Fills the list and selects and shows the first description.
    void LoadSymptomList();
    // Shows the description with `ID` = `id`; "没有现象" as the caption when
    // there is none.
    void ShowSymptomDetails(qint16 id);
    // Empties both detail labels and removes the picture.
    void ClearSymptomDetails();
    // A click on description row `row` (0 is the first row under the header):
    // that row becomes current and its details are shown. A click outside the
    // rows does nothing.
    void grdBewriteClick(int row);

private:
    Query query_;
    QString toolFolder_;
    BewriteScreen screen_;
};

}  // namespace tallomar
