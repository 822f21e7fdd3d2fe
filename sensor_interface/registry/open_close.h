#pragma once
// The rules of opening a sensor that do not need one: address texts, the
// addresses of further heads, the run-information line, the reference voltage
// and the version text. Also the address change of the firmware upgrade.
#include <cstdint>
#include <string>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/registry/hvq5_open_api.h"

class ProfileProcessor;

namespace open_close {

constexpr int kDataPort = 9;
constexpr int kCommandPort = 7;
constexpr const char* kSdkVersionText = "1.6.31";
constexpr const char* kInterfaceVersionText = "1.1.2";

// "a.b.c.d"
std::string addressText(const HVQ5_NET_ADDRESS& address);
// The tag "QW" marks the program's own connection.
bool ownConnectionTag(const HVQ5_NET_ADDRESS& address);
// The address of head `index` (1 .. heads - 1) of a sensor at `first`: two
// heads count up the third octet, four heads the fourth (an octet wraps).
HVQ5_NET_ADDRESS furtherHeadAddress(const HVQ5_NET_ADDRESS& first, int heads, int index);
// Firmware register 134 below 1280 means a 4.9 V reference instead of 3.3 V.
double referenceVoltage(uint32_t reg134);
// "sensor[<id>]: ip <address>, sdk 1.6.31, firmware <134>.<135>.<166>" (hex).
std::string runInfoLine(int id, const std::string& address, uint32_t reg134, uint32_t reg135,
                        uint32_t reg166);
// The camera a calibration table is checked against: its columns and rows, and
// whether its frames carry peak rows that the table turns into distances.
struct CalibratedCamera {
    int columns = 0;
    int rows = 0;
    bool peakRows = false;
};
// The camera of a controller whose head information has been read.
CalibratedCamera calibratedCamera(const SensorController& controller);
// Installs the calibration table into the processor: 4103 for any shape but
// 2048 rows of 10 values, when there is no processor to take it, and for a
// table that cannot be the camera's calibration (non-finite, or not
// increasing where it turns peak rows into distances), which writes
// "invalid calibration[<id>]: " and the fault to the run log.
int installCalibration(ProfileProcessor* processor, const SensorController::CalibrationRows& table,
                       const CalibratedCamera& camera, int id);
// The numbers of a dotted version text with a 0 appended; {0, 0, 0, 0} unless
// that makes exactly four.
HVQ5_VERSION versionFromText(const std::string& text);

}  // namespace open_close

// Connects an id that is not open to a new address and reads the head
// information of heads that have it; none of the other open steps. 0; 4091
// when the id is open; 4096 when the connect fails; 4097 when the id vanished;
// 4102 for a null address. For the firmware upgrade, not exported.
int hvq5_change_address(int id, const HVQ5_NET_ADDRESS* address);
