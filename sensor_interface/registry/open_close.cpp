// Turns a network address into an open device id: the open sequence, the
// further heads of multi-head sensors, closing, and the interface version.
#include "sensor_interface/registry/open_close.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/processing/height_conversion.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/device_functions_rules.h"
#include "sensor_interface/registry/model_table.h"
#include "sensor_interface/registry/setting_exports_dispatch.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"
#include "sensor_interface/status_codes.h"


namespace open_close {

std::string addressText(const HVQ5_NET_ADDRESS& address) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", address.ip[0], address.ip[1], address.ip[2],
                  address.ip[3]);
    return text;
}

bool ownConnectionTag(const HVQ5_NET_ADDRESS& address) {
    return address.tag[0] == 'Q' && address.tag[1] == 'W';
}

HVQ5_NET_ADDRESS furtherHeadAddress(const HVQ5_NET_ADDRESS& first, int heads, int index) {
    HVQ5_NET_ADDRESS next = first;
    uint8_t& octet = heads == 2 ? next.ip[2] : next.ip[3];
    octet = static_cast<uint8_t>(octet + index);
    return next;
}

double referenceVoltage(uint32_t reg134) { return reg134 < 1280 ? 4.9 : 3.3; }

std::string runInfoLine(int id, const std::string& address, uint32_t reg134, uint32_t reg135,
                        uint32_t reg166) {
    char firmware[40];
    std::snprintf(firmware, sizeof firmware, "%x.%x.%x", reg134, reg135, reg166);
    return "sensor[" + std::to_string(id) + "]: ip " + address + ", sdk " + kSdkVersionText +
           ", firmware " + firmware;
}

CalibratedCamera calibratedCamera(const SensorController& controller) {
    const char series = controller.laserParams.model[2];
    return CalibratedCamera{controller.columns, controller.rows, !device_rules::isNewSeries(series)};
}

int installCalibration(ProfileProcessor* processor, const SensorController::CalibrationRows& table,
                       const CalibratedCamera& camera, int id) {
    if (processor == nullptr) return HVQ5_RC_BAD_BLOCK;
    if (table.size() != static_cast<std::size_t>(SensorController::kCalibrationRows))
        return HVQ5_RC_BAD_BLOCK;
    for (const std::vector<double>& row : table)
        if (row.size() != static_cast<std::size_t>(SensorController::kCalibrationColumns))
            return HVQ5_RC_BAD_BLOCK;
    // A table of NaNs, or one that maps two peak rows to one distance, would
    // only turn every profile into wrong heights: the sensor is not opened.
    if (const auto fault = find_calibration_fault(table, camera.columns, camera.rows, camera.peakRows)) {
        LogManager::instance().log(
            "invalid calibration[" + std::to_string(id) + "]: " + calibration_fault_text(*fault), 0);
        return HVQ5_RC_BAD_BLOCK;
    }
    return processor->setCalibration(table) ? HVQ5_RC_OK : HVQ5_RC_BAD_BLOCK;
}

HVQ5_VERSION versionFromText(const std::string& text) {
    std::vector<int32_t> numbers;
    std::stringstream parts(text);
    std::string part;
    while (std::getline(parts, part, '.')) numbers.push_back(std::atoi(part.c_str()));
    numbers.push_back(0);
    if (numbers.size() != 4) return HVQ5_VERSION{0, 0, 0, 0};
    return HVQ5_VERSION{numbers[0], numbers[1], numbers[2], numbers[3]};
}

}  // namespace open_close

namespace {


std::string modelTextOf(const SensorController& controller) {
    const char* model = controller.laserParams.model;
    return std::string(model, strnlen(model, sizeof controller.laserParams.model));
}

// Ends one id: its data channel, its sockets, its registry entry. The object
// itself lives on while an export still holds it.
void closeDevice(int id, tandrel_zp_clients& device) {
    device.receiver.stop();
    device.controller.closeSockets(true);
    sdkManager().close(id);
}

// Steps of the open sequence after the command channel is connected, in the
// order the sensor expects them. Each returns 0 or the status the open fails with.
class OpenSequence {
public:
    OpenSequence(int id, tandrel_zp_clients& device)
        : id_(id), device_(device), controller_(device.controller) {}

