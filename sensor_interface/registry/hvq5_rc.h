#pragma once
// Status codes of the sensor interface. Every status-returning export answers
// with one of these; 0 is success.
enum HVQ5_RC : int {
    HVQ5_RC_OK = 0,
    HVQ5_RC_TIMEOUT_GETTER_OK = 1,          // success of the two frame time-out getters
    HVQ5_RC_NOT_OPEN_VALUE = -1,            // count/value exports: id not open or read failed
    HVQ5_RC_ROLL_STOPPED = -100,            // rolling read: nothing buffered, batch stopped
    HVQ5_RC_NO_SOCKET = 1001,
    HVQ5_RC_COMMAND_FAILED = 3090,
    HVQ5_RC_ALREADY_OPEN = 4091,
    HVQ5_RC_OPEN_FAILED = 4096,
    HVQ5_RC_NOT_OPEN = 4097,
    HVQ5_RC_SEND_FAILED = 4098,
    HVQ5_RC_BAD_REPLY = 4099,
    HVQ5_RC_TIMEOUT = 4100,
    HVQ5_RC_BAD_ARGUMENT = 4102,
    HVQ5_RC_BAD_BLOCK = 4103,
    HVQ5_RC_IMAGE_TOO_LARGE = 4108,
    HVQ5_RC_NOT_ALLOWED = 5001,
    HVQ5_RC_MEMORY_NOT_READY = 5002,
    HVQ5_RC_MEMORY_STATE_2 = 5003,
    HVQ5_RC_TRIGGER_NOT_AHEAD = 5004,
    HVQ5_RC_BATCH_MODE_OFF = 5005,
    HVQ5_RC_ENCODER_TOO_FAST = 6001,
    HVQ5_RC_BATCH_NOT_ENABLED = 32897,
};
