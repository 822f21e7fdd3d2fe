#include "views/height/height_export.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include <memory>
#include <string>

#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/log_helper.h"
#include "sensor_client/prompter.h"
#include "sensor_client/settings_keys.h"
#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/registry/hvq5_setting_api.h"
#include "views/height/height_export_runner.h"

namespace {

// The texts belong to the height view, whose buttons start the export.
QString viewText(const char* text) { return QCoreApplication::translate("HeightView", text); }

const char* const kSaveFilter = QT_TRANSLATE_NOOP(
    "HeightView",
    "csv高度数据(毫米) (*.csv);;csv高度数据带行号(毫米) (*.row_csv);;tif数据 (*.tif);;定制tif数据 "
    "(*.customized.tif);;tiff数据 (*.tiff);;pcd点云数据 (*.pcd);;ascii_pcd点云数据 (*.ascii_pcd);;ply点云数据 "
    "(*.ply);;ascii_ply点云数据 (*.ascii_ply);;txt点云数据 (*.txt);;txt点云数据-使用点间距 (*.ypitch_txt)");
const char* const kStartName = "heightline_mm";
const char* const kAutoSaveFolder = "batch_data";

// The customized TIF's output width when the extended value cannot be read.
constexpr int kDefaultOutputWidth = 563;
// TIFF widths are 16-bit in practice; a register above that is no output width.
constexpr int kMaxOutputWidth = 65535;
constexpr int kScaleRegister = 353;
constexpr int kOffsetRegister = 350;
constexpr int kReferenceRegister = 357;

HeightExportStatus writeTif(LinelaserClient& client, const HeightExportTarget& target, const std::string& path,
                            const BatchCopy& batch, const HeightExportParams& params, float precision) {
    // The registers of the sensor's 16-bit codes, read in this order for either layout.
    int scale = 0, offset = 0, reference = 0;
    const int scaleRead = client.cfgRegister(0, kScaleRegister, &scale);
    const int offsetRead = client.cfgRegister(0, kOffsetRegister, &offset);
    const int referenceRead = client.cfgRegister(0, kReferenceRegister, &reference);
    const bool registersRead = scaleRead == 0 && offsetRead == 0 && referenceRead == 0;
    if (!target.customized) {
        if (batch.rows() == 0) return HeightExportStatus::NoData;
        // A register that read as 0 would give a picture of 32768 only.
        if (!registersRead) return HeightExportStatus::RegisterReadFailed;
        return writeTifImage(path, registerTifCodes(batch, scale, offset, reference), batch.intensity, params,
                             batch.withIntensity);
    }
    if (batch.rows() == 0) return HeightExportStatus::NoData;
    if (precision == 0.0f) return HeightExportStatus::ZeroPrecision;
    CustomizedTifLayout layout;
    layout.precision = precision;
    layout.outputWidth = kDefaultOutputWidth;
    HVQ5_2_GET_EXTEND_PROFILE_OUTPUT_WIDTH(client.deviceId, &layout.outputWidth);
    if (layout.outputWidth == 0) layout.outputWidth = client.profilePointCount();
    if (layout.outputWidth < 0 || layout.outputWidth > kMaxOutputWidth) return HeightExportStatus::BadOutputWidth;
    // Without an open sensor the heights keep their own zero.
    layout.zOffsetUm = 0.0;
    HVQ5_2_GET_EXTEND_563TIF_Z_OFFSET(client.deviceId, &layout.zOffsetUm);
    cv::Mat codes, intensity;
    customizedTifImages(batch, layout, &codes, &intensity);
    return writeTifImage(path, codes, intensity, params, batch.withIntensity);
}

// What went wrong, for the person who chose the file.
QString exportFailureReason(const HeightExportResult& result) {
    switch (result.status) {
        case HeightExportStatus::UnknownType:
            return QCoreApplication::translate("HeightView", "文件类型未知：请选择一种文件类型或输入其扩展名");
        case HeightExportStatus::ZeroPrecision:
            return QCoreApplication::translate("HeightView", "tif精度为0，请在高度范围设置中修改");
        case HeightExportStatus::BadOutputWidth:
            return QCoreApplication::translate("HeightView", "轮廓输出宽度不可用");
        case HeightExportStatus::RegisterReadFailed:
            return QCoreApplication::translate("HeightView", "读取传感器寄存器失败");
        case HeightExportStatus::WriteFailed: {
            const QFileInfo folder(QFileInfo(result.path).absolutePath());
            if (!folder.isDir()) return QCoreApplication::translate("HeightView", "文件夹不存在");
            if (!folder.isWritable()) return QCoreApplication::translate("HeightView", "没有写入该文件夹的权限");
            return QCoreApplication::translate("HeightView", "无法写入文件");
        }
        case HeightExportStatus::Written:
        case HeightExportStatus::NoData: break;
    }
    return QString();
}

void report(QWidget* owner, HeightExportOrigin origin, const HeightExportResult& result) {
    if (result.status == HeightExportStatus::Written) return;
    if (origin == HeightExportOrigin::AutoSave) {
        LogHelper::log(CLOG_LEVEL::RWARNING, nullptr, nullptr, __LINE__,
                       QStringLiteral("batch data not saved to %1: %2")
                           .arg(result.path, QLatin1String(heightExportStatusText(result.status))));
        return;
    }
    if (result.status == HeightExportStatus::NoData) {
        ui::prompter().question(owner, QCoreApplication::translate("HeightView", "提示"),
                                QCoreApplication::translate("HeightView", "没有数据!"), QMessageBox::Ok);
        return;
    }
    ui::prompter().warning(owner, QCoreApplication::translate("HeightView", "提示"),
                           QCoreApplication::translate("HeightView", "导出失败!") + "\n" + result.path + "\n" +
                               exportFailureReason(result),
                           QMessageBox::Ok);
}

}  // namespace