    int run() {
        for (int (OpenSequence::*step)() : {&OpenSequence::readIdentity, &OpenSequence::readHead,
                                            &OpenSequence::loadRegisters, &OpenSequence::loadCalibration,
                                            &OpenSequence::applyStartupRegisters,
                                            &OpenSequence::startDataChannel}) {
            const int status = (this->*step)();
            if (status != HVQ5_RC_OK) return status;
        }
        writeRunInfo();
        return HVQ5_RC_OK;
    }

private:
    int readAndKeep(uint32_t reg, uint32_t& value) {
        const int status = export_registers::read(controller_, reg, value);
        if (status == HVQ5_RC_OK) controller_.settings().set_regvals(reg, value);
        return status;
    }

    int readIdentity() {
        uint32_t value = 0;
        int status = readAndKeep(134, value);
        if (status != HVQ5_RC_OK) return status;
        controller_.scaleHigh = open_close::referenceVoltage(value);
        status = readAndKeep(135, value);
        if (status != HVQ5_RC_OK) return status;
        return readAndKeep(166, value);
    }

    int readHead() {
        const int status = controller_.readHeadInfo();
        if (status != HVQ5_RC_OK) return status;
        if (std::memcmp(controller_.laserParams.head_tag, "ZP-H", 4) != 0) return HVQ5_RC_OPEN_FAILED;
        controller_.settings().set_laser_params(controller_.laserParams);
        return HVQ5_RC_OK;
    }

    int loadRegisters() { return controller_.loadUserRegisters(); }

    int loadCalibration() {
        SensorController::CalibrationRows table;
        const int status = controller_.readCalibrationTable(table);
        if (status != HVQ5_RC_OK) return status;
        return open_close::installCalibration(controller_.currentProcessor().get(), table,
                                              open_close::calibratedCamera(controller_), id_);
    }

    int applyStartupRegisters() {
        int status = write(272, 1);
        if (status != HVQ5_RC_OK) return status;
        // Outside batch mode the sensor is put into its trigger mode 1; the batch
        // mode is then applied again as the image holds it. Neither stops the open.
        const uint8_t batchMode = static_cast<uint8_t>(controller_.getVals(149) & 0xFF);
        if (batchMode == 0) hvq5_set_trigger_mode(id_, 1);
        ControllerDispatch(controller_)->setBatchMode(&batchMode, 1);

        status = write(402, 3);
        if (status != HVQ5_RC_OK) return status;
        write(434, 0);

        const std::string model = modelTextOf(controller_);
        const ModelTableEntry entry = lookupModel(model);
        controller_.settings().get_sdk_extend()->model_type = entry.extendModelType;
        status = write(432, entry.register432);
        if (status != HVQ5_RC_OK) return status;
        if (model == "ZP5160D") write(159, 2);
        return HVQ5_RC_OK;
    }

    int startDataChannel() {
        const int status = device_.receiver.start(id_, controller_.addressText, open_close::kDataPort, 0,
                                                  &controller_);
        return status == HVQ5_RC_OK ? HVQ5_RC_OK : HVQ5_RC_OPEN_FAILED;
    }

    void writeRunInfo() {
        hvq5_settings& image = controller_.settings();
        LogManager::instance().writeRunInfo(open_close::runInfoLine(
            id_, controller_.addressText, image.get_vals(134), image.get_vals(135), image.get_vals(166)));
    }

    int write(uint32_t reg, uint32_t value) {
        return export_registers::write(controller_, reg, value);
    }

    int id_;
    tandrel_zp_clients& device_;
    SensorController& controller_;
};

int openDevice(int id, const HVQ5_NET_ADDRESS* address) {
    runFirstCallStep();
    if (sdkManager().find(id)) return HVQ5_RC_ALREADY_OPEN;
    if (address == nullptr) return HVQ5_RC_BAD_ARGUMENT;
    const std::string text = open_close::addressText(*address);
    if (!sdkManager().connect(id, text.c_str(), address->port)) return HVQ5_RC_OPEN_FAILED;
    std::shared_ptr<tandrel_zp_clients> device = sdkManager().find(id);
    if (!device) return HVQ5_RC_NOT_OPEN;
    device->controller.ownConnection = open_close::ownConnectionTag(*address);

    int status = HVQ5_RC_OPEN_FAILED;
    try {
        status = OpenSequence(id, *device).run();
    } catch (...) {
        status = HVQ5_RC_OPEN_FAILED;
    }
    // Only the id this call opened: the model text may name further heads
    // that belong to another sensor opened under the ids after it.
    if (status != HVQ5_RC_OK) closeDevice(id, *device);
    return status;
}

int headCountOf(tandrel_zp_clients& device) { return sensorHeadCount(modelTextOf(device.controller)); }

}  // namespace

