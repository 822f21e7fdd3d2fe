#include "settings_windows/supper_settings_dialog.h"

#include <QButtonGroup>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalBlocker>

#include <vector>

#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_client/prompter.h"
#include "sensor_interface/log/env_dword.h"
#include "sensor_interface/processing/debug_dump.h"
#include "sensor_interface/registry/device_functions.h"
#include "sensor_interface/registry/hvq5_api.h"
#include "settings_windows/core/controller_flash_export.h"
#include "settings_windows/core/value_rules.h"
#include "settings_windows/supper_settings_form.h"

namespace {

constexpr int kDevice = 0;
constexpr int kPeakMeanRegister = 438;
constexpr int kPeakDeltaRegister = 439;
constexpr int kProfileWidthRegister = 752;
constexpr int kHeightFilterRegister = 743;
constexpr int kZBaseRegister = 350;
constexpr int kZUpperRegister = 351;
constexpr int kZLowerRegister = 352;
constexpr int kZRatioRegister = 353;
constexpr const char* kRunLogLevel = "ZP_RUNLOG_EN";
constexpr const char* kRunLogSize = "ZP_RUNLOG_MAX_SIZE";
constexpr int kLogLevels = 3;

int readRegister(int reg) {
    int value = 0;
    linelaserClient()->cfgRegister(0, reg, &value);
    return value;
}

void writeRegister(int reg, int value) { linelaserClient()->cfgRegister(1, reg, &value); }

// The two frame time-out getters report success as 1, the others as 0.
bool extendRead(int status) { return status == 0 || status == 1; }

Qt::WindowFlags closeButtonOnly() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

}  // namespace

SupperSettingsDialog::SupperSettingsDialog(QWidget* parent)
    : QDialog(parent), ui(new Ui::SupperSettingsDialog), exporter_(std::make_unique<ControllerFlashExport>(kDevice)) {
    ui->setupUi(this);
    setWindowFlags(closeButtonOnly());
    auto pair = [this](QAbstractButton* a, QAbstractButton* b) {
        auto* group = new QButtonGroup(this);
        group->addButton(a);
        group->addButton(b);
        return group;
    };
    optimisedGroup_ = pair(ui->radioButton_settings_optimized_off, ui->radioButton_settings_optimized_on);
    filterGroup_ = pair(ui->radioButton_height_filter_on, ui->radioButton_height_filter_off);
    openGroup_ = pair(ui->radioButton_height_filter_open_on, ui->radioButton_height_filter_open_off);
    connectedGroup_ = pair(ui->radioButton_height_filter_connected_on, ui->radioButton_height_filter_connected_off);
    QMetaObject::connectSlotsByName(this);
    // The export's thread reports here; each report is handled in the GUI
    // thread in the order sent.
    connect(this, &SupperSettingsDialog::signal_prompt_settings, this, &SupperSettingsDialog::slot_on_settings_prompt,
            Qt::QueuedConnection);
    loadSettings();
}

SupperSettingsDialog::~SupperSettingsDialog() {
    // The export's thread reports through this dialog: it ends while the
    // dialog is whole.
    exportActive_.store(false, std::memory_order_release);
    exporter_.reset();
    delete ui;
}

void SupperSettingsDialog::communicationFailed() {
    ui::prompter().question(this, tr("提示"), tr("通信失败!"), QMessageBox::Ok, QMessageBox::Ok);
}

HVQ5_2_EXTEND* SupperSettingsDialog::extendBlock() { return HVQ5_2_GET_EXTEND_CNF(kDevice); }

void SupperSettingsDialog::extendMissing() {
    ui::prompter().critical(this, tr("错误"), tr("获取扩展配置失败!"), QMessageBox::Ok, QMessageBox::Ok);
}

int SupperSettingsDialog::currentSegment() const { return ui->comboBox_y_segment_id->currentIndex(); }

// ---------------------------------------------------------------- loading

