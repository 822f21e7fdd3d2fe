// Flash programming against the simulated sensor: the request sequences as
// the sensor received them, and what ended up in its flash.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "sensor_interface/registry/hvq5_rc.h"
#include "tests/programs/simulated_sensor.h"

namespace {

using namespace programs_test;
using sensor_sim::FlashTarget;

std::vector<uint8_t> testImage(std::size_t size) {
    std::vector<uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>((i * 31 + 7) % 251);
    return image;
}

// The head's sub-header as the sensor reads it.
struct SubHeader {
    uint8_t command;
    uint16_t sequence;
    uint32_t address;
    uint16_t length;
};

SubHeader subHeader(const sensor_sim::LoggedPacket& packet) {
    const auto& p = packet.payload;
    return {p.at(0), static_cast<uint16_t>((p.at(1) << 8) | p.at(2)), sensor_sim::readBigEndian32(&p.at(3)),
            static_cast<uint16_t>((p.at(7) << 8) | p.at(8))};
}

class Flash : public SimulatedSensor {
protected:
    Flash() : SimulatedSensor(105) {}

    std::vector<int> reported;
    std::function<bool(int)> record = [this](int percent) {
        reported.push_back(percent);
        return true;
    };
};

TEST_F(Flash, SmallPlainImageFillsOneSectorInChunks) {
    const auto image = testImage(100);
    ASSERT_EQ(controller.flashImage(kControllerFlash, 0x40000, image.data(), image.size(), record), HVQ5_RC_OK);

    const auto log = packets();
    ASSERT_EQ(log.size(), 256u);
    for (std::size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].opcode, kControllerFlash);
        EXPECT_EQ(log[i].address, 256u);
        EXPECT_EQ(log[i].value, 0x40000u + 256u * i);
        ASSERT_EQ(log[i].payload.size(), 256u);
    }
    EXPECT_EQ(std::vector<uint8_t>(log[0].payload.begin(), log[0].payload.begin() + 100), image);
    EXPECT_TRUE(std::all_of(log[0].payload.begin() + 100, log[0].payload.end(), [](uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(std::all_of(log[1].payload.begin(), log[1].payload.end(), [](uint8_t b) { return b == 0xFF; }));

    EXPECT_EQ(flash->read(FlashTarget::Controller, 0x40000, 100), image);
    ASSERT_EQ(reported.size(), 256u);
    EXPECT_EQ(reported.front(), 0);
    EXPECT_EQ(reported.back(), 100);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
}

TEST_F(Flash, PlainWriterOnTheHeadOpcode) {
    const auto image = testImage(300);
    ASSERT_EQ(controller.flashImage(kHeadFlash, 0, image.data(), image.size(), nullptr), HVQ5_RC_OK);
    EXPECT_EQ(packets().size(), 256u);
    EXPECT_EQ(flash->read(FlashTarget::Head, 0, 300), image);
}

TEST_F(Flash, SmallHeadImageIsOneEraseAndOnePaddedSegment) {
    const auto image = testImage(1000);
    ASSERT_EQ(controller.flashHeadImage(0x200000, image.data(), image.size(), record), HVQ5_RC_OK);

    const auto log = packets();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].opcode, kHeadFlash);
    EXPECT_EQ(log[0].address, 0x30009u);
    EXPECT_EQ(log[0].value, 0x200000u);
    const SubHeader erase = subHeader(log[0]);
    EXPECT_EQ(erase.command, 58);
    EXPECT_EQ(erase.sequence, 0);
    EXPECT_EQ(erase.address, 0x200000u);
    EXPECT_EQ(erase.length, 64);

    EXPECT_EQ(log[1].address, 0x50000u | (1024 + 9));
    const SubHeader write = subHeader(log[1]);
    EXPECT_EQ(write.command, 26);
    EXPECT_EQ(write.sequence, 0);
    EXPECT_EQ(write.length, 1024);
    ASSERT_EQ(log[1].payload.size(), 9u + 1024u);
    EXPECT_EQ(std::count(log[1].payload.begin() + 9 + 1000, log[1].payload.end(), 0xFF), 24);

    EXPECT_EQ(flash->read(FlashTarget::Head, 0x200000, 1000), image);
    EXPECT_EQ(reported, (std::vector<int>{25, 101}));
}

