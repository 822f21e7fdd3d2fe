#pragma once
// Status codes of the sensor interface. Every status-returning export answers
// with one of these; 0 is success. Every layer of the interface reports them,
// so they sit at its bottom; callers include registry/hvq5_rc.h.
using HVQ5_RC = int;

constexpr HVQ5_RC HVQ5_RC_OK = 0;
constexpr HVQ5_RC HVQ5_RC_TIMEOUT_GETTER_OK = 1;          // success of the two frame time-out getters
constexpr HVQ5_RC HVQ5_RC_NOT_OPEN_VALUE = -1;            // count/value exports: id not open or read failed
constexpr HVQ5_RC HVQ5_RC_ROLL_STOPPED = -100;            // rolling read: nothing buffered, batch stopped
constexpr HVQ5_RC HVQ5_RC_NO_SOCKET = 1001;
constexpr HVQ5_RC HVQ5_RC_COMMAND_FAILED = 3090;
constexpr HVQ5_RC HVQ5_RC_ALREADY_OPEN = 4091;
constexpr HVQ5_RC HVQ5_RC_OPEN_FAILED = 4096;
constexpr HVQ5_RC HVQ5_RC_NOT_OPEN = 4097;
constexpr HVQ5_RC HVQ5_RC_SEND_FAILED = 4098;
constexpr HVQ5_RC HVQ5_RC_BAD_REPLY = 4099;
constexpr HVQ5_RC HVQ5_RC_TIMEOUT = 4100;
constexpr HVQ5_RC HVQ5_RC_BAD_ARGUMENT = 4102;
constexpr HVQ5_RC HVQ5_RC_BAD_BLOCK = 4103;
constexpr HVQ5_RC HVQ5_RC_IMAGE_TOO_LARGE = 4108;
constexpr HVQ5_RC HVQ5_RC_NOT_ALLOWED = 5001;
constexpr HVQ5_RC HVQ5_RC_MEMORY_NOT_READY = 5002;
constexpr HVQ5_RC HVQ5_RC_MEMORY_STATE_2 = 5003;
constexpr HVQ5_RC HVQ5_RC_TRIGGER_NOT_AHEAD = 5004;
constexpr HVQ5_RC HVQ5_RC_BATCH_MODE_OFF = 5005;
constexpr HVQ5_RC HVQ5_RC_ENCODER_TOO_FAST = 6001;
constexpr HVQ5_RC HVQ5_RC_BATCH_NOT_ENABLED = 32897;
