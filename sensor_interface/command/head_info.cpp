// The controller's picture of the sensor at open: head information with the
// measuring range, the model geometry every buffer is sized by, a fresh
// profile processor, the user registers and the load status.
#include "sensor_interface/command/head_info.h"

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/status_codes.h"

namespace {
constexpr uint8_t kReadOpcode = 161;
constexpr int kRejectedTailWaitMs = 10;
}  // namespace

int SensorController::readHeadInfo() {
    uint32_t range[3] = {};
    const uint32_t rangeRegisters[3] = {head_info::kRangeReferenceRegister, head_info::kRangeLowerRegister,
                                        head_info::kRangeUpperRegister};
    for (int i = 0; i < 3; ++i) {
        const int status = readRegister(rangeRegisters[i], range[i], kRegisterReadWaitMs);
        if (status != HVQ5_RC_OK) return status;
    }
    head_info::storeMeasuringRange(laserParams, range[0], range[1], range[2]);

    int status = readHeadInformation(laserParams);
    if (status != HVQ5_RC_OK) return status;
    // The read leaves the binning in the register image, where the processor looks.
    uint32_t binning = 0;
    status = readRegister(head_info::kBinningRegister, binning, kRegisterReadWaitMs);
    if (status != HVQ5_RC_OK) return status;

    const std::optional<ModelGeometry> geometry = head_info::headGeometry(laserParams);
    if (!geometry) return HVQ5_RC_BAD_ARGUMENT;
    columns = geometry->columns;
    rows = geometry->rows;
    points = geometry->points;
    pointsPerColumn = geometry->pointsPerColumn;
    store_last_geometry(*geometry);
    head_info::storeRoiRows(rows);

    // The data channel holds its own reference to the processor it is using, so
    // replacing it here never pulls one out from under a frame in progress.
    auto fresh = std::make_shared<ProfileProcessor>(columns, points, pointsPerColumn);
    fresh->bind(&settings_, &laserParams);
    replaceProcessor(std::move(fresh));
    return HVQ5_RC_OK;
}

int SensorController::loadUserRegisters() {
    for (const zp_laser_reg::regvals& entry : settings_.get_user_regvals()) {
        uint32_t value = 0;
        const int status = readRegister(entry.reg, value, kRegisterReadWaitMs);
        if (status != HVQ5_RC_OK) return status;
    }
    std::array<uint8_t, kSmallBlockBytes> shape{};
    int status = readShapeBlock(shape.data(), static_cast<int>(shape.size()));
    if (status != HVQ5_RC_OK) return status;
    if (ownConnection) return HVQ5_RC_OK;

    uint32_t loadStatus = 0;
    {
        std::lock_guard<std::mutex> lock(transactionMutex_);
        status = transact(kReadOpcode, head_info::kLoadStatusRegister, loadStatus,
                          kRegisterReadWaitMs);
        if (status == HVQ5_RC_BAD_REPLY) {
            // A rejected request is followed by its "END" line: take it off the channel.
            Bytes tail;
            receiveUntil(tail, "END\r\n", kRejectedTailWaitMs, 0);
        }
    }
    if (status != HVQ5_RC_OK) return HVQ5_RC_COMMAND_FAILED;
    if (head_info::loadStatusGood(loadStatus)) return HVQ5_RC_OK;
    head_info::logBadLoadStatus(loadStatus);
    return HVQ5_RC_COMMAND_FAILED;
}

bool SensorController::checkLoadStatus() {
    uint32_t loadStatus = 0;
    if (readRegister(head_info::kLoadStatusRegister, loadStatus, kRegisterReadWaitMs) != HVQ5_RC_OK)
        return false;
    if (head_info::loadStatusGood(loadStatus)) return true;
    head_info::logBadLoadStatus(loadStatus);
    return false;
}

std::vector<double> SensorController::xPositions(double pitch, int count) {
    std::vector<double> positions;
    if (count <= 0) return positions;
    // Summed one pitch at a time, as the sensor builds its own list.
    double total = 0.0;
    for (int i = 0; i < count; ++i) total += pitch;
    positions.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) positions.push_back(i * pitch - total * 0.5);
    return positions;
}
