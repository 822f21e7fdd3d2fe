#pragma once
// Setting, program, extended-value and identity exports of the sensor
// interface (C linkage). Each takes the device id a sensor was opened under;
// an id that is not open gives 4097 (or the not-open value named beside the
// export) and sends nothing to any sensor.
#include <cstddef>
#include <cstdint>

#include "sensor_interface/hvq5_export.h"
#include "sensor_interface/settings/hvq5_settings.h"
#include "sensor_interface/settings/setting_address.h"

// Everything a caller wants to know about an open head in one record.
struct HVQ5_2_MODEL_INFO {
    char head_model[16];          // as HVQ5_GetHeadModel
    int32_t batch_length;         // profiles per batch, or the status of its failed read
    int32_t profile_width;        // points per output profile
    double x_pitch;               // mm
    double y_pitch;               // mm, -1.0 when the sensor has none
    char head_serial[32];         // NUL-terminated
    char controller_serial[32];   // NUL-terminated
    uint32_t encoder;             // current encoder value
    uint32_t trigger_count;       // the sensor's trigger counter (register 294)
    char version[16];             // interface version, "1.1.2.0"
    double range_lower_mm;        // (register 350 - register 351) / 256 / 1000
    double range_upper_mm;        // (register 350 - register 352) / 256 / 1000
    double x_first;               // x position of the first point
    double x_last;                // x position of the last point
    double z_step;                // by register 354; 0.0 when unknown
};
static_assert(sizeof(HVQ5_2_MODEL_INFO) == 168, "the model record is part of the interface");
static_assert(offsetof(HVQ5_2_MODEL_INFO, batch_length) == 16, "");
static_assert(offsetof(HVQ5_2_MODEL_INFO, x_pitch) == 24, "");
static_assert(offsetof(HVQ5_2_MODEL_INFO, head_serial) == 40, "");
static_assert(offsetof(HVQ5_2_MODEL_INFO, controller_serial) == 72, "");
static_assert(offsetof(HVQ5_2_MODEL_INFO, encoder) == 104, "");
static_assert(offsetof(HVQ5_2_MODEL_INFO, trigger_count) == 108, "");
static_assert(offsetof(HVQ5_2_MODEL_INFO, version) == 112, "");
static_assert(offsetof(HVQ5_2_MODEL_INFO, range_lower_mm) == 128, "");
static_assert(offsetof(HVQ5_2_MODEL_INFO, range_upper_mm) == 136, "");
static_assert(offsetof(HVQ5_2_MODEL_INFO, x_first) == 144, "");
static_assert(offsetof(HVQ5_2_MODEL_INFO, z_step) == 160, "");

