#include "settings_windows/realtime_status_line.h"

#include <QCoreApplication>

#include <cstdint>

RealtimeStatusTexts realtimeStatusTexts(int register149, int register143, int register144, int batchMs) {
    RealtimeStatusTexts texts;
    texts.batch = register149 == 1 ? QCoreApplication::translate("RealTimeSettingDlg", "批处理设定：ON")
                                   : QCoreApplication::translate("RealTimeSettingDlg", "批处理设定：OFF");
    switch (register143) {
    case 0: texts.trigger = QCoreApplication::translate("RealTimeSettingDlg", "触发模式：连续触发"); break;
    case 1: texts.trigger = QCoreApplication::translate("RealTimeSettingDlg", "触发模式：外部触发"); break;
    default: texts.trigger = QCoreApplication::translate("RealTimeSettingDlg", "触发模式：编码器触发"); break;
    }
    if (register144 != 0) {
        // The line period in microseconds, taken as unsigned.
        const float hz = static_cast<float>(1000000u / static_cast<uint32_t>(register144));
        if (hz >= 1000.0f) {
            const float khz = hz / 1000.0f - 0.005f;
            texts.sampling = QCoreApplication::translate("RealTimeSettingDlg", "采样频率：") +
                             QStringLiteral("%1KHz").arg(static_cast<double>(khz), 0, 'f', 2);
        } else {
            texts.sampling = QCoreApplication::translate("RealTimeSettingDlg", "采样频率：") +
                             QStringLiteral("%1Hz").arg(static_cast<double>(hz), 0, 'g', 6);
        }
    }
    texts.batchTime =
        QCoreApplication::translate("RealTimeSettingDlg", "批处理时间：") + QStringLiteral("%1ms").arg(batchMs);
    return texts;
}
