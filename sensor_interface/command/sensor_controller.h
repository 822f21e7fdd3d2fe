#pragma once
// The command half of one open sensor: the TCP command channel (register
// packets and their echoes, bulk payloads and text streams behind them), the
// register image and the head information that the exchanges keep up to date.
//
// Locking: transferMutex_ covers one packet exchange (send and echo);
// transactionMutex_ covers a compound operation (exchange plus the data that
// follows). When both are held, transactionMutex_ is always taken first. An
// operation that holds transactionMutex_ uses transact/transactWithPayload,
// never readRegister/writeRegister (neither mutex is recursive).
// A compound receives its stream or block without transferMutex_, so every
// exchange that stands alone (block transfers, raw exchanges, program and
// settings-block commands, flash chunks) takes transactionMutex_ as well:
// otherwise its request could go out in the middle of another thread's
// stream and each side would read the other's bytes.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/socket.h"
#include "sensor_interface/command/block_codec.h"
#include "sensor_interface/settings/batch_status.h"
#include "sensor_interface/settings/hvq5_settings.h"

class ProfileProcessor;
class SettingDispatcher;

// The batch read over the command channel, filled block by block.
struct CommandBatch {
    std::vector<uint8_t> profileBytes;
    std::vector<uint8_t> grayBytes;
    std::vector<uint32_t> valuesA;
    std::vector<uint32_t> valuesB;
    std::vector<uint64_t> timeStamps;
    int32_t framesReceived = 0;
    int32_t completion = 0;  // 0x10000 complete, 8 incomplete, 16 failed, 0 while reading
    int32_t blockIndex = 0;
};

class SensorController {
public:
    using Bytes = std::vector<uint8_t>;
    static constexpr int kDefaultTimeoutMs = 2000;
    static constexpr std::size_t kRxBufferSize = 10240;
    static constexpr std::size_t kBlockReplyCapacity = 4107;  // echo + 4096 bytes
    static constexpr int kConnectWaitMs = 200;
    // The usual pauses between a register request and its first receive.
    static constexpr int kRegisterReadWaitMs = 10;
    static constexpr int kRegisterWriteWaitMs = 2;
    static constexpr int kReceiveBufferBytes = 0xC800000;
    static constexpr uint32_t kBulkSizeRegister = 278;

    SensorController();
    ~SensorController();
    SensorController(const SensorController&) = delete;
    SensorController& operator=(const SensorController&) = delete;

    // Connection.
    bool connect(int deviceId, const std::string& address, int port);
    bool reconnect();
    void drainSocket();
    void closeSockets(bool alsoCommand);
    // Tunes the system's acknowledgement timing for the sensor's interface;
    // true when something was tuned.
    static bool tuneTcpAck(const std::string& address);

    // One exchange: send the packet (and payload), receive the 11-byte echo.
    int transact(uint8_t opcode, uint32_t address, uint32_t& value, int waitMs);
    int transact(uint8_t opcode, uint16_t hi, uint16_t lo, uint32_t& value, int waitMs);
    int transactWithPayload(uint8_t opcode, uint32_t address, uint32_t& value, int waitMs,
                            const Bytes* payload);
    int transactHiLo(uint8_t opcode, uint16_t hi, uint16_t lo, uint32_t& value, int waitMs,
                     const Bytes* payload);
    // Sends without waiting for a reply; only inside a compound (the caller
    // holds transactionMutex_).
    int sendOnly(uint8_t opcode, uint32_t address, uint32_t value);
    // Exchanges that stand alone: they take transactionMutex_ themselves.
    int exchangeRaw(uint8_t opcode, uint32_t address, Bytes& out);
    int transactAlone(uint8_t opcode, uint32_t address, uint32_t& value, int waitMs, const Bytes* payload);

    // Register access under the transaction mutex, optionally followed by a
    // bulk payload (of bulkSize bytes, or of the size a read of register 278
    // announces).
    int readRegister(uint32_t reg, uint32_t& value, int waitMs, bool bulk = false,
                     Bytes* bulkOut = nullptr, std::size_t bulkSize = 0);
    int writeRegister(uint32_t reg, uint32_t value, Bytes* bulkOut = nullptr, int waitMs = 2,
                      bool bulk = false, std::size_t bulkSize = 0);