extern "C" {

// --- Settings through the setting address ---

// Reads one setting (low byte of depth) into data; the dispatcher's status.
HVQ5_API int HVQ5_GetSetting(int id, int depth, HVQ5_SETTING_ADDRESS address, uint32_t* data, int size);
// Writes one setting; a running measurement is stopped first, once. error is
// not written.
HVQ5_API int HVQ5_SetSetting(int id, int depth, HVQ5_SETTING_ADDRESS address, uint32_t* data, int size,
                             uint32_t* error);
// The same with the address given as three numbers; target is ignored.
// GetSetting always reads the running settings (depth 1).
HVQ5_API int HVQ5_2_GetSetting(int id, int type, int category, int item, int target, uint32_t* data,
                               int size);
HVQ5_API int HVQ5_2_SetSetting(int id, int depth, int type, int category, int item, int target,
                               uint32_t* data, int size);

// --- Sensor commands (3090 when the sensor does not complete one) ---

// X pitch in units of 0.00001 mm (register 285).
HVQ5_API int HVQ5_GetXpitch(int id, uint32_t* pitch);
HVQ5_API int HVQ5_2_GetXpitch(int id, uint32_t* pitch);
HVQ5_API int HVQ5_SetXpitch(int id, int pitch);
HVQ5_API int HVQ5_2_SetXpitch(int id, int pitch);
// Laser power in percent, at most 99.
HVQ5_API int HVQ5_ControlLaser(int id, uint8_t percent);
HVQ5_API int HVQ5_RebootCamera(int id);
HVQ5_API int HVQ5_RebootController(int id);
// Selects a stored program (0..15) and makes it the running settings.
HVQ5_API int HVQ5_ChangeActiveProgram(int id, int program);
HVQ5_API int HVQ5_2_SwitchProgram(int id, int program);
HVQ5_API int HVQ5_GetActiveProgram(int id, char* program);
// Loads the selected program again; own status.
HVQ5_API int HVQ5_ReflectSetting(int id);
// Stores the running settings permanently; own status.
HVQ5_API int HVQ5_RewriteTemporarySetting(int id);
// Factory settings into the running settings and programs 0 to 14; own status.
HVQ5_API int HVQ5_ReturnToFactorySetting(int id);
// Clears the sensor's batch memory 2.
HVQ5_API int HVQ5_ClearMemory(int id);
// Both report 1 in their output.
HVQ5_API int HVQ5_CheckMemoryAccess(int id, char* status);
HVQ5_API int HVQ5_GetAttentionStatus(int id, short* status);

// --- Identity of the head ---

// Display model (16 bytes): the name after '>', else the alternative name,
// else the model text; a leading "ZP" dropped.
HVQ5_API int HVQ5_GetHeadModel(int id, char* model);
// 16 characters and a NUL each (17-byte buffers).
HVQ5_API int HVQ5_GetSerialNumber(int id, char* controllerSerial, char* headSerial);
// t1 and t2 in degrees x 100, raw the low 16 bits of register 133.
HVQ5_API int HVQ5_GetHeadTemperature(int id, short* t1, short* t2, short* raw);
// Registers 203 and 196; the failing read's own status.
HVQ5_API int HVQ5_GetTriggerAndPulseCount(int id, int* trigger, int* pulses);

// --- Extended values: in the sensor's registers or in the interface's block ---

// The device's block, as the profile processing reads it; null when not open.
HVQ5_API HVQ5_2_EXTEND* HVQ5_2_GET_EXTEND_CNF(int id);
// Only checks the id (the block's enable byte is set through its address).
HVQ5_API int HVQ5_2_SET_EXTEND_EN(int id, int unused);
HVQ5_API int HVQ5_2_GET_EXTEND_FEATURE_EN(int id, uint64_t bit, bool* on);
HVQ5_API int HVQ5_2_SET_EXTEND_FEATURE_EN(int id, uint64_t bit, bool on);
// The two frame time-out getters report success as 1.
HVQ5_API int HVQ5_2_GET_EXTEND_CALLBACK_START_FRAME_TIMEOUT(int id, int* ms);
HVQ5_API int HVQ5_2_SET_EXTEND_CALLBACK_START_FRAME_TIMEOUT(int id, int ms);
HVQ5_API int HVQ5_2_GET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(int id, int* ms);
HVQ5_API int HVQ5_2_SET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(int id, int ms);
HVQ5_API int HVQ5_2_GET_EXTEND_TIMEOUT_CALLBACK_AMOUNT(int id, int* amount);
HVQ5_API int HVQ5_2_SET_EXTEND_TIMEOUT_CALLBACK_AMOUNT(int id, int amount);
HVQ5_API int HVQ5_2_GET_EXTEND_PROFILE_OUTPUT_WIDTH(int id, int* width);
HVQ5_API int HVQ5_2_SET_EXTEND_PROFILE_OUTPUT_WIDTH(int id, int width);
HVQ5_API int HVQ5_2_GET_EXTEND_RUN_MODE(int id, int* mode);
HVQ5_API int HVQ5_2_SET_EXTEND_RUN_MODE(int id, int mode);
HVQ5_API int HVQ5_2_SET_EXTEND_LIGHT_CORRECTION(int id, float gamma);
HVQ5_API int HVQ5_2_GET_EXTEND_563TIF_Z_OFFSET(int id, double* z);
HVQ5_API int HVQ5_2_SET_EXTEND_563TIF_Z_OFFSET(int id, double z);
HVQ5_API int HVQ5_2_GET_EXTEND_563TIF_LIGHT_OFFSET_UPPER(int id, int* bound);
HVQ5_API int HVQ5_2_SET_EXTEND_563TIF_LIGHT_OFFSET_UPPER(int id, int bound);
HVQ5_API int HVQ5_2_GET_EXTEND_563TIF_X_OFFSET(int id, int* offset);
HVQ5_API int HVQ5_2_SET_EXTEND_563TIF_X_OFFSET(int id, int offset);
// 5001 above 4.
HVQ5_API int HVQ5_2_SET_EXTEND_X_Binning(int id, uint32_t binning);
HVQ5_API int HVQ5_2_SET_EXTEND_Y_ROI(int id, int first, int last);
// Per-point z offsets in 0.00001 mm (or in mm); 5001 when the table is longer
// than the binned profile or than 4096 entries, 4102 for a negative count or
// missing values.
HVQ5_API int HVQ5_2_SET_EXTEND_Z_OFFSET(int id, const int32_t* table, int count);
HVQ5_API int HVQ5_2_SET_EXTEND_Z_OFFSET_Double(int id, const double* table, int count);
HVQ5_API int HVQ5_2_SET_EXTEND_FILTER_GRAD(int id, int thres1, int thres2, int r, bool open_on, int r_open,
                                           bool connected_on, int connected_area, int object);
HVQ5_API int HVQ5_2_SET_EXTEND_DUAL_MERGE(int id, bool cloud_align, int b_x_offset, double b_z_offset,
                                          int single_valid_output, double height_delta,
                                          int valid_output_in_delta, int valid_output_beyond_delta);

// --- X region, pitches, widths and model information ---

// Output points start..end; the sensor's window is 16-column aligned.
HVQ5_API int HVQ5_2_SET_X_ROI(int id, int start, int end);
HVQ5_API int HVQ5_2_GET_X_ROI(int id, uint32_t* start, int* end);
// Points per output profile; -1 when not open.
HVQ5_API int HVQ5_2_ProfileDataWidth(int id);
// mm; 0.0 when not open or a read fails.
HVQ5_API double HVQ5_2_ProfileData_XPitch(int id);
// mm; -1.0 when the sensor has no y pitch, a read fails or the id is not open.
HVQ5_API double HVQ5_2_ProfileData_YPitch(int id);
// Profiles per batch, or the status of the failed read.
HVQ5_API int HVQ5_2_ProfilePointSetCount(int id);
HVQ5_API int HVQ5_2_GetCurrentEncoder(int id, uint32_t* value);
HVQ5_API int HVQ5_2_GetModelInfos(int id, HVQ5_2_MODEL_INFO* info);
// Process-wide 32-byte buffers, overwritten by the next call.
HVQ5_API char* HVQ5_2_GetModels(int id);
HVQ5_API char* HVQ5_2_GetHeaderSerial(int id);

}  // extern "C"
