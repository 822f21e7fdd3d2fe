#include "app/net_address_text.h"

#include <QStringList>

std::optional<std::array<uint8_t, 4>> parseNetAddressText(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4) return std::nullopt;
    std::array<uint8_t, 4> bytes{};
    for (int i = 0; i < 4; ++i) {
        const QString& part = parts[i];
        if (part.isEmpty() || part.size() > 3) return std::nullopt;
        for (QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        const int value = part.toInt();
        if (value > 255) return std::nullopt;
        bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(value);
    }
    return bytes;
}

QString netAddressText(const uint8_t bytes[4]) {
    return QStringLiteral("%1.%2.%3.%4").arg(bytes[0]).arg(bytes[1]).arg(bytes[2]).arg(bytes[3]);
}
