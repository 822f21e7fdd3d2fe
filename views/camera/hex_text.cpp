#include "views/camera/hex_text.h"

QString bytesToHexString(const uint8_t* data, int size, bool upper) {
    static const char lower[] = "0123456789abcdef";
    static const char capital[] = "0123456789ABCDEF";
    const char* digits = upper ? capital : lower;
    QString text;
    text.reserve(3 * (size > 0 ? size : 0));
    for (int i = 0; i < size; ++i) {
        text.append(QLatin1Char(digits[data[i] >> 4]));
        text.append(QLatin1Char(digits[data[i] & 0x0F]));
        text.append(QLatin1Char(' '));
    }
    return text;
}
