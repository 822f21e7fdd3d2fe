// One command channel, several threads: the live profile (a DEBUG stream read
// after its request) while another thread reads blocks, the status word, the
// settings block or selects a program, as the settings pages do next to the
// client's profile thread. No exchange may land inside the stream.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "sensor_interface/registry/device_functions.h"
#include "tests/devicefns/device_under_test.h"

namespace {

using namespace devicefns_test;

class DevicefnsSharedChannel : public DeviceUnderTest {
protected:
    // Runs `exchange` every few milliseconds on a second thread while this
    // thread reads the live profile `reads` times; stops at the first failure
    // on either side (a stolen stream costs a 2 s time-out per read).
    void liveProfileBeside(const std::function<std::string()>& exchange, int reads = 25) {
        openSceneHead();
        controller().settings().set_regvals(359, 0);
        controller().settings().set_regvals(358, 2048);
        std::vector<int32_t> first(kScenePoints, 7);
        // This read has the channel to itself: it only shows that the head
        // streams, so a machine too busy to answer within the read's time-out
        // gets a few more tries. The reads beside the exchanges get none.
        int status = HVQ5_RC_TIMEOUT;
        for (int attempt = 0; attempt < 5 && status == HVQ5_RC_TIMEOUT; ++attempt)
            status = hvq5_get_outline(kId, first.data(), kScenePoints);
        ASSERT_EQ(status, HVQ5_RC_OK);

        std::atomic<bool> running{true};
        std::atomic<int> exchanges{0};
        std::string sideFailure;
        std::thread side([&] {
            while (running) {
                const std::string failure = exchange();
                if (!failure.empty()) {
                    sideFailure = failure;
                    running = false;
                    break;
                }
                ++exchanges;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        int done = 0;
        std::vector<int32_t> profile(kScenePoints);
        for (; done < reads && running; ++done) {
            const int status = hvq5_get_outline(kId, profile.data(), kScenePoints);
            if (status != HVQ5_RC_OK) {
                ADD_FAILURE() << "live profile " << done << ": " << status;
                break;
            }
            if (profile != first) {
                ADD_FAILURE() << "live profile " << done << " differs from the scene";
                break;
            }
        }
        running = false;
        side.join();
        EXPECT_EQ(sideFailure, "");
        EXPECT_EQ(done, reads);
        EXPECT_GT(exchanges.load(), 0);
    }
};

TEST_F(DevicefnsSharedChannel, MeasuredValuesBesideTheLiveProfile) {
    sim->model().setMeasuredValues({11, -22, 33, 44});
    liveProfileBeside([] {
        std::vector<int32_t> values(8, 0);
        const int status = hvq5_read_block_190(kId, &values);
        if (status != HVQ5_RC_OK) return "measured values: " + std::to_string(status);
        if (values != std::vector<int32_t>{11, -22, 33, 44}) return std::string("measured values garbled");
        return std::string();
    });
}

TEST_F(DevicefnsSharedChannel, MemoryBlocksBesideTheLiveProfile) {
    liveProfileBeside([] {
        std::vector<uint8_t> out;
        const int status = hvq5_read_block_165(kId, 0x2000, 2, &out, [](int) { return true; });
        if (status != HVQ5_RC_OK) return "memory blocks: " + std::to_string(status);
        if (out.size() != 512) return "memory blocks of " + std::to_string(out.size()) + " bytes";
        for (uint32_t i = 0; i < out.size(); ++i)
            if (out[i] != sensor_sim::SensorModel::memoryByte(0x2000 + i)) return std::string("memory block garbled");
        return std::string();
    });
}

TEST_F(DevicefnsSharedChannel, SettingsBlockBesideTheLiveProfile) {
    sim->model().setSettingsWords({1, 2, 3, 0xA5A5A5A5u});
    liveProfileBeside([] {
        SettingsBlockMap blocks;
        const int status = hvq5_read_settings_block(kId, &blocks, [](int) { return true; });
        if (status != HVQ5_RC_OK) return "settings block: " + std::to_string(status);
        return std::string();
    }, 6);  // each read waits 500 ms for the sensor
}

TEST_F(DevicefnsSharedChannel, StatusWordBesideTheLiveProfile) {
    liveProfileBeside([] {
        uint16_t word = 0;
        uint32_t value = 0;
        const int status = hvq5_get_status_word(kId, &word, &value);
        if (status != HVQ5_RC_OK) return "status word: " + std::to_string(status);
        return std::string();
    });
}

TEST_F(DevicefnsSharedChannel, ProgramSelectionBesideTheLiveProfile) {
    liveProfileBeside([] {
        const uint8_t program = 2;
        const int status = hvq5_select_program(kId, &program);
        if (status != HVQ5_RC_OK) return "program selection: " + std::to_string(status);
        return std::string();
    });
}

}  // namespace
