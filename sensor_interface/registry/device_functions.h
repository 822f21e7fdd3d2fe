#pragma once
// Plain device functions for the program's own client, its settings windows,
// the settings-file export and import, the firmware upgrade and the controller
// flash export. They are called in-process (not exported), addressed by the
// device id a sensor was opened under, and return the underlying operation's
// own status (4097 when the id is not open) unless a comment says otherwise.
#include <any>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

// A percentage (0..100) of a long transfer; returning false stops it. An
// empty callback is allowed and simply not called.
using DeviceProgress = std::function<bool(int percent)>;

// Blocks of the settings-file export and import, by block code:
//   kSettingsWordsBlock: SettingsWordPairs, the sensor's settings words as
//                        (0, word) in the order the sensor sends them;
//   kShapeBlockCode:     std::vector<uint8_t> of 256 bytes, the shape block.
using SettingsWordPairs = std::vector<std::pair<uint32_t, uint32_t>>;
using SettingsBlockMap = std::unordered_map<uint8_t, std::any>;
constexpr uint8_t kSettingsWordsBlock = 160;
constexpr uint8_t kShapeBlockCode = 178;

// ---- series and state (false when the id is not open) ----
bool hvq5_is_series3(int id);
bool hvq5_is_series4(int id);
// Neither series '3' nor '4'; true when the id is not open.
bool hvq5_is_new_series(int id);
// Series '4' with firmware (cached register 166, low 16 bits) above 28695.
bool hvq5_is_series4_new(int id);
// The DEBUG-stream enable flag: true while live reads may use the channel.
bool hvq5_get_link_paused(int id);
// Register 705 reads 0 or 3 (the sensor loaded its settings).
bool hvq5_check_load_status(int id);

// ---- registers and image ----
int hvq5_get_cached_register(int id, int reg, uint32_t* value);
int hvq5_read_register(int id, int reg, uint32_t* value);
int hvq5_write_register(int id, int reg, int value);
// Register 0xFFFC. A reply the channel cannot match (4099) still proves the
// sensor alive: value is written and 0 returned.
int hvq5_read_heartbeat(int id, uint32_t* value);
// which != 0: a = cached register 135, b = cached register 166;
// which == 0: a = cached register 134, b untouched.
int hvq5_get_firmware_versions(int id, int which, uint32_t* a, uint32_t* b);
// Columns in the high 32 bits, points in the low 32 bits; the geometry of the
// head read last when the id is not open.
int64_t hvq5_get_geometry(int id);
// Highest line rate the current settings allow; 0 when not open.
int hvq5_get_max_rate(int id);
int hvq5_apply_max_rate(int id);
// The fail counter (6001 after an encoder overrun), cleared; 0 when not open.
int hvq5_take_fail_counter(int id);
// The sensor's status word and value from the reply to a read of address 300,
// both in the byte order the sensor sends them; 4099 for a reply that is not
// exactly 11 bytes.
int hvq5_get_status_word(int id, uint16_t* word, uint32_t* value);
int hvq5_drain_command_channel(int id);
// Low byte of value: non-zero lets live reads use the channel, 0 keeps them
// off it (5001) and waits 100 ms so that a read in progress ends.
int hvq5_set_link_paused(int id, int value);

// ---- live data over the command channel ----
// points heights (x100 units of the batch rows) of the live profile.
int hvq5_get_outline(int id, int* profile, int points);
// The raw camera image (size bytes of room), the repaired peak rows x 100 of
// the first peakCount points and the image's row count.
int hvq5_get_image(int id, char* image, int size, int* peaks, int peakCount, int* rows);

// ---- programs and memory ----
int hvq5_get_program_table(int id, char* program);
int hvq5_select_program(int id, const uint8_t* program);
// Loads the selected program, then reads every user register back.
int hvq5_load_program(int id);
int hvq5_reset_program(int id);
int hvq5_reset_settings(int id);
int hvq5_system_command_30000(int id);
// Register (memory << 16) + 277 = 0; 0, 3090, 4097.
int hvq5_memory_operation(int id, int memory);

// ---- blocks, settings blocks and firmware ----
// The 256-byte shape block (kind is not used); size other than 256: 4102.
int hvq5_read_block(int id, uint32_t kind, void* buffer, int size);
// Register 230 = 1, then the shape block write of that kind (1: the block
// itself, 3: make it permanent, without data). A failed register write ends
// the call with its status: no block goes out unannounced.
int hvq5_write_block(int id, int kind, const void* data, int size);
// count memory blocks of 256 bytes from start appended to out.
int hvq5_read_block_165(int id, int start, uint32_t count, std::vector<uint8_t>* out,
                        const DeviceProgress& progress);
// The measured values; values must already hold room for every value the
// sensor sends (else 4103) and is cut to the count received.
int hvq5_read_block_190(int id, std::vector<int32_t>* values);
int hvq5_read_settings_block(int id, SettingsBlockMap* blocks, const DeviceProgress& progress);
// Writes the blocks in the map's order, then reads the user registers back.
// Unknown codes (or values of the wrong type): 4102; blocks before stay written.
int hvq5_write_settings_block(int id, const SettingsBlockMap* blocks, const DeviceProgress& progress);
int hvq5_write_head_image(int id, uint64_t address, const char* data, uint64_t size,
                          const DeviceProgress& progress);
int hvq5_write_image(int id, uint64_t opcode, uint64_t address, const char* data, uint64_t size,
                     const DeviceProgress& progress);

// ---- trigger mode ----
// Stops a measurement this process started, then mode 0 writes 194 = 0 and
// 296 = 1, mode 1 writes 194 = 1 and 296 = 0, and where register 289 is 1
// also 221 = 3 (mode 0) or 1 (mode 1). 5001 while batch mode (register 149)
// is on, 4102 for another mode.
int hvq5_set_trigger_mode(int id, int mode);