void SupperSettingsDialog::buildProgressDialog() {
    if (!progress_) {
        progress_ = new QProgressDialog(this);
        progress_->setObjectName(QStringLiteral("progressDialog_flash_export"));
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setRange(0, 100);
        progress_->setAutoReset(false);
        progress_->setAutoClose(false);
        progress_->setFixedSize(400, 150);
        progress_->setMinimumDuration(0);
        progress_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        connect(progress_, &QProgressDialog::canceled, this,
                [this] { exportActive_.store(false, std::memory_order_release); });
    }
    progress_->reset();
    progress_->hide();
}

void SupperSettingsDialog::loadSettings() {
    buildProgressDialog();
    // Controls are filled with their signals blocked: nothing read is written
    // back (a failed read would otherwise send 0, or its clamped minimum).
    std::vector<std::unique_ptr<QSignalBlocker>> blocked;
    for (QWidget* control : findChildren<QWidget*>()) blocked.push_back(std::make_unique<QSignalBlocker>(control));

    ui->spinBox_peak_mean_thres->setValue(readRegister(kPeakMeanRegister));
    ui->spinBox_peak_delta_thres->setValue(readRegister(kPeakDeltaRegister));

    int xOffset = 0;
    if (HVQ5_2_GET_EXTEND_563TIF_X_OFFSET(kDevice, &xOffset) == 0) ui->spinBox_563tif_x_offset->setValue(xOffset);
    double zOffset = 0;
    if (HVQ5_2_GET_EXTEND_563TIF_Z_OFFSET(kDevice, &zOffset) == 0) ui->doubleSpinBox_563tif_z_offset->setValue(zOffset);
    int lightUpper = 0;
    if (HVQ5_2_GET_EXTEND_563TIF_LIGHT_OFFSET_UPPER(kDevice, &lightUpper) == 0)
        ui->spinBox_563tif_light_offset_upper->setValue(lightUpper);

    const bool optimised = settingsInt(settings_keys::kSettingsOptimizedEn) != 0;
    (optimised ? ui->radioButton_settings_optimized_on : ui->radioButton_settings_optimized_off)->setChecked(true);

    ui->checkBox_y_segment_en->setChecked(readRegister(ysegment::kSegmentsOnRegister) != 0);
    loadSegments();

    HVQ5_2_EXTEND* block = extendBlock();
    if (!block) {
        blocked.clear();
        extendMissing();
        return;
    }
    ui->checkBox_dual_cloud_align->setChecked(block->cloud_align != 0);
    ui->spinBox_dual_b_x_offset->setValue(block->b_x_offset);
    ui->doubleSpinBox_dual_b_z_offset->setValue(block->b_z_offset);
    ui->doubleSpinBox_dual_height_delta->setValue(block->height_delta);
    ui->comboBox_dual_single_valid_output->setCurrentIndex(block->single_valid_output);
    ui->comboBox_dual_valid_output_in_delta->setCurrentIndex(block->valid_output_in_delta);
    ui->comboBox_dual_valid_output_beyond_delta->setCurrentIndex(block->valid_output_beyond_delta);
    ui->spinBox_profile_output_width->setValue(linelaserClient()->cachedRegister(kProfileWidthRegister));
    const uint32_t level = read_env_dword(kRunLogLevel);
    ui->comboBox_log_level->setCurrentIndex(level < kLogLevels ? static_cast<int>(level) : -1);

    ui->comboBox_height_filter_object->setCurrentIndex(block->grad_object - 1);
    ui->spinBox_height_filter_thres1->setValue(block->grad_thres1);
    ui->spinBox_height_filter_thres2->setValue(block->grad_thres2);
    ui->spinBox_height_filter_r->setValue(block->grad_r);
    (block->grad_open_on ? ui->radioButton_height_filter_open_on : ui->radioButton_height_filter_open_off)
        ->setChecked(true);
    ui->spinBox_height_filter_r_open->setValue(block->grad_r_open);
    (block->grad_connected_on ? ui->radioButton_height_filter_connected_on
                              : ui->radioButton_height_filter_connected_off)
        ->setChecked(true);
    ui->spinBox_height_filter_connected_area->setValue(block->grad_connected_area);
    ui->spinBox_height_filter_r_open->setEnabled(block->grad_open_on != 0);
    ui->spinBox_height_filter_connected_area->setEnabled(block->grad_connected_on != 0);

    // Shown and enabled as the sensor has it; register 743 is not written back
    // (a failed read would switch the filter off).
    const bool filterOn = readRegister(kHeightFilterRegister) != 0;
    (filterOn ? ui->radioButton_height_filter_on : ui->radioButton_height_filter_off)->setChecked(true);
    setHeightFilterControlsEnabled(filterOn, block);

    ui->spinBox_z_base->setValue(readRegister(kZBaseRegister));
    ui->spinBox_z_lower->setValue(readRegister(kZLowerRegister));
    ui->spinBox_z_upper->setValue(readRegister(kZUpperRegister));
    ui->spinBox_z_ratio->setValue(readRegister(kZRatioRegister));

    int runMode = 0;
    if (HVQ5_2_GET_EXTEND_RUN_MODE(kDevice, &runMode) == 0) ui->comboBox_consumption->setCurrentIndex(runMode);
    int ms = 0;
    if (!extendRead(HVQ5_2_GET_EXTEND_CALLBACK_START_FRAME_TIMEOUT(kDevice, &ms))) ms = 0;
    ui->spinBox_start_frame_timeout->setValue(ms);
    ms = 0;
    if (!extendRead(HVQ5_2_GET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(kDevice, &ms))) ms = 0;
    ui->spinBox_continous_frame_timeout->setValue(ms);
    int amount = 1;
    if (HVQ5_2_GET_EXTEND_TIMEOUT_CALLBACK_AMOUNT(kDevice, &amount) != 0) amount = 1;
    ui->comboBox_timeout_callback_amount->setCurrentIndex(amount);
    ui->spinBox_log_size->setValue(static_cast<int>(read_env_dword(kRunLogSize)));

    const bool saveImages = settingsInt(settings_keys::kImgSaveEn) != 0;
    ui->checkBox_save_img->setChecked(saveImages);
    ui->spinBox_max_save_count->setEnabled(saveImages);
    ui->spinBox_max_save_count->setValue(settingsInt(settings_keys::kMaxSaveCount));
    const bool debugData = settingsInt(settings_keys::kDataSaveEn) != 0;
    ui->checkBox_save_debug_data->setChecked(debugData);
    // The processor's dump switch follows the stored key once the dialog loaded.
    data_save_enabled.store(debugData ? 1 : 0);
}

