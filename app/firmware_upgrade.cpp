#include "app/firmware_upgrade.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstring>

#include "sensor_client/linelaser_client.h"
#include "sensor_client/log_helper.h"
#include "sensor_client/sleeper.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_open_api.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "sensor_interface/registry/open_close.h"

namespace {

constexpr int kDevice = 0;
constexpr int kHeadVersionRegister = 134;
constexpr int kControllerVersionRegister = 135;
constexpr int kControllerWordRegister = 166;
constexpr uint64_t kControllerFlash = 164;
constexpr uint64_t kHeadFlash = 166;
constexpr int kHeadAttempts = 3;
constexpr int kHeadsOfFourHeadModel = 4;

QString hex4(uint32_t value) { return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')); }

void pause(int ms) { ui::sleeper().sleepMs(ms); }

using namespace upgrade_prompt;

// One run of the job over every head of the sensor.
class UpgradeRun {
public:
    UpgradeRun(const QString& packagePath, const UpgradeJobContext& context)
        : packagePath_(packagePath), context_(context) {
        choice_.headImageAddress = context.headImageAddress;
    }

    void run(const QString& addressText, const QString& portText) {
        context_.progressActive->store(true);
        const QStringList parts = addressText.split(QLatin1Char('.'), Qt::SkipEmptyParts);
        if (parts.size() != 4) return fail(QCoreApplication::translate("QtLineLaserClient", "通信配置不正确!"));
        for (int k = 0; k < 4; ++k) first_[k] = static_cast<uint8_t>(parts[k].toUInt());
        port_ = static_cast<uint16_t>(portText.toUInt());
        for (int head = 0; head < heads_; ++head)
            if (!upgradeHead(head)) return;
        context_.prompt(kController, 100);
    }

private:
    struct Firmware {
        uint32_t head = 0;       // register 134
        uint32_t register135 = 0;
        uint32_t register166 = 0;
        uint32_t controller() const { return register135 << 16 | register166; }
        bool integrated() const { return zpf::isIntegratedSensor(register166); }
    };

    void fail(const QString& message) { context_.prompt(kFailure, message); }

    QString deviceName(bool integrated) const {
        return integrated ? QCoreApplication::translate("QtLineLaserClient", "传感器")
                          : QCoreApplication::translate("QtLineLaserClient", "控制器");
    }

    HVQ5_NET_ADDRESS addressOf(int head) const {
        HVQ5_NET_ADDRESS address{};
        std::memcpy(address.ip, first_.data(), 4);
        address.ip[3] = static_cast<uint8_t>(address.ip[3] + head);
        address.port = port_;
        return address;
    }

    // Reads a register into *value (0 when the read fails); the read's status.
    static int readRegister(int reg, uint32_t* value) {
        int read = 0;
        const int status = linelaserClient()->cfgRegister(0, reg, &read);
        *value = static_cast<uint32_t>(read);
        return status;
    }

    // A progress callback that reports with `type` and remembers whether it
    // stopped the write: a stopped write reports success but left a partial image.
    DeviceProgress flashProgress(int type, bool* stopped) {
        *stopped = false;
        return [this, type, stopped](int percent) {
            context_.prompt(type, type == kHead ? percent : std::min(percent, 99));
            if (context_.progressActive->load()) return true;
            *stopped = true;
            return false;
        };
    }

    bool upgradeHead(int head) {
        const HVQ5_NET_ADDRESS address = addressOf(head);
        Firmware firmware;
        if (!connectHead(head, address, &firmware.head)) return false;
        // A controller whose words cannot be read gets no image chosen on a guess.
        if (readRegister(kControllerWordRegister, &firmware.register166) != 0 ||
            readRegister(kControllerVersionRegister, &firmware.register135) != 0) {
            fail(QCoreApplication::translate("QtLineLaserClient", "连接传感器失败!"));
            return false;
        }
        if (!choose(firmware)) return false;

        const bool integrated = firmware.integrated();
        if (!integrated && !(choice_.hasHeadImage && zpf::headImageFits(firmware.head, choice_.headImageVersion))) {
            fail(
                QCoreApplication::translate("QtLineLaserClient", "激光头固件版本不兼容 (%1)").arg(hex4(firmware.head)));
            return false;
        }
        if (!choice_.hasControllerImage) {
            fail(QCoreApplication::translate("QtLineLaserClient", "%1固件版本不兼容 (%2.%3)")
                     .arg(deviceName(integrated), hex4(firmware.register135), hex4(firmware.register166)));
            return false;
        }

        bool headWritten = false;
        if (!integrated && !writeHead(firmware, &headWritten)) return false;
        bool controllerWritten = false;
        if (!writeController(firmware, &controllerWritten)) return false;

        bool controllerRebooted = false;
        if (headWritten) {
            HVQ5_RebootCamera(kDevice);
            pause(upgrade_waits::kBetweenReboots);
            HVQ5_RebootController(kDevice);
            controllerRebooted = true;
        } else if (controllerWritten) {
            HVQ5_RebootController(kDevice);
            controllerRebooted = true;
        }
        if (controllerRebooted && zpf::reinitialiseAfterReboot(firmware.register166, choice_.controllerImageVersion))
            return reinitialise(address);
        return true;
    }

    // Connects device 0 to the head, rebooting the controller while the head
    // stays silent; *headVersion is register 134.
    bool connectHead(int head, const HVQ5_NET_ADDRESS& address, uint32_t* headVersion) {
        for (int attempt = 1;; ++attempt) {
            linelaserClient()->close();
            pause(upgrade_waits::kAfterClose);
            if (hvq5_change_address(kDevice, &address) != 0) {
                fail(QCoreApplication::translate("QtLineLaserClient", "连接传感器失败!"));
                return false;
            }
            if (head == 0 && attempt == 1) heads_ = headCount();
            uint32_t version = 0;
            readRegister(kHeadVersionRegister, &version);  // a failed read is a silent head (0)
            version &= 0xFFFF;
            if (version != 0 && version != 0xFFFF) {
                *headVersion = version;
                return true;
            }
            if (attempt == kHeadAttempts) {
                fail(QCoreApplication::translate("QtLineLaserClient", "连接激光头失败 (%1)，请检查线缆连接后重试")
                         .arg(hex4(version)));
                return false;
            }
            HVQ5_RebootController(kDevice);
            context_.prompt(kBusy, QCoreApplication::translate("QtLineLaserClient", "waiting"));
            pause(upgrade_waits::kControllerReboot);
        }
    }

    static int headCount() {
        char model[16] = {};
        if (HVQ5_GetHeadModel(kDevice, model) != 0) return 1;
        const size_t length = strnlen(model, sizeof model);
        return length > 0 && model[length - 1] == 'F' ? kHeadsOfFourHeadModel : 1;
    }

    bool choose(const Firmware& firmware) {
        choice_.clearImages();
        QFile package(packagePath_);
        bool parsed = package.open(QIODevice::ReadOnly) &&
                      zpf::parseUpgradePackage(&package, firmware.head, firmware.controller(), &choice_);
        context_.keepChoice(choice_);
        LogHelper::logFormat(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, "upgrading from %x.%x%x to %x.%x",
                             firmware.head, firmware.register135, firmware.register166, choice_.headImageVersion,
                             choice_.controllerImageVersion);
        LogHelper::logFormat(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, "camera written address: 0x%x",
                             choice_.headImageAddress);
        if (!parsed) fail(QCoreApplication::translate("QtLineLaserClient", "升级包校验失败!"));
        return parsed;
    }

    bool writeHead(const Firmware& firmware, bool* written) {
        if (choice_.headImageVersion == firmware.head &&
            !context_.ask(kQuestion,
                          QCoreApplication::translate("QtLineLaserClient", "激光头固件版本号相同，是否跳过？"))) {
            context_.prompt(kHead, 100);
            return true;
        }
        bool stopped = false;
        const DeviceProgress progress = flashProgress(kHead, &stopped);
        const QByteArray& image = choice_.headImage;
        const int status =
            zpf::usesSecondHeadWritePath(firmware.head)
                ? hvq5_write_head_image(kDevice, choice_.headImageAddress, image.constData(),
                                        static_cast<uint64_t>(image.size()), progress)
                : hvq5_write_image(kDevice, kHeadFlash, choice_.headImageAddress, image.constData(),
                                   static_cast<uint64_t>(image.size()), progress);
        bool ok = status == 0 && !stopped;
        if (ok && zpf::resetSettingsAfterHeadWrite(firmware.register166, choice_.controllerImageVersion))
            ok = hvq5_reset_settings(kDevice) == 0;
        if (!ok) {
            fail(QCoreApplication::translate("QtLineLaserClient",
                                             "激光头固件升級失败! 请勿断电或重启，然后尝试再次升级"));
            return false;
        }
        *written = true;
        return true;
    }

    bool writeController(const Firmware& firmware, bool* written) {
        const QString device = deviceName(firmware.integrated());
        if (choice_.controllerImageVersion == firmware.controller() &&
            !context_.ask(
                kQuestion,
                QCoreApplication::translate("QtLineLaserClient", "%1固件版本号相同，是否跳过？").arg(device))) {
            context_.prompt(kController, 99);
            return true;
        }
        bool stopped = false;
        const QByteArray& image = choice_.controllerImage;
        const int status =
            hvq5_write_image(kDevice, kControllerFlash, 0, image.constData(), static_cast<uint64_t>(image.size()),
                             flashProgress(controllerProgressType(firmware.register166), &stopped));
        bool ok = status == 0 && !stopped;
        if (ok && zpf::resetSettingsAfterControllerWrite(firmware.register166, choice_.controllerImageVersion))
            ok = hvq5_reset_settings(kDevice) == 0;
        if (!ok) {
            fail(QCoreApplication::translate("QtLineLaserClient", "%1固件升級失败! 请勿断电或重启，然后尝试再次升级")
                     .arg(device));
            return false;
        }
        *written = true;
        return true;
    }

    // Controllers that take their new settings only after the reboot: wait
    // for it, reconnect, reset the settings and reboot once more.
    bool reinitialise(const HVQ5_NET_ADDRESS& address) {
        LogHelper::log(CLOG_LEVEL::RINFO, nullptr, nullptr, __LINE__, QStringLiteral("setting init flag for 1231..."));
        context_.prompt(kBusy, QCoreApplication::translate("QtLineLaserClient", "waiting"));
        pause(upgrade_waits::kControllerReboot);
        // Device 0 still holds the connection the reboot broke.
        linelaserClient()->close();
        if (hvq5_change_address(kDevice, &address) != 0) {
            fail(QCoreApplication::translate("QtLineLaserClient", "连接失败! 请检查线缆连接后手动恢复出厂设置"));
            return false;
        }
        pause(upgrade_waits::kBeforeSettingsReset);
        if (hvq5_reset_settings(kDevice) != 0) {
            fail(QCoreApplication::translate("QtLineLaserClient", "参数重置失败! 请连接后手动恢复出厂设置"));
            return false;
        }
        HVQ5_RebootController(kDevice);
        // The upgrade ends once, after the last head: a "done" here would stop
        // the next head's writes, and a second one take the first one down.
        context_.prompt(kController, 99);
        return true;
    }

    const QString packagePath_;
    const UpgradeJobContext& context_;
    zpf::UpgradeChoice choice_;
    std::array<uint8_t, 4> first_{};
    uint16_t port_ = 0;
    int heads_ = 1;  // learnt at the first connection
};

}  // namespace

int controllerProgressType(uint32_t register166) {
    return std::max(upgrade_prompt::kController, static_cast<int>(register166 & 0xFFFF));
}

void firmwareUpgradeWorker(const QString& packagePath, const QString& address, const QString& port,
                           const UpgradeJobContext& context) {
    UpgradeRun(packagePath, context).run(address, port);
}