TEST_F(Flash, LargerHeadImageErasesTwoSectorsAndWritesNinetySixSegments) {
    const auto image = testImage(0x18000);
    ASSERT_EQ(controller.flashHeadImage(0x100000, image.data(), image.size(), record), HVQ5_RC_OK);

    const auto log = packets();
    ASSERT_EQ(log.size(), 2u + 96u);
    EXPECT_EQ(subHeader(log[0]).command, 58);
    EXPECT_EQ(log[0].address, 0x30009u);
    EXPECT_EQ(subHeader(log[1]).command, 60);
    EXPECT_EQ(subHeader(log[1]).sequence, 1);
    EXPECT_EQ(subHeader(log[1]).address, 0x110000u);
    EXPECT_EQ(log[1].address, 0x40009u);
    for (std::size_t i = 0; i < 96; ++i) {
        const auto& packet = log[2 + i];
        const SubHeader header = subHeader(packet);
        const uint8_t expected = i == 0 ? 26 : (i == 95 ? 28 : 27);
        EXPECT_EQ(header.command, expected) << i;
        EXPECT_EQ(header.sequence, i) << i;
        EXPECT_EQ(header.address, 0x100000u + 1024u * i) << i;
        EXPECT_EQ(packet.value, 0x100000u + 1024u * i) << i;
        EXPECT_EQ(packet.address, (i == 95 ? 0x60000u : 0x50000u) | 1033u) << i;
    }
    EXPECT_EQ(flash->read(FlashTarget::Head, 0x100000, image.size()), image);
    EXPECT_EQ(reported.front(), 16);
    EXPECT_EQ(reported[1], 25);
    EXPECT_EQ(reported.back(), 100);
}

TEST_F(Flash, RefusedThreeTimesGivesUp) {
    flash->rejectHeadCommands(3);
    const auto image = testImage(1000);
    EXPECT_EQ(controller.flashHeadImage(0, image.data(), image.size(), record), HVQ5_RC_NO_SOCKET);
    const auto log = packets();
    ASSERT_EQ(log.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(subHeader(log[i]).command, 58);
        EXPECT_EQ(subHeader(log[i]).sequence, i);
    }
    EXPECT_TRUE(reported.empty());
}

TEST_F(Flash, RefusedTwiceIsRepeatedWithNewSequenceNumbers) {
    const auto image = testImage(1500);
    flash->rejectHeadCommands(0);
    // Erase goes through; then the first segment is refused twice.
    sim->registerOpcodeHandler(
        kHeadFlash,
        [this, calls = std::make_shared<int>(0)](sensor_sim::SimSensor&, const sensor_sim::Request& request,
                                                 sensor_sim::ReplyWriter& reply) {
            if (++*calls == 2) flash->rejectHeadCommands(2);
            flash->onHeadFlash(request, reply);
        },
        [](const sensor_sim::Request& request) -> size_t { return request.lo(); });

    ASSERT_EQ(controller.flashHeadImage(0, image.data(), image.size(), record), HVQ5_RC_OK);
    const auto log = packets();
    ASSERT_EQ(log.size(), 1u + 4u);
    std::vector<uint8_t> commands;
    std::vector<uint16_t> sequences;
    for (std::size_t i = 1; i < log.size(); ++i) {
        commands.push_back(subHeader(log[i]).command);
        sequences.push_back(subHeader(log[i]).sequence);
    }
    EXPECT_EQ(commands, (std::vector<uint8_t>{26, 26, 26, 28}));
    EXPECT_EQ(sequences, (std::vector<uint16_t>{0, 1, 2, 3}));
    EXPECT_EQ(flash->read(FlashTarget::Head, 0, image.size()), image);
}

TEST_F(Flash, CallbackStopsTheTransfer) {
    const auto image = testImage(0x18000);
    int calls = 0;
    const auto stopAtThird = [&calls](int) { return ++calls < 3; };
    EXPECT_EQ(controller.flashHeadImage(0, image.data(), image.size(), stopAtThird), HVQ5_RC_OK);
    EXPECT_EQ(packets().size(), 3u);  // two erases, one segment

    sim->clearPacketLog();
    calls = 0;
    EXPECT_EQ(controller.flashImage(kControllerFlash, 0, image.data(), image.size(), stopAtThird), HVQ5_RC_OK);
    EXPECT_EQ(packets().size(), 3u);
}

TEST_F(Flash, EmptyImageIsRefusedUnsent) {
    const uint8_t byte = 0;
    EXPECT_EQ(controller.flashImage(kControllerFlash, 0, &byte, 0, record), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(controller.flashHeadImage(0, &byte, 0, record), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_EQ(controller.flashHeadImage(0, nullptr, 10, record), HVQ5_RC_BAD_ARGUMENT);
    EXPECT_TRUE(packets().empty());
    EXPECT_TRUE(reported.empty());
}

}  // namespace
