#pragma once
// The device object of one open sensor (or one head of a multi-head sensor):
// the command half, then the data-channel half. The receiver is declared
// second so that it is built after the controller it points at and stopped
// and destroyed before it.
#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/profile_receiver.h"

class tandrel_zp_clients {
public:
    tandrel_zp_clients() = default;
    tandrel_zp_clients(const tandrel_zp_clients&) = delete;
    tandrel_zp_clients& operator=(const tandrel_zp_clients&) = delete;

    SensorController controller;
    ProfileReceiver receiver;
};
