#include "import/OrderedPipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

// Pieces are taken in order, each after its produce returned, with never more
// than slots() handed out; a take that says stop, or an exception on either
// side, ends the run, and run returns or throws only once no worker runs.
TEST(OrderedPipeline, TakesInOrderWithinItsSlotsAndEndsOnRefusalOrException)
{
    constexpr size_t kCount = 40, kNone = SIZE_MAX;
    const struct {
        size_t produceThrows, takeThrows, takeRefuses, leastTakes, mostTakes;
        int ended;
    } cases[] = {{kNone, kNone, kNone, kCount, kCount, 1},
                 {kNone, kNone, 7, 8, 8, 0},
                 {9, kNone, kNone, 0, 9, -1},
                 {kNone, 5, kNone, 6, 6, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        COrderedPipeline pipeline(4);
        std::vector<std::atomic<int>> produced(kCount);
        std::atomic<size_t> takes{0}, overreach{0}, outOfOrder{0}, running{0};
        auto produce = [&](size_t piece) {
            ++running;
            overreach += piece >= takes + pipeline.slots();
            Sleep(piece % 3 == 0 ? 2 : 0); // finish out of order
            produced[piece] = 1;
            --running;
            if (piece == c.produceThrows)
                throw std::runtime_error("produce");
        };
        // A slow taker, so that the workers run up against the slots.
        auto take = [&](size_t piece) {
            Sleep(1);
            outOfOrder += piece != takes++ || produced[piece] != 1;
            if (piece == c.takeThrows)
                throw std::runtime_error("take");
            return piece != c.takeRefuses;
        };
        int ended = -1; // 1 completed, 0 stopped, -1 threw
        try {
            ended = pipeline.run(kCount, produce, take, [] { return true; });
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(ended, c.ended);
        EXPECT_TRUE(running == 0 && outOfOrder == 0 && overreach == 0)
            << running << " running, " << outOfOrder << " out of order, " << overreach << " early";
        EXPECT_TRUE(takes >= c.leastTakes && takes <= c.mostTakes) << takes;
    }
}
