#pragma once
#include <QString>

#include <cstdint>

// Two hex digits and one blank per byte ("00 ab 10 "), for the log.
QString bytesToHexString(const uint8_t* data, int size, bool upper);