void SupperSettingsDialog::loadSegments() {
    int size = 0;
    if (linelaserClient()->cfgBatchSize(0, &size) == 0) {
        batchSize_ = size;
        batchSizeKnown_ = true;
        ui->spinBox_y_segment_linenum->setMaximum(size);
        std::array<uint32_t, ysegment::kSegments> counts{};
        for (int i = 0; i < ysegment::kSegments; ++i)
            counts[i] = static_cast<uint32_t>(readRegister(ysegment::rowsRegister(i)));
        ysegment::Writes writes;
        segmentEnds_ = ysegment::endsFromCounts(counts, static_cast<uint32_t>(size), &writes);
        // Segments that reach the batch end are marked unused on the sensor.
        for (const auto& [reg, value] : writes) writeRegister(reg, static_cast<int>(value));
    }
    ui->comboBox_y_segment_id->setCurrentIndex(0);
    ui->spinBox_y_segment_linenum->setValue(static_cast<int>(segmentEnds_[0]));
    showSegmentValues(0);
}

void SupperSettingsDialog::showSegmentValues(int segment) {
    const QSignalBlocker b1(ui->spinBox_y_segment_gray_upper), b2(ui->spinBox_y_segment_gray_lower),
        b3(ui->comboBox_y_segment_peak_mode), b4(ui->spinBox_y_segment_exposure);
    ui->spinBox_y_segment_gray_upper->setValue(readRegister(ysegment::grayUpperRegister(segment)));
    ui->spinBox_y_segment_gray_lower->setValue(readRegister(ysegment::grayLowerRegister(segment)));
    ui->comboBox_y_segment_peak_mode->setCurrentIndex(
        ysegment::peakModeIndex(static_cast<uint32_t>(readRegister(ysegment::peakModeRegister(segment)))));
    ui->spinBox_y_segment_exposure->setValue(readRegister(ysegment::exposureRegister(segment)));
}

