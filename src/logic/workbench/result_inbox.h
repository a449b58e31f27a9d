#pragma once

#include "logic/workbench/result_block.h"

#include <mutex>
#include <vector>

namespace tallomar {

// Blocks of result rows on their way from the thread reading them to the
// window: the reader puts each block as it is complete, the window takes
// what has arrived a few times a second, so that the grid grows in large
// steps and repaints a few times a second rather than once per block.
class ResultInbox {
public:
    void put(ResultBlock rows);
    std::vector<ResultBlock> takeAll();

private:
    std::mutex mutex_;
    std::vector<ResultBlock> blocks_;
};

}  // namespace tallomar
