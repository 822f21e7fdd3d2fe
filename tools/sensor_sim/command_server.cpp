#include "tools/sensor_sim/command_server.h"

#include <algorithm>
#include <thread>

#include "tools/sensor_sim/sim_sensor.h"

namespace sensor_sim {
namespace {

// Writes replies to the connection, optionally cut into pieces with pauses so
// that the interface sees them in separate receives.
class ConnectionReplyWriter : public ReplyWriter {
public:
    ConnectionReplyWriter(SimConnection& connection, int pieces, int pauseMs)
        : connection_(connection), pieces_(std::max(1, pieces)), pauseMs_(pauseMs) {}

    bool write(const void* data, size_t size) override {
        const auto* bytes = static_cast<const uint8_t*>(data);
        size_t pieceSize = std::max<size_t>(1, (size + pieces_ - 1) / pieces_);
        for (size_t offset = 0; offset < size; offset += pieceSize) {
            if (offset > 0) pause();
            if (!connection_.send(bytes + offset, std::min(pieceSize, size - offset))) return false;
        }
        return true;
    }

    void closeConnection() override { connection_.shutdown(); }

private:
    void pause() const { std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs_)); }

    SimConnection& connection_;
    int pieces_;
    int pauseMs_;
};

constexpr int kSplitPauseMs = 20;
const char kRejected[] = "END\r\n";

}  // namespace

bool CommandServer::start(const std::string& address, uint16_t port) {
    return server_.listen(address, port, [this](SimConnection& connection) { serve(connection); });
}

void CommandServer::serve(SimConnection& connection) {
    sensor_.countConnection();
    uint8_t head[kPacketSize];
    while (connection.readExact(head, sizeof head)) {
        Request request = decodePacket(head);
        SimSensor::Dispatch dispatch = sensor_.dispatchFor(request.opcode);
        if (dispatch.payloadSize) {
            request.payload.resize(dispatch.payloadSize(request));
            if (!request.payload.empty() && !connection.readExact(request.payload.data(), request.payload.size()))
                return;
        }
        sensor_.logPacket(LoggedPacket{std::chrono::steady_clock::now(), "command", request.opcode,
                                       request.address, request.value, request.payload});

        Fault fault;
        bool faulty = sensor_.takeFault(request, &fault);
        int pieces = 1;
        if (faulty) {
            switch (fault.kind) {
            case FaultKind::Silence:
                continue;
            case FaultKind::CloseConnection:
                connection.shutdown();
                return;
            case FaultKind::ShortEcho: {
                auto echo = encodePacket(request.opcode, request.address, request.value);
                size_t count = std::min<size_t>(static_cast<size_t>(std::max(0, fault.shortBytes)), echo.size());
                connection.send(echo.data(), count);
                continue;
            }
            case FaultKind::WrongAddressEcho: {
                auto echo = encodePacket(request.opcode, request.address + 1, request.value);
                connection.send(echo.data(), echo.size());
                connection.send(kRejected, sizeof kRejected - 1);
                continue;
            }
            case FaultKind::Delay:
                std::this_thread::sleep_for(std::chrono::milliseconds(fault.delayMs));
                break;
            case FaultKind::SplitReply:
                pieces = fault.pieces;
                break;
            }
        }
        int pauseMs = (faulty && fault.kind == FaultKind::SplitReply && fault.delayMs > 0) ? fault.delayMs
                                                                                          : kSplitPauseMs;
        ConnectionReplyWriter reply(connection, pieces, pauseMs);
        if (dispatch.handler) {
            dispatch.handler(sensor_, request, reply);
        } else {
            reply.echo(request.opcode, request.address, 0);
            reply.write(kRejected, sizeof kRejected - 1);
        }
        if (connection.isShut()) return;
    }
}

}  // namespace sensor_sim