extern "C" {

HVQ5_API int HVQ5_EthernetOpen(int id, const HVQ5_NET_ADDRESS* address) {
    try {
        return openDevice(id, address);
    } catch (...) {
        return HVQ5_RC_OPEN_FAILED;
    }
}

HVQ5_API int HVQ5_2_EthernetOpen(int id, const uint8_t ip[4]) {
    try {
        if (ip == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        HVQ5_NET_ADDRESS address{{ip[0], ip[1], ip[2], ip[3]}, open_close::kCommandPort, {0, 0}};
        int status = HVQ5_EthernetOpen(id, &address);
        if (status != HVQ5_RC_OK) return status;
        std::shared_ptr<tandrel_zp_clients> device = sdkManager().find(id);
        if (!device) return HVQ5_RC_NOT_OPEN;
        const int heads = headCountOf(*device);
        for (int i = 1; i < heads; ++i) {
            const HVQ5_NET_ADDRESS further = open_close::furtherHeadAddress(address, heads, i);
            status = HVQ5_EthernetOpen(id + i, &further);
            if (status != HVQ5_RC_OK) return status;
        }
        return HVQ5_RC_OK;
    } catch (...) {
        return HVQ5_RC_OPEN_FAILED;
    }
}

HVQ5_API int HVQ5_CommunicationClose(int id) {
    try {
        std::shared_ptr<tandrel_zp_clients> first = sdkManager().find(id);
        if (!first) return HVQ5_RC_NOT_OPEN;
        const int heads = headCountOf(*first);
        first.reset();
        for (int c = id; c < id + heads; ++c) {
            std::shared_ptr<tandrel_zp_clients> device = sdkManager().find(c);
            if (!device) return HVQ5_RC_NOT_OPEN;
            closeDevice(c, *device);
        }
        return HVQ5_RC_OK;
    } catch (...) {
        return HVQ5_RC_NOT_OPEN;
    }
}

HVQ5_API int HVQ5_2_CommClose(int id) { return HVQ5_CommunicationClose(id); }

HVQ5_API HVQ5_VERSION HVQ5_GetVersion() {
    try {
        return open_close::versionFromText(open_close::kInterfaceVersionText);
    } catch (...) {
        return HVQ5_VERSION{0, 0, 0, 0};
    }
}

HVQ5_API const uint8_t* HVQ5_2_GetVersion() {
    static uint8_t numbers[4];
    const HVQ5_VERSION version = HVQ5_GetVersion();
    numbers[0] = static_cast<uint8_t>(version.major);
    numbers[1] = static_cast<uint8_t>(version.minor);
    numbers[2] = static_cast<uint8_t>(version.patch);
    numbers[3] = static_cast<uint8_t>(version.build);
    return numbers;
}

}  // extern "C"

int hvq5_change_address(int id, const HVQ5_NET_ADDRESS* address) {
    try {
        if (sdkManager().find(id)) return HVQ5_RC_ALREADY_OPEN;
        if (address == nullptr) return HVQ5_RC_BAD_ARGUMENT;
        const std::string text = open_close::addressText(*address);
        std::printf("recv ip: %s:%d \n", text.c_str(), address->port);
        std::fflush(stdout);
        if (!sdkManager().connect(id, text.c_str(), address->port)) return HVQ5_RC_OPEN_FAILED;
        std::shared_ptr<tandrel_zp_clients> device = sdkManager().find(id);
        if (!device) return HVQ5_RC_NOT_OPEN;
        SensorController& controller = device->controller;
        uint32_t firmware = 0;
        if (export_registers::read(controller, 166, firmware) == HVQ5_RC_OK &&
            ((firmware & 0xF000) > 0x3000 || (firmware & 0xFFF) > 816))
            controller.readHeadInfo();
        return HVQ5_RC_OK;
    } catch (...) {
        return HVQ5_RC_OPEN_FAILED;
    }
}
