#pragma once
// The record by which callers name a sensor setting instead of a register, and
// the depth that travels beside it.
#include <cstdint>

// 8 bytes, passed by value through the exported setting calls.
struct HVQ5_SETTING_ADDRESS {
    uint8_t type;       // 1 network, 2 common, 16..30 settings of a program
    uint8_t category;   // for program settings: 0 trigger, 1 imaging, 2 processing
    uint8_t item;       // the setting within its type or category
    uint8_t reserve;    // not interpreted
    uint8_t target[4];  // not interpreted
};
static_assert(sizeof(HVQ5_SETTING_ADDRESS) == 8, "the address record is part of the interface");

// Depth: 1 = the running settings (read and write); 2 = store the running
// settings into a program (write only).
enum SettingDepth : int {
    SETTING_DEPTH_RUNNING = 1,
    SETTING_DEPTH_PROGRAM = 2,
};

// Types and categories the dispatcher understands.
enum SettingType : uint8_t {
    SETTING_TYPE_NETWORK = 1,
    SETTING_TYPE_COMMON = 2,
    SETTING_TYPE_PROGRAM_FIRST = 16,
    SETTING_TYPE_PROGRAM_LAST = 30,
};

enum SettingCategory : uint8_t {
    SETTING_CATEGORY_TRIGGER = 0,
    SETTING_CATEGORY_IMAGING = 1,
    SETTING_CATEGORY_PROCESSING = 2,
};

inline HVQ5_SETTING_ADDRESS makeSettingAddress(int type, int category, int item) {
    HVQ5_SETTING_ADDRESS address{};
    address.type = static_cast<uint8_t>(type);
    address.category = static_cast<uint8_t>(category);
    address.item = static_cast<uint8_t>(item);
    return address;
}

inline bool isProgramSettingType(uint8_t type) {
    return type >= SETTING_TYPE_PROGRAM_FIRST && type <= SETTING_TYPE_PROGRAM_LAST;
}