void SupperSettingsDialog::setHeightFilterControlsEnabled(bool on, const HVQ5_2_EXTEND* block) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui->comboBox_height_filter_object, ui->spinBox_height_filter_thres1, ui->spinBox_height_filter_thres2,
             ui->spinBox_height_filter_r, ui->radioButton_height_filter_open_on, ui->radioButton_height_filter_open_off,
             ui->radioButton_height_filter_connected_on, ui->radioButton_height_filter_connected_off,
             ui->spinBox_height_filter_r_open, ui->spinBox_height_filter_connected_area})
        control->setEnabled(on);
    if (on && block) {
        ui->spinBox_height_filter_r_open->setEnabled(block->grad_open_on != 0);
        ui->spinBox_height_filter_connected_area->setEnabled(block->grad_connected_on != 0);
    }
}

// ---------------------------------------------------------------- loose values

void SupperSettingsDialog::on_spinBox_563tif_x_offset_valueChanged(int value) {
    HVQ5_2_SET_EXTEND_563TIF_X_OFFSET(kDevice, value);
}

void SupperSettingsDialog::on_doubleSpinBox_563tif_z_offset_valueChanged(double value) {
    HVQ5_2_SET_EXTEND_563TIF_Z_OFFSET(kDevice, value);
}

void SupperSettingsDialog::on_spinBox_563tif_light_offset_upper_valueChanged(int value) {
    HVQ5_2_SET_EXTEND_563TIF_LIGHT_OFFSET_UPPER(kDevice, value);
}

void SupperSettingsDialog::switchOptimisation(bool on) {
    if ((settingsInt(settings_keys::kSettingsOptimizedEn) != 0) == on) return;
    setSettingsString(settings_keys::kSettingsOptimizedEn, on ? QStringLiteral("1") : QStringLiteral("0"));
    emit signal_update_optimized_settings(on ? 1 : 0);
}

void SupperSettingsDialog::on_radioButton_settings_optimized_on_clicked() { switchOptimisation(true); }
void SupperSettingsDialog::on_radioButton_settings_optimized_off_clicked() { switchOptimisation(false); }

void SupperSettingsDialog::on_spinBox_profile_output_width_valueChanged(int value) {
    HVQ5_2_SET_EXTEND_PROFILE_OUTPUT_WIDTH(kDevice, value);
}

// ---------------------------------------------------------------- Y segments

void SupperSettingsDialog::on_checkBox_y_segment_en_stateChanged(int state) {
    writeRegister(ysegment::kSegmentsOnRegister, state != 0 ? 1 : 0);
    if (hvq5_apply_max_rate(kDevice) != 0) communicationFailed();
}

void SupperSettingsDialog::on_comboBox_y_segment_id_currentIndexChanged(int index) {
    if (index < 0 || index >= ysegment::kSegments) return;
    const ysegment::Shown shown = ysegment::showSegment(segmentEnds_, index);
    {
        const QSignalBlocker blocked(ui->spinBox_y_segment_linenum);
        ui->spinBox_y_segment_linenum->setMinimum(static_cast<int>(shown.minimum));
        ui->spinBox_y_segment_linenum->setValue(static_cast<int>(shown.value));
    }
    if (shown.moveUp) on_spinBox_y_segment_linenum_valueChanged(static_cast<int>(segmentEnds_[index - 1]));
    showSegmentValues(index);
}

