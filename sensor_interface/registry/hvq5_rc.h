#pragma once
// Status codes of the sensor interface. Every status-returning export answers
// with one of these; 0 is success. They live at the bottom of the interface,
// where every layer reaches them.
#include "sensor_interface/status_codes.h"
