#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sensor_interface/command/search.h"
#include "sensor_interface/command/search_reply.h"
#include "sensor_interface/log/log_manager.h"
#include "tests/support/temp_dir.h"
#include "tools/sensor_sim/search_responder.h"

namespace {

uint32_t ip(const char* text) {
    in_addr address{};
    inet_pton(AF_INET, text, &address);
    return address.s_addr;
}

// Built by hand from the wire layout, independently of the simulator.
std::vector<uint8_t> reply(uint32_t registerAddress, const char* sensor, const std::string& model,
                           size_t length) {
    std::vector<uint8_t> bytes{161, uint8_t(registerAddress >> 24), uint8_t(registerAddress >> 16),
                               uint8_t(registerAddress >> 8), uint8_t(registerAddress)};
    const uint32_t address = ip(sensor);
    const auto* raw = reinterpret_cast<const uint8_t*>(&address);
    bytes.insert(bytes.end(), raw, raw + 4);
    bytes.push_back('\r');
    bytes.push_back('\n');
    std::string text = model;
    text.resize(16, '\0');
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.resize(length, 0);
    return bytes;
}

SearchReply head(const char* address, bool fourHead = false) { return {ip(address), fourHead}; }

}  // namespace

struct ParseCase {
    const char* name;
    std::vector<uint8_t> bytes;
    bool listed;
    bool fourHead;
};

class ParseSearchReplyTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseSearchReplyTest, ReadsTheReply) {
    const auto parsed = parseSearchReply(GetParam().bytes.data(), GetParam().bytes.size());
    ASSERT_EQ(parsed.has_value(), GetParam().listed);
    if (!parsed) return;
    EXPECT_EQ(parsed->addressNet, ip("192.168.1.10"));
    EXPECT_EQ(parsed->fourHeadSensor, GetParam().fourHead);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ParseSearchReplyTest,
    ::testing::Values(ParseCase{"packet_only", reply(167, "192.168.1.10", "", 11), true, false},
                      ParseCase{"address_without_line_end", reply(167, "192.168.1.10", "", 9), true, false},
                      ParseCase{"too_short", reply(167, "192.168.1.10", "", 8), false, false},
                      ParseCase{"other_register", reply(166, "192.168.1.10", "", 11), false, false},
                      ParseCase{"no_address", reply(167, "0.0.0.0", "ZP5160", 27), false, false},
                      ParseCase{"model", reply(167, "192.168.1.10", "ZP5160", 27), true, false},
                      ParseCase{"four_heads", reply(167, "192.168.1.10", "ZP7160F", 27), true, true},
                      ParseCase{"f_after_text_end", reply(167, "192.168.1.10", std::string("ZP\0F", 4), 27), true, false},
                      ParseCase{"cut_model_26", reply(167, "192.168.1.10", "ZP7160F", 26), true, false},
                      ParseCase{"long_28", reply(167, "192.168.1.10", "ZP7160F", 28), true, false}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(ParseSearchReplyTest, NullDataIsNoReply) { EXPECT_FALSE(parseSearchReply(nullptr, 27)); }

TEST(SimulatorSearchReplyTest, MatchesTheInterfacesReading) {
    for (size_t length : {11u, 26u, 27u}) {
        const auto bytes = sensor_sim::encodeSearchReply("192.168.1.10", "ZP7160F", length);
        EXPECT_EQ(bytes, reply(167, "192.168.1.10", "ZP7160F", length)) << length;
    }
}

TEST(SearchCollectorTest, FoldsFourHeadSensorsIntoTheLowestAddressListedLast) {
    SearchCollector collector;
    collector.add(head("192.168.1.12", true));
    collector.add(head("192.168.1.30"));
    collector.add(head("192.168.1.10", true));
    collector.add(head("192.168.2.11", true));  // a second four-head sensor folds in too
    collector.add(head("192.168.1.13", true));
    EXPECT_EQ(collector.finish(), (std::vector<uint32_t>{ip("192.168.1.30"), ip("192.168.1.10")}));
}

TEST(SearchCollectorTest, LowestComparesTheLastOctetFirst) {
    SearchCollector collector;
    collector.add(head("10.0.1.5", true));
    collector.add(head("10.0.2.4", true));
    EXPECT_EQ(collector.finish(), std::vector<uint32_t>{ip("10.0.2.4")});
}

TEST(SearchCollectorTest, StopsAtTwentyAndDropsTheFourHeadSensorWhenFull) {
    SearchCollector collector;
    collector.add(head("192.168.1.200", true));
    for (int i = 1; i <= 19; ++i) {
        EXPECT_TRUE(collector.add(head(("10.0.0." + std::to_string(i)).c_str())));
    }
    EXPECT_FALSE(collector.add(head("10.0.0.20")));
    EXPECT_TRUE(collector.full());
    EXPECT_FALSE(collector.add(head("10.0.0.21")));
    const auto list = collector.finish();
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(list.back(), ip("10.0.0.20"));
}

TEST(SearchCollectorTest, KeepsDuplicates) {
    SearchCollector collector;
    collector.add(head("10.0.0.1"));
    collector.add(head("10.0.0.1"));
    EXPECT_EQ(collector.finish().size(), 2u);
}

TEST(SearchResultTableTest, PublishReplacesEntriesAndZeroesTheRest) {
    auto& table = SearchResultTable::instance();
    const uint32_t* first = table.publish(std::vector<uint32_t>(25, 7));
    EXPECT_EQ(table.entries().size(), 20u);
    const uint32_t* second = table.publish({1, 2});
    EXPECT_EQ(first, second);
    EXPECT_EQ(table.entries(), (std::vector<uint32_t>{1, 2}));
    EXPECT_TRUE(std::all_of(second + 2, second + 20, [](uint32_t entry) { return entry == 0; }));
}

TEST(SearchOnlineTest, WithoutCountPointerNothingIsSearched) {
    EXPECT_EQ(search_online(nullptr, 0), nullptr);
}

TEST(SearchSendTest, NoLocalAddressMeansAnEmptyResultAfterTheWait) {
    SearchCollector collector;
    EXPECT_TRUE(search_send(collector, 0, {}));
    EXPECT_TRUE(collector.finish().empty());
}

TEST(SearchSendTest, AnAddressThatCannotBeBoundFailsTheSearchBeforeSending) {
    mirevo::test::ScopedEnv quiet("ZP_RUNLOG_EN", "0");
    SearchCollector collector;
    // A documentation address is never one of this computer's.
    EXPECT_FALSE(search_send(collector, 0, {ip("192.0.2.77")}));
    std::string last;
    LogManager::instance().recentRecords().forEach([&](const LogRecord& r) { last = r.message; });
    EXPECT_EQ(last, "bind failed with error:-1");
}