void SupperSettingsDialog::on_spinBox_y_segment_linenum_valueChanged(int value) {
    const int segment = currentSegment();
    // Without a batch size the end rows cannot be turned into counts.
    if (!batchSizeKnown_ || segment < 0 || segment >= ysegment::kSegments) return;
    for (const auto& [reg, count] : ysegment::storeEnd(segmentEnds_, segment, static_cast<uint32_t>(value),
                                                       static_cast<uint32_t>(batchSize_)))
        writeRegister(reg, static_cast<int>(count));
}

void SupperSettingsDialog::on_spinBox_y_segment_gray_upper_valueChanged(int value) {
    const int segment = currentSegment();
    if (segment >= 0) writeRegister(ysegment::grayUpperRegister(segment), value);
}

void SupperSettingsDialog::on_spinBox_y_segment_gray_lower_valueChanged(int value) {
    const int segment = currentSegment();
    if (segment >= 0) writeRegister(ysegment::grayLowerRegister(segment), value);
}

void SupperSettingsDialog::on_comboBox_y_segment_peak_mode_currentIndexChanged(int index) {
    const int segment = currentSegment();
    if (segment < 0 || index < 0 || index >= static_cast<int>(PeakModeCodes.size())) return;
    writeRegister(ysegment::peakModeRegister(segment), PeakModeCodes[static_cast<size_t>(index)]);
}

void SupperSettingsDialog::on_spinBox_y_segment_exposure_valueChanged(int value) {
    const int segment = currentSegment();
    if (segment < 0) return;
    int status = hvq5_write_register(kDevice, ysegment::exposureRegister(segment), value);
    if (status == 0) status = hvq5_apply_max_rate(kDevice);
    if (status != 0) communicationFailed();
}

// ---------------------------------------------------------------- dual head and height filter

template <typename Change>
void SupperSettingsDialog::writeDualMerge(Change change) {
    const HVQ5_2_EXTEND* block = extendBlock();
    if (!block) return extendMissing();
    DualMerge set{block->cloud_align != 0, block->b_x_offset,          block->b_z_offset,
                  block->single_valid_output, block->height_delta, block->valid_output_in_delta,
                  block->valid_output_beyond_delta};
    change(set);
    HVQ5_2_SET_EXTEND_DUAL_MERGE(kDevice, set.align, set.bXOffset, set.bZOffset, set.singleValidOutput,
                                 set.heightDelta, set.inDeltaOutput, set.beyondDeltaOutput);
}

template <typename Change>
void SupperSettingsDialog::writeHeightFilter(Change change) {
    const HVQ5_2_EXTEND* block = extendBlock();
    if (!block) return extendMissing();
    HeightFilter set{block->grad_thres1,         block->grad_thres2, block->grad_r,
                     block->grad_open_on != 0,   block->grad_r_open, block->grad_connected_on != 0,
                     block->grad_connected_area, block->grad_object};
    change(set);
    HVQ5_2_SET_EXTEND_FILTER_GRAD(kDevice, set.thres1, set.thres2, set.r, set.openOn, set.rOpen, set.connectedOn,
                                  set.connectedArea, set.object);
}

void SupperSettingsDialog::on_checkBox_dual_cloud_align_stateChanged(int state) {
    writeDualMerge([state](DualMerge& set) { set.align = state != 0; });
}
void SupperSettingsDialog::on_spinBox_dual_b_x_offset_valueChanged(int value) {
    writeDualMerge([value](DualMerge& set) { set.bXOffset = value; });
}
void SupperSettingsDialog::on_doubleSpinBox_dual_b_z_offset_valueChanged(double value) {
    writeDualMerge([value](DualMerge& set) { set.bZOffset = value; });
}
void SupperSettingsDialog::on_doubleSpinBox_dual_height_delta_valueChanged(double value) {
    writeDualMerge([value](DualMerge& set) { set.heightDelta = value; });
}
void SupperSettingsDialog::on_comboBox_dual_single_valid_output_currentIndexChanged(int index) {
    if (index >= 0) writeDualMerge([index](DualMerge& set) { set.singleValidOutput = index; });
}
void SupperSettingsDialog::on_comboBox_dual_valid_output_in_delta_currentIndexChanged(int index) {
    if (index >= 0) writeDualMerge([index](DualMerge& set) { set.inDeltaOutput = index; });
}
void SupperSettingsDialog::on_comboBox_dual_valid_output_beyond_delta_currentIndexChanged(int index) {
    if (index >= 0) writeDualMerge([index](DualMerge& set) { set.beyondDeltaOutput = index; });
}

