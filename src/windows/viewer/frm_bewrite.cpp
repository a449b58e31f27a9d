#include "windows/viewer/frm_bewrite.h"

#include "platform/error.h"
#include "platform/ui/chinese_ui.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "ui_frm_bewrite.h"

#include <QHeaderView>
#include <QPixmap>
#include <algorithm>

namespace tallomar {

namespace {

// Room kept free between a detail label and the frame's right edge.
constexpr int kFrameMargin = 8;

// The design sizes of the detail labels fit their design texts only; like
// auto-sized labels they grow with the text shown, here up to the frame's
// edge. There is room for one line only (the next widget follows closely), so
// a longer text ends in "…" and the whole of it is the tool tip.
void showDetailText(QLabel* label, const QString& text) {
    const int width = label->parentWidget()->width() - label->x() - kFrameMargin;
    label->resize(width, std::max(label->height(), label->fontMetrics().height()));
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, width));
    label->setToolTip(text);
}

// A picture larger than the picture area is shrunk to fit it, so that none of
// it is cut off; a smaller one keeps its own size.
QPixmap fitPicture(const QImage& picture, const QSize& area) {
    if (picture.isNull()) return {};
    if (picture.width() <= area.width() && picture.height() <= area.height()) return QPixmap::fromImage(picture);
    return QPixmap::fromImage(picture.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace

FrmBewrite::FrmBewrite(BewriteLogic::Query query, QString toolFolder, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::frmBewrite>()), logic_(std::move(query), std::move(toolFolder)) {
    ui_->setupUi(this);
    setFixedSize(size());
    UseSongTypeface(this);
    // Rows are as high as the grid's 240-twip rows where the font allows.
    ui_->grdBewrite->verticalHeader()->setDefaultSectionSize(
        std::max(twipsToPixels(240), ui_->grdBewrite->fontMetrics().height() + 2));
    ui_->grdBewrite->horizontalHeader()->setSectionsClickable(false);
    ui_->grdBewrite->horizontalHeader()->setStretchLastSection(false);

    connect(ui_->cmdCancel, &QPushButton::clicked, this, &QWidget::close);
    // clicked() follows a mouse click only: keyboard moves of the current row
    // do not change the details.
    connect(ui_->grdBewrite, &QTableWidget::clicked, this, &FrmBewrite::grdBewrite_Click);

    Form_Load();
}

FrmBewrite::~FrmBewrite() = default;

void FrmBewrite::Form_Load() {
    LoadSymptomList();
}

void FrmBewrite::LoadSymptomList() {
    handle([this] { logic_.LoadSymptomList(); });
    renderList();
}

void FrmBewrite::ShowSymptomDetails(qint16 id) {
    handle([&] { logic_.ShowSymptomDetails(id); });
}

void FrmBewrite::ClearSymptomDetails() {
    handle([this] { logic_.ClearSymptomDetails(); });
}

void FrmBewrite::grdBewrite_Click(const QModelIndex& index) {
    handle([&] { logic_.grdBewriteClick(index.row()); });
}

template <typename Action>
void FrmBewrite::handle(Action&& action) {
    try {
        action();
    } catch (const Error& failure) {
        renderDetails();
        showMessage(this, MessageIcon::Exclamation, QStringLiteral("无法读取问题现象：") + failure.message());
        return;
    }
    renderDetails();
}

void FrmBewrite::renderList() {
    const BewriteScreen& screen = logic_.screen();
    QTableWidget* grid = ui_->grdBewrite;
    grid->clear();
    grid->setColumnCount(static_cast<int>(screen.columns.size()));
    for (int column = 0; column < grid->columnCount(); ++column) {
        const GridColumnFormat& format = screen.columns.at(column);
        auto* header = new QTableWidgetItem(format.header);
        header->setTextAlignment(format.alignment);
        grid->setHorizontalHeaderItem(column, header);
        const int widthTwips = screen.columnWidthsTwips.at(column);
        grid->setColumnHidden(column, widthTwips == 0);
        if (widthTwips > 0) grid->setColumnWidth(column, twipsToPixels(widthTwips));
    }
    grid->setRowCount(static_cast<int>(screen.rows.size()));
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QStringList& cells = screen.rows.at(row);
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells.at(column));
            item->setTextAlignment(screen.columns.at(column).alignment);
            grid->setItem(row, column, item);
        }
    }
    if (screen.currentRow >= 0) grid->setCurrentCell(screen.currentRow, 1);
}

void FrmBewrite::renderDetails() {
    const BewriteScreen& screen = logic_.screen();
    ui_->fraBewriteInfo->setTitle(screen.caption);
    showDetailText(ui_->labOperate, screen.operate);
    showDetailText(ui_->labResult, screen.result);
    ui_->PicError->setPixmap(fitPicture(screen.picture, ui_->PicError->size()));
}

}  // namespace tallomar