    // Data behind an echo.
    int receiveBulk(Bytes* out, std::size_t size, bool stopAtEnd);
    int receiveUntil(Bytes& out, const std::string& terminator, int timeoutMs, std::size_t minLength);
    // A block exchange standing alone (it takes transactionMutex_): packet
    // plus payload out, echo plus block back. With
    // expectedPayload > 0 the block is received until it has that many bytes;
    // otherwise whatever one receive brings behind the echo is the block.
    int transferBlock(uint8_t opcode, uint16_t hi, uint16_t lo, uint32_t value, int waitMs, Bytes& data,
                      std::size_t expectedPayload = 0);

    // Fixed-size blocks and tables (each under the transaction mutex from the
    // exchange to the end of its payload).
    static constexpr std::size_t kCalibrationBytes = block_codec::kCalibrationBytes;
    static constexpr int kCalibrationRows = block_codec::kCalibrationRows;
    static constexpr int kCalibrationColumns = block_codec::kCalibrationColumns;
    static constexpr std::size_t kSmallBlockBytes = block_codec::kSmallBlockBytes;
    using CalibrationRows = block_codec::CalibrationRows;
    using Progress = std::function<bool(int percent)>;

    int readCalibrationTable(CalibrationRows& table);
    int readParamBlock(std::vector<int32_t>& values, int block);
    int readDefaultRegisters(hvq5_settings& target, int block);
    // opcode 176, 182, 184 or 183: copies the record's kept bytes to target.
    int readHeadRecord(uint8_t opcode, uint8_t* target);
    // The four head records into the first 132 bytes of the head information.
    int readHeadInformation(zp_laser_reg::laser_params& target);
    int readShapeBlock(uint8_t* target, int size);
    int writeShapeBlock(int kind, const uint8_t* source, int size);
    // Single block exchanges, each standing alone.
    int readSettingsBlock(std::vector<uint32_t>& words);
    int writeSettingsBlock(const std::vector<uint32_t>& words);
    // values.size() is the most the caller takes; it is cut to the count received.
    int readMeasuredValues(std::vector<int32_t>& values);
    int readMemoryBlocks(uint32_t start, uint32_t count, Bytes& out, const Progress& progress);

    unsigned int getVals(unsigned int reg) { return settings_.get_vals(reg); }
    hvq5_settings& settings() { return settings_; }

    // Programs and resets (system and program commands).
    int selectProgram(int program);
    int saveSettings();
    int resetProgram();
    int systemCommand3();
    int resetSettings();
    int loadProgram();
    int readActiveProgram(uint8_t& program);
    int restoreFactorySettings();

    // The batch read over the command channel into commandBatch: waits for
    // the sensor's trigger counter to move, then collects the batch block by
    // block from the sensor's batch memory.
    int readBatchStatusBlock(Bytes& data, BatchStatus& status);
    int receiveDataAuto(SettingDispatcher& dispatcher);
    int checkTriggerAhead();
    void collectCommandBatch(SettingDispatcher& dispatcher);
    int readCommandBatchBlock(SettingDispatcher& dispatcher, HVQ5_BATCH_HEADER& header);

    // Flash programming: the plain writer (opcode 164 or 166, 256-byte
    // chunks) and the head writer (opcode 166 with its own sub-header).
    int flashImage(uint8_t opcode, uint32_t base, const uint8_t* image, std::size_t size,
                   const std::function<bool(int)>& progress);
    int flashHeadImage(uint32_t base, const uint8_t* image, std::size_t size,
                       const std::function<bool(int)>& progress);