void SupperSettingsDialog::on_radioButton_height_filter_on_clicked() {
    const HVQ5_2_EXTEND* block = extendBlock();
    if (!block) return extendMissing();
    writeRegister(kHeightFilterRegister, 1);
    setHeightFilterControlsEnabled(true, block);
}

void SupperSettingsDialog::on_radioButton_height_filter_off_clicked() {
    writeRegister(kHeightFilterRegister, 0);
    setHeightFilterControlsEnabled(false, nullptr);
}

void SupperSettingsDialog::on_comboBox_height_filter_object_currentIndexChanged(int index) {
    writeHeightFilter([index](HeightFilter& set) { set.object = index + 1; });
}
void SupperSettingsDialog::on_spinBox_height_filter_thres1_valueChanged(int value) {
    writeHeightFilter([value](HeightFilter& set) { set.thres1 = value; });
}
void SupperSettingsDialog::on_spinBox_height_filter_thres2_valueChanged(int value) {
    writeHeightFilter([value](HeightFilter& set) { set.thres2 = value; });
}
void SupperSettingsDialog::on_spinBox_height_filter_r_valueChanged(int value) {
    writeHeightFilter([value](HeightFilter& set) { set.r = value; });
}
void SupperSettingsDialog::on_radioButton_height_filter_open_on_clicked() {
    writeHeightFilter([](HeightFilter& set) { set.openOn = true; });
    ui->spinBox_height_filter_r_open->setEnabled(true);
}
void SupperSettingsDialog::on_radioButton_height_filter_open_off_clicked() {
    writeHeightFilter([](HeightFilter& set) { set.openOn = false; });
    ui->spinBox_height_filter_r_open->setEnabled(false);
}
void SupperSettingsDialog::on_spinBox_height_filter_r_open_valueChanged(int value) {
    writeHeightFilter([value](HeightFilter& set) { set.rOpen = value; });
}
void SupperSettingsDialog::on_radioButton_height_filter_connected_on_clicked() {
    writeHeightFilter([](HeightFilter& set) { set.connectedOn = true; });
    ui->spinBox_height_filter_connected_area->setEnabled(true);
}
void SupperSettingsDialog::on_radioButton_height_filter_connected_off_clicked() {
    writeHeightFilter([](HeightFilter& set) { set.connectedOn = false; });
    ui->spinBox_height_filter_connected_area->setEnabled(false);
}
void SupperSettingsDialog::on_spinBox_height_filter_connected_area_valueChanged(int value) {
    writeHeightFilter([value](HeightFilter& set) { set.connectedArea = value; });
}

// ---------------------------------------------------------------- run log, callbacks, other

void SupperSettingsDialog::on_comboBox_log_level_currentIndexChanged(int index) {
    if (index >= 0) write_env_dword(kRunLogLevel, index);
}

void SupperSettingsDialog::on_spinBox_log_size_valueChanged(int value) {
    if (value > 0) write_env_dword(kRunLogSize, value);
}

void SupperSettingsDialog::on_comboBox_consumption_currentIndexChanged(int index) {
    if (index >= 0) HVQ5_2_SET_EXTEND_RUN_MODE(kDevice, index);
}

void SupperSettingsDialog::on_spinBox_start_frame_timeout_valueChanged(int value) {
    if (HVQ5_2_SET_EXTEND_CALLBACK_START_FRAME_TIMEOUT(kDevice, value) != 0) communicationFailed();
}

void SupperSettingsDialog::on_spinBox_continous_frame_timeout_valueChanged(int value) {
    if (HVQ5_2_SET_EXTEND_CALLBACK_CONTI_FRAME_TIMEOUT(kDevice, value) != 0) communicationFailed();
}

