// The data channel from arbitrary bytes, as a sensor's receiver takes them:
// the stream cut into messages in pieces of any size by the reader's cutter,
// heartbeats dropped, and every message handed to the receiver's consumer,
// which dispatches it by tag, assembles batches and runs each frame through
// the sensor's profile processor into the batch buffers, delivering each batch
// at its end. The cuts must be where the framing says, the parsers must stay
// inside every message, and the batch buffers must stay in step.
//
// Input: a byte of the piece size; a byte of options (bits 0-1 the head's
// series 3 to 6, bit 2 the program's own connection, bit 3 a silence after the
// stream); a count of register settings and those (a byte naming one of
// kRegisters, four bytes of its value, big-endian); then the stream.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_support.h"
#include "fuzz/sensor_fuzz_support.h"
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/batch_buffers.h"
#include "sensor_interface/data_channel/data_messages.h"
#include "sensor_interface/data_channel/message_cutter.h"
#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/processing/profile_processor.h"

namespace {

constexpr int kDeviceId = 3;
constexpr size_t kMaxMessageBytes = 4096;
// The frames-per-batch field of an info message, and the most the target lets
// one announce.
constexpr size_t kFramesField = 5;
constexpr int kMostFrames = 512;

// The registers the frame path reads, from the sensor's register image: the
// input sets any of them.
constexpr uint32_t kRegisters[] = {
    285, 350, 351, 352, 353, 355, 356,  // pitch, range, 16-bit codes, fixed-point limits
    740, 752, 754, 358, 359,            // binning, extended width and z offset, X window
    183, 185, 190, 191, 804, 805, 755,  // gap, fold and temporal repair, gray noise
    291, 325, 326, 327, 328, 329,       // mirror, rotation, base-zero windows
    330, 331, 772, 741, 742, 774, 775, 776,  // z scale, features, gamma, gray table
};
constexpr size_t kRegisterCount = sizeof kRegisters / sizeof kRegisters[0];

class SilentLog : public data_channel::ReceiverLog {
public:
    void line(const std::string&, int) override {}
    void reconnection(const std::string&) override {}
    void dump() override {}
};

// One controller per series for the whole run, with the processor its open
// would make; the registers an input sets are set back at its end.
SensorController& controllerFor(int seriesIndex) {
    static std::unique_ptr<SensorController> controllers[4];
    std::unique_ptr<SensorController>& slot = controllers[seriesIndex];
    if (!slot) slot = fuzz::factoryController(static_cast<char>('3' + seriesIndex));
    return *slot;
}

// Every message the cutter hands out ends as a message must; the parsers read
// only inside it.
void checkMessage(const uint8_t* message, size_t size) {
    FUZZ_CHECK(data_channel::endsMessage(message, size));
    const data_channel::MessageTag tag = data_channel::messageTag(message, size);
    FUZZ_CHECK(tag.payloadPos <= size);
    if (data_channel::classifyTag(tag.text) == data_channel::MessageKind::Tick)
        (void)data_channel::parseTick(message, size, tag.payloadPos);
}

// Rows of every frame have the same width in the three row buffers; the
// three per-frame buffers grow together.
void checkBuffers(ProfileReceiver& receiver) {
    data_channel::BatchBuffers& buffers = receiver.batchBuffers();
    const size_t values = buffers.profiles(0).count;
    FUZZ_CHECK(buffers.codes(0).count == values && buffers.intensity(0).count == values);
    const size_t frames = buffers.encoders(0).count;
    FUZZ_CHECK(buffers.timestamps(0).count == frames);
    const int width = receiver.outputWidth();
    if (width > 0) FUZZ_CHECK(values % static_cast<size_t>(width) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader input(data, size);
    // The piece size, so that the stream's splits land everywhere.
    const size_t piece = static_cast<size_t>(input.byte()) + 1;
    const uint8_t options = input.byte();
    SensorController& controller = controllerFor(options & 3);
    controller.ownConnection = (options & 4) != 0;
    const ModelGeometry geometry = *model_geometry_for_series(controller.laserParams.model[2]);
    store_last_geometry(geometry);

    hvq5_settings& image = controller.settings();
    uint32_t saved[kRegisterCount];
    for (size_t i = 0; i < kRegisterCount; ++i) saved[i] = image.get_vals(kRegisters[i]);
    for (int count = input.byte() % 17; count > 0 && !input.empty(); --count) {
        const uint32_t reg = kRegisters[input.byte() % kRegisterCount];
        image.set_regvals(reg, input.be32());
    }

    {
        ProfileReceiver receiver(std::make_shared<SilentLog>());
        receiver.setFrameWorkers(1);
        receiver.attach(kDeviceId, &controller);
        data_channel::MessageCutter cutter(kMaxMessageBytes);
        const auto take = [&](const uint8_t* message, size_t length) {
            checkMessage(message, length);
            if (data_channel::isHeartbeat(message, length)) return;
            MessageQueue::Message copy(message, message + length);
            // A batch is padded at its end to the frames its info message
            // announced: 65535 frames of the widest rows are gigabytes, as
            // they would be if the sensor sent them. The announcements are
            // kept small so that a run stays within the fuzzer's memory limit.
            if (data_channel::classifyTag(data_channel::messageTag(message, length).text) ==
                    data_channel::MessageKind::Info &&
                length > kFramesField + 1 && (copy[kFramesField] | copy[kFramesField + 1] << 8) > kMostFrames) {
                copy[kFramesField] = kMostFrames & 0xFF;
                copy[kFramesField + 1] = kMostFrames >> 8;
            }
            receiver.consume(copy);
            checkBuffers(receiver);
        };
        while (!input.empty()) {
            const size_t n = piece < input.left() ? piece : input.left();
            cutter.feed(input.here(), n, take);
            input.skip(n);
            FUZZ_CHECK(cutter.pendingBytes() <= kMaxMessageBytes);
        }
        if (options & 8) {
            receiver.consume(MessageQueue::Message());
            checkBuffers(receiver);
        }
    }
    for (size_t i = 0; i < kRegisterCount; ++i) image.set_regvals(kRegisters[i], saved[i]);
    return 0;
}
