#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sensor_interface/log/laser_queue.h"
#include "sensor_interface/log/log_record.h"

namespace {

std::vector<std::string> messages(const LaserQueue<LogRecord>& queue) {
    std::vector<std::string> out;
    queue.forEach([&](const LogRecord& r) { out.push_back(r.message); });
    return out;
}

TEST(LaserQueueRing, KeepsTheNewestOldestFirstAcrossManyWraps) {
    struct Case {
        size_t maximum;
        int pushed;
    };
    for (const Case& c : {Case{1, 1}, Case{1, 7}, Case{3, 2}, Case{3, 3}, Case{3, 10},
                          Case{100, 99}, Case{100, 350}}) {
        LaserQueue<LogRecord> queue(c.maximum);
        for (int i = 0; i < c.pushed; ++i) queue.push(LogRecord{i, "line " + std::to_string(i)});
        const int kept = std::min<int>(c.pushed, static_cast<int>(c.maximum));
        std::vector<std::string> expected;
        for (int i = c.pushed - kept; i < c.pushed; ++i) expected.push_back("line " + std::to_string(i));
        EXPECT_EQ(messages(queue), expected) << c.maximum << " " << c.pushed;
        EXPECT_EQ(queue.size(), static_cast<size_t>(kept));
    }
}

TEST(LaserQueueRing, AnOverwrittenSlotHoldsExactlyTheNewItem) {
    // A long message followed by a short one in the same slot: no tail of the
    // old text may survive the reuse of its storage.
    LaserQueue<LogRecord> queue(1);
    queue.push(LogRecord{1, std::string(200, 'a')});
    queue.push(LogRecord{2, "b"});
    std::vector<LogRecord> seen;
    queue.forEach([&](const LogRecord& r) { seen.push_back(r); });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].ticks, 2);
    EXPECT_EQ(seen[0].message, "b");
}

}  // namespace