void SupperSettingsDialog::on_comboBox_timeout_callback_amount_currentIndexChanged(int index) {
    if (index >= 0) HVQ5_2_SET_EXTEND_TIMEOUT_CALLBACK_AMOUNT(kDevice, index);
}

void SupperSettingsDialog::on_checkBox_save_img_clicked() {
    const bool on = ui->checkBox_save_img->isChecked();
    setSettingsString(settings_keys::kImgSaveEn, on ? QStringLiteral("1") : QStringLiteral("0"));
    ui->spinBox_max_save_count->setEnabled(on);
}

void SupperSettingsDialog::on_spinBox_max_save_count_valueChanged(int value) {
    setSettingsString(settings_keys::kMaxSaveCount, QString::number(value));
}

void SupperSettingsDialog::on_checkBox_save_debug_data_toggled(bool checked) {
    data_save_enabled.store(checked ? 1 : 0);
    setSettingsString(settings_keys::kDataSaveEn, checked ? QStringLiteral("1") : QStringLiteral("0"));
}

// ---------------------------------------------------------------- register tool

void SupperSettingsDialog::on_pushButton_reg_get_clicked() {
    ui->spinBox_reg_val->setValue(value_rules::registerShown(readRegister(ui->spinBox_reg_reg->value())));
}

void SupperSettingsDialog::on_pushButton_reg_set_clicked() {
    // Values that no 32-bit register holds are not sent.
    const std::optional<int32_t> pattern = value_rules::registerPattern(ui->spinBox_reg_val->value());
    if (pattern) writeRegister(ui->spinBox_reg_reg->value(), *pattern);
}

// ---------------------------------------------------------------- flash export

void SupperSettingsDialog::on_pushButton_export_ctl_flash_clicked() {
    if (!linelaserClient()->connected) {
        ui::prompter().critical(this, tr("提示"), tr("未连接传感器!"), QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    const QString file = ui::prompter().getSaveFileName(this, tr("导出"), QStringLiteral("."), tr("数据文件(*.dat)"));
    if (file.isEmpty()) return;

    exportActive_.store(true, std::memory_order_release);
    progress_->reset();
    const uint32_t address = static_cast<uint32_t>(ui->spinBox_ctl_flash_address->value());
    const uint32_t blocks = static_cast<uint32_t>(ui->spinBox_ctl_flash_blocks->value());
    exporter_->start(
        file.toStdString(), address, blocks, [this] { return exportActive_.load(std::memory_order_acquire); },
        [this](const FlashExportReport& report) {
            QString prompt;
            switch (report.kind) {
                case FlashExportReport::Progress: prompt = tr("数据导出中"); break;
                case FlashExportReport::Done: prompt = tr("数据导出完成"); break;
                case FlashExportReport::ReadFailed: prompt = tr("数据导出失败!"); break;
                case FlashExportReport::SaveFailed: prompt = tr("数据文件保存失败!"); break;
            }
            emit signal_prompt_settings(report.percent, prompt, tr("导出"));
        });
}

void SupperSettingsDialog::slot_on_settings_prompt(int progress, QString prompt, QString title) {
    // Failures are shown even after the export ended in the dialog (a file
    // that cannot be written is found only after the read).
    if (progress < 0) {
        exportActive_.store(false, std::memory_order_release);
        progress_->hide();
        ui::prompter().ask(this, QMessageBox::Critical, title, prompt, {tr("确定")});
        return;
    }
    if (!exportActive_.load(std::memory_order_acquire)) return;
    if (!title.isEmpty()) progress_->setWindowTitle(title);
    if (!prompt.isEmpty()) progress_->setLabelText(prompt);
    progress_->setValue(progress);
    if (progress > 99) {
        exportActive_.store(false, std::memory_order_release);
        progress_->setCancelButtonText(tr("确定"));
    } else {
        progress_->setCancelButtonText(tr("取消"));
    }
}
