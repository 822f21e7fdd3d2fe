// The search against simulated sensors behind a veth pair, in namespaces the
// test makes itself (see tests/support/test_network.h).
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/adapters.h"
#include "platform/udp_socket.h"
#include "sensor_interface/command/search.h"
#include "sensor_interface/command/search_exports.h"
#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "tests/support/test_network.h"
#include "tests/support/temp_dir.h"
#include "tools/sensor_sim/search_responder.h"

using search_test::TestNetwork;
using sensor_sim::SearchHead;
using sensor_sim::SearchResponder;
using sensor_sim::SearchResponderOptions;

namespace {

constexpr int kWaitMs = 300;

TestNetwork* g_network = nullptr;

class NetworkEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        network_ = TestNetwork::create(&error_);
        g_network = network_.get();
    }
    void TearDown() override {
        g_network = nullptr;
        network_.reset();
    }
    const std::string& error() const { return error_; }

private:
    std::unique_ptr<TestNetwork> network_;
    std::string error_;
};

NetworkEnvironment* g_environment =
    static_cast<NetworkEnvironment*>(::testing::AddGlobalTestEnvironment(new NetworkEnvironment));

uint32_t ip(const char* text) {
    in_addr address{};
    inet_pton(AF_INET, text, &address);
    return address.s_addr;
}

std::vector<SearchHead> heads(const std::string& prefix, int first, int count,
                              const std::string& model) {
    std::vector<SearchHead> list;
    for (int i = 0; i < count; ++i) list.push_back({prefix + std::to_string(first + i), model});
    return list;
}

class SearchE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(g_network, nullptr) << g_environment->error();
    }

    // A simulated sensor (or several heads) answering in the sensor namespace.
    void addSensor(std::vector<SearchHead> heads, size_t replyLength = 27) {
        SearchResponderOptions options;
        options.heads = std::move(heads);
        options.replyLength = replyLength;
        options.networkNamespace = g_network->sensorNamespace();
        auto responder = std::make_unique<SearchResponder>(options);
        ASSERT_TRUE(responder->start()) << "simulated sensor could not bind port 20010";
        sensors_.push_back(std::move(responder));
    }

    std::vector<uint32_t> search(const uint32_t** table = nullptr) {
        int count = -1;
        const uint32_t* result = search_online(&count, kWaitMs);
        if (table) *table = result;
        if (!result) return {};
        EXPECT_GE(count, 0);
        EXPECT_LE(count, 20);
        return std::vector<uint32_t>(result, result + count);
    }

    mirevo::test::ScopedEnv quietLog_{"ZP_RUNLOG_EN", "0"};
    std::vector<std::unique_ptr<SearchResponder>> sensors_;
};

}  // namespace

TEST_F(SearchE2eTest, SearchesFromTheBroadcastCapableAdapterOnly) {
    // Loopback is down here and would be skipped anyway; the veth end is ours.
    ASSERT_EQ(system("ip link set lo up"), 0);
    EXPECT_EQ(searchLocalAddresses(), std::vector<uint32_t>{g_network->hostAddress()});
    const auto adapters = mirevo::platform::upIpv4Adapters();
    const auto host = std::find_if(adapters.begin(), adapters.end(),
                                   [](const auto& adapter) { return adapter.name == "mvs-host"; });
    ASSERT_NE(host, adapters.end());
    EXPECT_TRUE(host->canBroadcast);
    EXPECT_EQ(host->broadcast, ip("10.231.0.255"));
}

TEST_F(SearchE2eTest, FindsOneSensor) {
    addSensor({{"192.168.1.10", "ZP5160"}});
    const uint32_t* table = nullptr;
    EXPECT_EQ(search(&table), std::vector<uint32_t>{ip("192.168.1.10")});
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(std::all_of(table + 1, table + 20, [](uint32_t entry) { return entry == 0; }));
    EXPECT_EQ(sensors_[0]->requestsAnswered(), 1u);
}

TEST_F(SearchE2eTest, ListsAFourHeadSensorOnceByItsLowestAddress) {
    addSensor({{"192.168.1.12", "ZP7160F"},
               {"192.168.1.10", "ZP7160F"},
               {"192.168.1.13", "ZP7160F"},
               {"192.168.1.11", "ZP7160F"}});
    EXPECT_EQ(search(), std::vector<uint32_t>{ip("192.168.1.10")});
}

