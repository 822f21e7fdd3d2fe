#pragma once
// The imaging pages inside the settings-window stand-in, against the real
// client on the simulator; what the pages sent is read from its packet log.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QStackedWidget>

#include <cstdint>
#include <memory>
#include <vector>

#include "tests/support/imaging_window/imaging_window_stand_in.h"
#include "tests/support/qt/client_fixture.h"
#include "tests/support/qt/scripted_prompter.h"
#include "tools/sensor_sim/sim_faults.h"
#include "tools/sensor_sim/sim_models.h"
#include "tools/sensor_sim/sensor_model.h"
#include "views/camera/full_view_widget.h"
#include "views/camera/img_graphics_view.h"

namespace mirevo::test {

constexpr uint8_t kShapeBlockOpcode = 178;
constexpr uint32_t kDebugModeRegister = 2;

// One register write the sensor received.
struct RegisterWrite {
    uint32_t reg;
    uint32_t value;
    bool operator==(const RegisterWrite& o) const { return reg == o.reg && value == o.value; }
};
inline std::ostream& operator<<(std::ostream& os, const RegisterWrite& w) {
    return os << w.reg << " := " << static_cast<int32_t>(w.value);
}

class ImagingPageTest : public ClientFixture {
protected:
    // The model text of the simulated head (third character: the series).
    virtual const char* model() const { return "ZP4100"; }
    virtual void adjustOptions(ClientSensorOptions&) const {}

    ClientSensorOptions sensorOptions() const override {
        ClientSensorOptions options;
        options.preset.model = model();
        adjustOptions(options);
        return options;
    }

    void SetUp() override {
        ClientFixture::SetUp();
        if (HasFatalFailure()) return;
        geometry = sensor_sim::simGeometry(model());
        window = std::make_unique<ImagingWindowStandIn>();
        window->show();
        sensor().clearPacketLog();
    }
    void TearDown() override {
        client().stopAcquisition();
        window.reset();
        ClientFixture::TearDown();
    }

    // Register writes (opcode 160) the sensor received since the log was
    // cleared, but for register 2 := 1, which every live profile or image
    // read sends with its DEBUG request.
    std::vector<RegisterWrite> registerWrites() {
        std::vector<RegisterWrite> writes;
        for (const auto& packet : sensor().packetLog()) {
            const uint32_t reg = packet.address & 0xFFFF;
            if (packet.opcode == 160 && !(reg == kDebugModeRegister && packet.value == 1))
                writes.push_back({reg, packet.value});
        }
        return writes;
    }
    // Shape-block commands (loads and stores) the sensor received since then.
    std::vector<sensor_sim::LoggedPacket> shapeBlockWrites() {
        std::vector<sensor_sim::LoggedPacket> writes;
        for (const auto& packet : sensor().packetLog())
            if (packet.opcode == kShapeBlockOpcode && (packet.address >> 16) != 0) writes.push_back(packet);
        return writes;
    }

    // The next read or write of reg is answered with another address.
    void failNextAccessTo(uint32_t reg) {
        sensor_sim::Fault fault;
        fault.kind = sensor_sim::FaultKind::WrongAddressEcho;
        fault.times = 1;
        sensor().head().injectRegisterFault(reg, fault);
    }
    void failNextShapeBlockCommand() {
        sensor_sim::Fault fault;
        fault.kind = sensor_sim::FaultKind::WrongAddressEcho;
        fault.times = 1;
        sensor().head().injectOpcodeFault(kShapeBlockOpcode, fault);
    }

    sensor_sim::SensorModel& simModel() { return sensor().head().model(); }

    // Drags a rectangle over the camera image from image pixel `from` to
    // `to` (display columns, window rows) with the mouse, zoomed in so that
    // every pixel is several screen pixels wide.
    void dragOnImage(QPointF from, QPointF to) {
        window->leftStack()->setCurrentIndex(ImagingWindowStandIn::kLeftCameraImage);
        ImgGraphicsView& view = *window->imagePage->graphicsView();
        showfullimg& scene = *view.scene;
        scene.fitView();
        for (int i = 0; i < 3; ++i) scene.zoomIn();
        view.centerOn((from + to) * 25.0 + QPointF(25, 25));
        const auto at = [&](QPointF p) { return view.mapFromScene(p * 50.0 + QPointF(25, 25)); };
        send(view, QEvent::MouseMove, at(from), Qt::NoButton);
        send(view, QEvent::MouseButtonPress, at(from), Qt::LeftButton);
        send(view, QEvent::MouseMove, at(to), Qt::LeftButton);
        send(view, QEvent::MouseButtonRelease, at(to), Qt::NoButton);
        scene.fitView();
    }

    sensor_sim::SimGeometry geometry{};
    std::unique_ptr<ImagingWindowStandIn> window;

private:
    static void send(QGraphicsView& view, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, view.viewport()->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
    }
};

}  // namespace mirevo::test
