#include "sensor_interface/data_channel/batch_rules.h"

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/settings/extend_access.h"
#include "sensor_interface/settings/extend_placement.h"

namespace data_channel {
namespace {

constexpr unsigned int kFirmwareRegister = 166;

}  // namespace

BatchExtendValues read_batch_extend(SensorController& controller) {
    using mirevo::settings::ExtendValue;
    hvq5_settings& image = controller.settings();
    const HVQ5_2_EXTEND& block = *image.get_sdk_extend();
    const char series = controller.laserParams.model[2];
    const uint32_t firmware = image.get_vals(kFirmwareRegister);
    const auto value = [&](ExtendValue which, int64_t fromBlock) -> int64_t {
        const auto placement = mirevo::settings::place_extend_value(which, series, firmware);
        return placement.in_register ? image.get_vals(placement.reg) : fromBlock;
    };
    using mirevo::settings::load_extend;
    BatchExtendValues values;
    values.startFrameTimeoutMs =
        static_cast<int>(value(ExtendValue::StartFrameTimeout, load_extend(block.start_frame_timeout)));
    values.continuousFrameTimeoutMs =
        static_cast<int>(value(ExtendValue::ContinuousFrameTimeout, load_extend(block.continous_frame_timeout)));
    values.timeoutCallbackAmount =
        static_cast<int>(value(ExtendValue::TimeoutCallbackAmount, load_extend(block.timeout_callback_type)));
    values.features = static_cast<uint64_t>(
        value(ExtendValue::FeatureWord, static_cast<int64_t>(load_extend(block.feature_en))));
    return values;
}

}  // namespace data_channel
