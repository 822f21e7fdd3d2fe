#include "app/head_switch.h"

#include "app/net_address_text.h"
#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"

namespace head_switch {

bool reopened(int status) { return status == 0 || status == 254 || status == 255; }

std::optional<QString> headAddress(const QString& firstHead, int index) {
    if (index < 0 || index >= kHeadCount) return std::nullopt;
    const auto bytes = parseNetAddressText(firstHead);
    if (!bytes) return std::nullopt;
    const int last = (*bytes)[3] + index;
    if (last > 255) return std::nullopt;
    uint8_t head[4] = {(*bytes)[0], (*bytes)[1], (*bytes)[2], static_cast<uint8_t>(last)};
    return netAddressText(head);
}

int run(int index, std::atomic<int>& currentHead, std::atomic<int>& result) {
    const QString port = settingsString(settings_keys::kConnectPort);
    const std::optional<QString> address = headAddress(settingsString(settings_keys::kConnectIp), index);
    int status = kNoAddress;
    if (address) status = linelaserClient()->open(*address, port.toInt());
    if (status == 0) currentHead.store(index, std::memory_order_relaxed);
    result.store(status, std::memory_order_release);
    return status;
}

}  // namespace head_switch