QString heightExportStartPath(const QString& lastPath) {
    // The folder part, separator included; none for a bare name.
    return lastPath.left(lastPath.lastIndexOf(QLatin1Char('/')) + 1) + QLatin1String(kStartName);
}

void saveHeightDataWithDialog(QWidget* owner) {
    if (linelaserClient()->batchProfileCount.load() == 0) {
        ui::prompter().question(owner, QCoreApplication::translate("HeightView", "提示"),
                                QCoreApplication::translate("HeightView", "没有数据!"), QMessageBox::Ok);
        return;
    }
    const QString last = settingsString(settings_keys::kHisOutCsv);
    const QString chosen =
        ui::prompter().getSaveFileName(owner, QCoreApplication::translate("HeightView", "保存高度数据(毫米)"),
                                       heightExportStartPath(last), viewText(kSaveFilter));
    if (chosen.isEmpty()) return;
    setSettingsString(settings_keys::kHisOutCsv, chosen);
    exportHeightData(owner, chosen, HeightExportOrigin::Dialog);
}

void autoSaveHeightData(QWidget* owner) {
    QDir().mkdir(QLatin1String(kAutoSaveFolder));
    const QString path = QLatin1String(kAutoSaveFolder) + QLatin1Char('/') +
                         QString::fromStdString(LogManager::timeStampText()) + QStringLiteral(".customized.tif");
    exportHeightData(owner, path, HeightExportOrigin::AutoSave);
}

void exportHeightData(QWidget* owner, const QString& path, HeightExportOrigin origin, HeightExportRunner* runner,
                      std::function<void(const HeightExportResult&)> done) {
    LinelaserClient* client = linelaserClient();
    HeightExportJob job;
    job.path = path;
    job.precision = static_cast<float>(settingsDouble(settings_keys::kHeightPrecision));
    job.params.xPitch = static_cast<float>(client->xPitchMm);
    job.params.zUpper = static_cast<float>(client->zUpperMm);
    job.params.zLower = static_cast<float>(client->zLowerMm);
    job.params.invalid = static_cast<float>(HVQ5_GetZNullDataMM());
    if (!runner) runner = HeightExportRunner::forApplication();
    auto result = std::make_shared<HeightExportResult>();
    QPointer<QWidget> reportTo(owner);
    runner->start([client, job, result] { *result = exportWorker(*client, job); },
                  [reportTo, origin, result, done = std::move(done)] {
                      report(reportTo.data(), origin, *result);
                      if (done) done(*result);
                  });
}

HeightExportResult exportWorker(LinelaserClient& client, const HeightExportJob& job) {
    const HeightExportTarget target = heightExportTarget(job.path);
    HeightExportResult result;
    result.path = target.path;
    if (target.writer == HeightExportWriter::None) {
        result.status = HeightExportStatus::UnknownType;
        return result;
    }
    // Texts and 16-bit codes are made from the heights as the client holds
    // them; the float formats from floats.
    const bool exact = target.writer == HeightExportWriter::PointText ||
                       target.writer == HeightExportWriter::PointTextY || target.writer == HeightExportWriter::Tif;
    const BatchCopy batch = copyClientBatch(client, exact ? CV_64F : CV_32F);
    HeightExportParams params = job.params;
    params.yPitch = static_cast<float>(client.yPitch());
    const std::string path = QFile::encodeName(target.path).toStdString();
    switch (target.writer) {
        case HeightExportWriter::RowCsv: result.status = writeRowCsv(path, batch); break;
        case HeightExportWriter::Cloud:
            result.status = writeBatchCloud(path, batch, params, target.cloudType, target.organize);
            break;
        case HeightExportWriter::Tif: result.status = writeTif(client, target, path, batch, params, job.precision); break;
        case HeightExportWriter::PointText: result.status = writePointText(path, batch, params, false); break;
        case HeightExportWriter::PointTextY: result.status = writePointText(path, batch, params, true); break;
        case HeightExportWriter::None: break;
    }
    return result;
}
