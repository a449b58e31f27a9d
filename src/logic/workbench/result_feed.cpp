#include "logic/workbench/result_feed.h"

#include "logic/workbench/result_arena.h"

#include <QCoreApplication>

namespace tallomar {

namespace {

// Often enough to watch the grid fill, rarely enough that laying it out and
// repainting it costs little.
constexpr int kArrivalsMilliseconds = 100;

}  // namespace

ResultFeed::ResultFeed(QObject* parent) : QObject(parent), arena_(std::make_shared<ResultArena>()) {
    connect(&arrivals_, &QTimer::timeout, this, &ResultFeed::takeArrivedRows);
    arrivals_.start(kArrivalsMilliseconds);
}

ResultFeed::~ResultFeed() = default;

ResultReceiver ResultFeed::receiver() {
    return {
        [this](const QStringList& columns) {
            // Queued: the model is made on the thread that owns the feed.
            QMetaObject::invokeMethod(
                this,
                [this, columns] {
                    model_ = std::make_unique<ResultModel>(columns);
                    emit modelStarted(model_.get());
                },
                Qt::QueuedConnection);
        },
        [this](const ResultBlock& rows) { inbox_.put(rows.copyInto(arena_)); },
    };
}

std::unique_ptr<ResultModel> ResultFeed::finish() {
    arrivals_.stop();
    // The column names may still be on their way.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    takeArrivedRows();
    return std::move(model_);
}

void ResultFeed::takeArrivedRows() {
    if (model_) model_->appendBlocks(inbox_.takeAll());
}

}  // namespace tallomar