    // The DEBUG stream (debug_profile.cpp). The raw camera image into image
    // (capacity bytes), its row count into *rows, and for the first n points
    // (at most 2048, at most the processor's columns) the repaired peak row x 100
    // into peaks. 0; 5001 stream disabled; 4097 no processor; 4103 malformed
    // stream or more than 1024 rows; 4108 image larger than capacity; request
    // failures. Nothing is written unless the result is 0.
    int readDebugImage(uint8_t* image, std::size_t capacity, int32_t* peaks, int n, int32_t* rows);
    // The live profile: the processor's points heights (x100 units of the batch
    // rows) into profile, -999900000 outside the sensor's X window (registers 359
    // start and 358 width, in columns), and the 2048 intensity bytes when the
    // stream carries them. 0 (also when the stream holds no profile: nothing is
    // written then); 5001; 4097 no processor; 4102 capacity below the points;
    // 4103 malformed stream; request failures.
    int readDebugProfile(int32_t* profile, uint8_t* intensity, int capacity);

    // Head information, model geometry and user registers, read at open
    // (head_info.cpp).
    int readHeadInfo();
    int loadUserRegisters();
    bool checkLoadStatus();
    // count positions at the given pitch, centred on 0.
    static std::vector<double> xPositions(double pitch, int count);

    std::mutex& transactionMutex() { return transactionMutex_; }
    std::mutex& transferMutex() { return transferMutex_; }

    // Identity and connection state.
    int32_t sensorId = 0;
    int32_t timeoutMs = kDefaultTimeoutMs;
    bool ownConnection = false;
    std::string addressText = "192.168.1.10";
    int32_t portNumber = 7;
    bool connected() const { return commandSocket_ != mirevo::platform::kNoSocket; }

    // State used by the other command-channel operations and the dispatch.
    CommandBatch commandBatch;
    // readHeadInfo may replace the processor while the data-channel threads use
    // it: threads other than the opener go through currentProcessor, and every
    // replacement after the open through replaceProcessor.
    std::shared_ptr<ProfileProcessor> processor;
    std::shared_ptr<ProfileProcessor> currentProcessor() const { return std::atomic_load(&processor); }
    void replaceProcessor(std::shared_ptr<ProfileProcessor> fresh) { std::atomic_store(&processor, std::move(fresh)); }
    zp_laser_reg::laser_params laserParams{};
    double scaleLow = 1.0;
    double scaleHigh = 3.3;
    int32_t triggerCount = -1;
    bool batchCounterSeen = false;  // the batch read has taken the trigger counter's start
    // Written by the command-channel batch read, taken by the client's threads.
    std::atomic<int32_t> pendingStatus{0};
    // Set by the measurement starts, taken by the setting writer from another thread.
    std::atomic<bool> measurementStarted{false};
    // Switched by the client while its profile thread reads the DEBUG stream.
    std::atomic<bool> debugStreamEnabled{true};
    std::array<uint8_t, 15> debugInfo{};  // last info record of the DEBUG stream
    int32_t columns = 0;
    int32_t rows = 0;
    int32_t points = 0;
    double pointsPerColumn = 0.0;

private:
    enum class EchoCache { ReadValue, WrittenValue };
    enum class EchoOutcome { Complete, Partial, Nothing };

    int exchange(uint8_t opcode, uint32_t address, uint32_t& value, int waitMs, const Bytes* payload,
                 EchoCache cache);
    int reconnectAndDrain(int status);
    EchoOutcome receiveEcho(uint8_t* echo);
    bool receiveRemainder(uint8_t* data, std::size_t& have, std::size_t size);
    void applySocketOptions();
    static void reportReceiveTimeout();
    // Receives a fixed-size block behind an echo: at most maxPerReceive bytes
    // a time until at least blockSize are held; 4100 on a silence first.
    int receiveFixed(Bytes& held, std::size_t blockSize, std::size_t maxPerReceive);

    mirevo::platform::SocketHandle commandSocket_ = mirevo::platform::kNoSocket;
    mirevo::platform::SocketHandle previousSocket_ = mirevo::platform::kNoSocket;
    std::unique_ptr<uint8_t[]> rxBuffer_;
    std::mutex transferMutex_;
    std::mutex transactionMutex_;
    hvq5_settings settings_;
};
