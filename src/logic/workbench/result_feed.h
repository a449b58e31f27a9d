#pragma once

#include "logic/workbench/result_inbox.h"
#include "logic/workbench/result_model.h"
#include "logic/workbench/workbench.h"

#include <QObject>
#include <QTimer>
#include <memory>

namespace tallomar {

class ResultArena;

// Carries a check's result from the thread reading it to a new result
// model: the column names make the model on the user-interface thread as
// soon as they arrive, the row blocks are copied into the feed's arena on
// the reading thread and moved into the model a few times a second, so that
// the grid grows in large steps and repaints rarely. The feed owns the model
// until finish() hands it over.
class ResultFeed : public QObject {
    Q_OBJECT
public:
    explicit ResultFeed(QObject* parent = nullptr);
    ~ResultFeed() override;

    // What the reading thread delivers to; valid while the feed lives.
    ResultReceiver receiver();

    // On the user-interface thread once the reading has ended: moves the
    // last rows in and hands the model over (null when no columns came).
    std::unique_ptr<ResultModel> finish();

signals:
    // The model exists; the window may show it while it fills.
    void modelStarted(ResultModel* model);

private:
    void takeArrivedRows();

    std::shared_ptr<ResultArena> arena_;
    ResultInbox inbox_;
    QTimer arrivals_;
    std::unique_ptr<ResultModel> model_;
};

}  // namespace tallomar
