#pragma once
// Marks the names that libmirevo_sensor.so shows to other programs; everything
// else in the interface is built with hidden visibility.
#define HVQ5_API __attribute__((visibility("default")))
