#include "app/settings_jobs.h"

#include <QCoreApplication>

#include "app/settings_file.h"
#include "sensor_client/linelaser_client.h"

namespace {

constexpr int kDevice = 0;

// The live reads stay off the command channel for the job's whole life.
class PausedLink {
public:
    PausedLink() { hvq5_set_link_paused(kDevice, 0); }
    ~PausedLink() { hvq5_set_link_paused(kDevice, 1); }
    PausedLink(const PausedLink&) = delete;
    PausedLink& operator=(const PausedLink&) = delete;
};

DeviceProgress progressReport(const SettingsJobContext& context, const QString& label, const QString& title) {
    return [&context, label, title](int percent) {
        context.report(percent, label, title);
        return context.progressActive->load();
    };
}

}  // namespace

void exportSettingsWorker(const QString& path, const SettingsJobContext& context) {
    const QString title = QCoreApplication::translate("QtLineLaserClient", "导出");
    context.progressActive->store(true);
    context.blocks->clear();
    PausedLink paused;
    const int status = hvq5_read_settings_block(
        kDevice, context.blocks,
        progressReport(context, QCoreApplication::translate("QtLineLaserClient", "参数设定导出中"), title));
    if (status != 0)
        context.report(-1, QCoreApplication::translate("QtLineLaserClient", "参数设定导出失败!"), title);
    else if (zps::writeFile(path, *context.blocks))
        context.report(100, QCoreApplication::translate("QtLineLaserClient", "参数设定导出完成"), title);
    else
        context.report(-1, QCoreApplication::translate("QtLineLaserClient", "设定文件保存失败!"), title);
}

void importSettingsWorker(const SettingsJobContext& context) {
    const QString title = QCoreApplication::translate("QtLineLaserClient", "导入");
    context.progressActive->store(true);
    PausedLink paused;
    int status = hvq5_write_settings_block(
        kDevice, context.blocks,
        progressReport(context, QCoreApplication::translate("QtLineLaserClient", "参数设定导入中"), title));
    // Only settings that reached the sensor are stored permanently.
    if (status == 0) status = linelaserClient()->rewriteTemporarySetting();
    if (status != 0)
        context.report(-1, QCoreApplication::translate("QtLineLaserClient", "参数设定导入失败!"), title);
    else
        context.report(100, QCoreApplication::translate("QtLineLaserClient", "参数设定导入完成"), title);
}