TEST_F(SearchE2eTest, FindsTwoSensors) {
    addSensor({{"192.168.1.10", "ZP5160"}});
    addSensor({{"192.168.1.20", "ZP5160D"}});
    std::vector<uint32_t> found = search();
    std::sort(found.begin(), found.end());
    std::vector<uint32_t> expected{ip("192.168.1.10"), ip("192.168.1.20")};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
}

TEST_F(SearchE2eTest, KeepsTwentyOfTwentyOneReplies) {
    addSensor(heads("10.0.0.", 1, 21, "ZP5160"));
    const std::vector<uint32_t> found = search();
    ASSERT_EQ(found.size(), 20u);
    EXPECT_EQ(found.front(), ip("10.0.0.1"));
    EXPECT_EQ(found.back(), ip("10.0.0.20"));
}

TEST_F(SearchE2eTest, KeepsDuplicateReplies) {
    addSensor({{"192.168.1.10", "ZP5160"}, {"192.168.1.10", "ZP5160"}});
    EXPECT_EQ(search(), (std::vector<uint32_t>{ip("192.168.1.10"), ip("192.168.1.10")}));
}

struct ReplyFormCase {
    size_t replyLength;
    size_t expectedEntries;  // of four heads of a four-head model
};

class SearchReplyFormTest : public SearchE2eTest,
                            public ::testing::WithParamInterface<ReplyFormCase> {};

TEST_P(SearchReplyFormTest, OnlyTheFullReplyCarriesTheModel) {
    addSensor(heads("192.168.1.", 10, 4, "ZP7160F"), GetParam().replyLength);
    const std::vector<uint32_t> found = search();
    ASSERT_EQ(found.size(), GetParam().expectedEntries);
    EXPECT_EQ(found.front(), ip("192.168.1.10"));
}

INSTANTIATE_TEST_SUITE_P(Lengths, SearchReplyFormTest,
                         ::testing::Values(ReplyFormCase{27, 1}, ReplyFormCase{26, 4},
                                           ReplyFormCase{11, 4}),
                         [](const ::testing::TestParamInfo<ReplyFormCase>& info) {
                             return "bytes" + std::to_string(info.param.replyLength);
                         });

TEST_F(SearchE2eTest, NoReplyGivesAnEmptyTable) {
    const uint32_t* table = nullptr;
    EXPECT_TRUE(search(&table).empty());
    EXPECT_NE(table, nullptr);
}

TEST_F(SearchE2eTest, PortInUseFailsTheSearch) {
    addSensor({{"192.168.1.10", "ZP5160"}});
    namespace plat = mirevo::platform;
    plat::SocketHandle blocker = plat::openUdpSocket();
    ASSERT_EQ(plat::bindUdp(blocker, g_network->hostAddress(), 20010), 0);

    int count = -1;
    EXPECT_EQ(search_online(&count, kWaitMs), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(sensors_[0]->requestsAnswered(), 0u);
    bool logged = false;
    LogManager::instance().recentRecords().forEach([&](const LogRecord& record) {
        logged = logged || record.message == "bind failed with error:-1";
    });
    EXPECT_TRUE(logged);
    plat::closeSocket(blocker);
}

TEST_F(SearchE2eTest, ExportsReturnTheTable) {
    addSensor({{"192.168.1.10", "ZP5160"}});
    registry_testing::resetFirstCall();
    int count = 0;
    const uint32_t* table = HVQ5_SearchOnline(&count, kWaitMs);
    EXPECT_TRUE(sdkManager().socket_started());  // the search ran the first-call step
    EXPECT_FALSE(takeFirstCall());
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(table[0], ip("192.168.1.10"));
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(table);
    EXPECT_EQ(bytes[0], 192);  // network byte order: a.b.c.d in memory order
    EXPECT_EQ(bytes[3], 10);

    count = 0;
    EXPECT_EQ(HVQ5_2_SearchOnline(&count, kWaitMs), table);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(HVQ5_2_SearchOnline(nullptr, kWaitMs), nullptr);
}
