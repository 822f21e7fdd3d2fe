#include "settings_windows/real_time_setting_dlg.h"

#include <QAbstractSpinBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

#include <functional>

#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "sensor_interface/registry/device_functions.h"
#include "settings_windows/cloud_filter_setting_widget.h"
#include "settings_windows/dead_zone_setting_widget.h"
#include "settings_windows/io_listen_form.h"
#include "settings_windows/measurement_common_settings_dlg.h"
#include "settings_windows/modal_runner.h"
#include "settings_windows/outline_setting_advanced.h"
#include "settings_windows/outline_setting_widget.h"
#include "settings_windows/output_setting_widget.h"
#include "settings_windows/real_time_setting_form.h"
#include "settings_windows/realtime_status_line.h"
#include "settings_windows/tigger_setting_widget.h"
#include "views/camera/full_view_ignore_setting_widget.h"
#include "views/camera/full_view_setting_widget.h"
#include "views/camera/full_view_widget.h"
#include "views/camera/hdr_halo_pages.h"
#include "views/camera/image_setting_widget.h"
#include "views/camera/light_setting_pages.h"
#include "views/camera/img_graphics_view.h"
#include "views/camera/peak_roi_pages.h"
#include "views/height/height_view.h"
#include "views/height/light_gray_form.h"
#include "views/profile/outline_chart_widget.h"
#include "views/profile/tools/incline_chart_form.h"
#include "views/profile/tools/incline_set_form.h"
#include "views/profile/tools/outline25d_advanced_widget.h"
#include "views/profile/tools/outline25d_setting_widget.h"
#include "views/profile/tools/outline25d_setup_widget.h"

namespace {

constexpr int kDevice = 0;
constexpr int kBatchModeRegister = 149;
constexpr int kTriggerMethodRegister = 143;
constexpr int kLinePeriodRegister = 144;
constexpr int kWorkModeRegister = 842;
constexpr int kKCorrectionEnable = 324;
constexpr int kBCorrectionEnable = 330;
// How often the start-batch wait looks at the client's batch flags.
constexpr int kBatchPollMs = 20;
constexpr int kTriggerNotRun = -1;

void writeRegister(int reg, int value) { linelaserClient()->cfgRegister(1, reg, &value); }

bool batchMode() { return linelaserClient()->cachedRegister(kBatchModeRegister) == 1; }

}  // namespace

RealTimeSettingDlg::RealTimeSettingDlg(QWidget* parent)
    : QDialog(parent),
      ui(new Ui::RealTimeSettingDlg),
      timer_(new QTimer(this)),
      advanced_(this),
      batchTrigger_([client = linelaserClient()](int*) { return client->startBatchAcquisition(true); }) {
    ui->setupUi(this);
    QMetaObject::connectSlotsByName(this);

    ui->page_io_listen->stopListen();
    ui->widget_content_right->show();
    ui->stackedWidget_left->setCurrentIndex(kTriggerView);
    switchRightPage(kTriggerPage, tr("触发设定"));

    ui->pushButton_content_right_2->setEnabled(false);
    ui->pushButton_Change_Procedure->hide();
    ui->pushButton_save_setting->hide();
    ui->pushButton_25d->setVisible(hvq5_is_series4_new(kDevice));

    connectPages();
    connect(timer_, &QTimer::timeout, this, &RealTimeSettingDlg::slot_OnTimmerTask);
    timer_->start(kStatusIntervalMs);

    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    if (settingsInt(settings_keys::kSupperSetEn) == 0) ui->pushButton_supper_settings->hide();

    ui->page_camera_trigger_0->setStartBatchButton(ui->pushButton_content_right_2);
    ui->page_camera_trigger_0->setLeftStack(ui->stackedWidget_left);
    ui->page_lightGray->setHomePage(ui->stackedWidget_left);
    connect(ui->stackedWidget_left, &QStackedWidget::currentChanged, ui->page_fullimg_view,
            &FullViewWidget::slot_leftpage_currentChanged);

    connect(ui->pushButton_content_right_2, &QPushButton::clicked, this, &RealTimeSettingDlg::startBatch);

    int workMode = 0;
    linelaserClient()->cfgRegister(0, kWorkModeRegister, &workMode);
    if (workMode == 0 || !hvq5_is_series4_new(kDevice)) {
        setWorkModeLocked(false);
        selectMenuPage(0);
    } else {
        setWorkModeLocked(true);
        openStepHeight();
    }

    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    ui->page_camera_ignore_setting_3->setOwnerWindow(this);
    ui->page_roi_setting->setOwnerWindow(this);
    for (QAbstractSpinBox* box : findChildren<QAbstractSpinBox*>()) box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    // Return and Enter never click a button of the window (see keyPressEvent).
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

RealTimeSettingDlg::~RealTimeSettingDlg() {
    if (batchWait_) batchWait_->quit();
    if (triggerWait_) triggerWait_->quit();
    batchTrigger_.stop();
    if (ownerSlot_) *ownerSlot_ = nullptr;
    timer_->stop();
    // The pages go while the window is whole: what they emit on their way
    // out finds its receivers alive.
    ui->stackedWidget_left->blockSignals(true);
    ui->stackedWidget_right->blockSignals(true);
    delete ui->widget_content_left;
    delete ui->widget_content_right;
    delete ui;
}

// ---------------------------------------------------------------- wiring

void RealTimeSettingDlg::connectPages() {
    connectProfilePages();
    connectCameraPages();
    connectStepHeightPages();

    TiggerSettingWidget* trigger = ui->page_camera_trigger_0;
    connect(trigger, &TiggerSettingWidget::signal_trigger_batch, this, &RealTimeSettingDlg::slot_trigger_batch);
    connect(trigger, &TiggerSettingWidget::signal_slave_mode, this, [this](bool slave) {
        setStartBatchEnabled(!(slave || linelaserClient()->cachedRegister(kBatchModeRegister) == 0));
    });
    connect(&advanced_, &SupperSettingsDialog::signal_update_optimized_settings, ui->page_fullview_setting_1,
            &FullViewSettingWidget::slot_update_optimized_settings);
    connect(&advanced_, &SupperSettingsDialog::signal_update_optimized_settings, ui->page_outline_setting_advanced_5,
            &OutLineSettingAdvanced::slot_update_optimized_settings);
}

void RealTimeSettingDlg::connectProfilePages() {
    OutLineSettingAdvanced* advanced = ui->page_outline_setting_advanced_5;
    connect(advanced, &OutLineSettingAdvanced::signal_OnNormalSettings, this, [this] { showRightPage(previousPage_); });
    connect(advanced, &OutLineSettingAdvanced::signal_btn_env, this, &RealTimeSettingDlg::showTiltPage);
    connect(advanced, &OutLineSettingAdvanced::signal_clicked, this, [this](int id) {
        if (id == kDeadZonePage) ui->page_dead_zone_setting->loadSettings();
        if (id == kCloudFilterPage) ui->page_cloud_filter->loadSettings();
        showRightPage(id);
    });
    connect(ui->page_incline, &InclineSetForm::signal_btn_env, this, [this](tevu::enumBtnEnv env) {
        if (env == tevu::btnEnvClose) selectMenuPage(3);
    });
    connect(ui->page_left_inclinechart, &InclineChartForm::signal_abarea_line_mode, this,
            [this](tevu::laser_correction record) { ui->page_incline->calculateCorrection(record); });
    connect(ui->page_outline_setting_2, &OutLineSettingWidget::signal_clicked, this,
            &RealTimeSettingDlg::showRightPage);
    connect(ui->page_dead_zone_setting, &DeadZoneSettingWidget::signal_clicked, this,
            &RealTimeSettingDlg::showRightPage);
    connect(ui->page_cloud_filter, &CloudFilterSettingWidget::signal_clicked, this, &RealTimeSettingDlg::showRightPage);
}

void RealTimeSettingDlg::connectCameraPages() {
    FullViewWidget* image = ui->page_fullimg_view;
    FullViewSettingWidget* camera = ui->page_fullview_setting_1;
    FullViewIgnoreSettingWidget* ignore = ui->page_camera_ignore_setting_3;
    RoiSettingWidget* roi = ui->page_roi_setting;
    PeakSettingWidget* peak = ui->page_peak_setting;

    FullViewLightSettingWidget* light = ui->page_light_setting_4;
    HaloFilterWidget* halo = ui->page_halo_filter;
    ImageSettingWidget* gray = ui->page_image_setting;
    HDRSettingWidget* hdr = ui->page_hdr_setting;

    connect(camera, &FullViewSettingWidget::signal_clicked, this, [this, light, roi, halo, gray, peak](int id) {
        switch (id) {
        case kLightPage: light->loadFromDevice(); break;
        case kRoiPage: roi->requestRoiShapes(); break;
        case kHaloPage: halo->loadFromDevice(); break;
        case kImagePage: gray->loadFromDevice(); break;
        case kPeakPage: peak->loadFromDevice(); break;
        default: break;
        }
        showRightPage(id);
    });
    connect(light, &FullViewLightSettingWidget::signal_clicked, this, [this, camera, light](int id) {
        if (id == kCameraPage) camera->loadFromDevice();
        light->loadFromDevice();
        showRightPage(id);
    });
    connect(ui->page_light_setting_cursor_6, &FullViewLightABLineSettingWidget::signal_clicked, this,
            &RealTimeSettingDlg::showRightPage);
    connect(halo, &HaloFilterWidget::signal_clicked, this, &RealTimeSettingDlg::showRightPage);
    connect(gray, &ImageSettingWidget::signal_clicked, this, &RealTimeSettingDlg::showRightPage);
    connect(hdr, &HDRSettingWidget::signal_clicked, this, &RealTimeSettingDlg::showRightPage);
    connect(hdr, &HDRSettingWidget::hdr_en_changed, camera, &FullViewSettingWidget::slot_enable_cmos_exposure);
    connect(ignore, &FullViewIgnoreSettingWidget::signal_clicked, this, &RealTimeSettingDlg::showRightPage);
    connect(roi, &RoiSettingWidget::signal_clicked, this, &RealTimeSettingDlg::showRightPage);
    connect(peak, &PeakSettingWidget::signal_clicked, this, &RealTimeSettingDlg::showRightPage);

    connect(roi, &RoiSettingWidget::signal_init_roi_shapes, this,
            [ignore](std::function<void(int, int, int, int)> callback) {
                ignore->initRoiShapes(zRangeIndex(), std::move(callback));
            });
    connect(roi, &RoiSettingWidget::signal_display_roi_shapes, ignore,
            &FullViewIgnoreSettingWidget::slot_display_roi_shapes);
    connect(roi, &RoiSettingWidget::signal_remove_roi_shapes, ignore,
            &FullViewIgnoreSettingWidget::slot_remove_roi_shapes);
    connect(roi, &RoiSettingWidget::signal_add_Polygon, image, &FullViewWidget::slots_add_Polygon);
    connect(ignore, &FullViewIgnoreSettingWidget::signal_add_Polygon, image, &FullViewWidget::slots_add_Polygon);
    // The ignore-area page hears a finished rectangle before the ROI page.
    connect(image->graphicsView(), &ImgGraphicsView::signal_add_rect_end, ignore,
            &FullViewIgnoreSettingWidget::slot_add_rect_end);
    connect(image->graphicsView(), &ImgGraphicsView::signal_add_rect_end, roi, &RoiSettingWidget::slot_add_rect_end);
}

void RealTimeSettingDlg::connectStepHeightPages() {
    Outline25dSettingWidget* main = ui->page_outline25d_setting;
    Outline25dSetupWidget* setup = ui->page_outline25d_setup;
    Outline25dAdvancedWidget* advanced = ui->page_outline25d_advanced;
    OutputSettingWidget* output = ui->page_output_setting;
    FullViewWidget* image = ui->page_fullimg_view;

    connect(main, &Outline25dSettingWidget::signal_clicked, this, [this, output, setup, advanced](int id) {
        showRightPage(id);
        if (id == kOutputPage) {
            output->loadSettings();
            output->setRunState(2);
        } else if (id == kStepHeightSetupPage) {
            setup->loadFromDevice();
        } else if (id == kStepHeightAdvancedPage) {
            advanced->loadFromDevice();
        }
    });
    connect(setup, &Outline25dSetupWidget::signal_clicked, this, [this, main](int id) {
        showRightPage(id);
        main->setCursorEnabled(true);
        main->updateCursor();
    });
    connect(output, &OutputSettingWidget::signal_clicked, this, [this, output](int id) {
        showRightPage(id);
        output->setRunState(1);
    });
    connect(advanced, &Outline25dAdvancedWidget::signal_clicked, this, &RealTimeSettingDlg::showRightPage);
    connect(main, &Outline25dSettingWidget::signal_work_mode, this, &RealTimeSettingDlg::setWorkModeLocked);
    connect(main, &Outline25dSettingWidget::signal_set_cursor_x, image, &FullViewWidget::slot_set_cursor_x);
    connect(setup, &Outline25dSetupWidget::signal_set_cursor_x, image, &FullViewWidget::slot_set_cursor_x);
    // The output page's monitor thread delivers its values queued.
    connect(output, &OutputSettingWidget::signal_update_data, main, &Outline25dSettingWidget::update_data);
    connect(output, &OutputSettingWidget::signal_update_data, advanced, &Outline25dAdvancedWidget::update_data);
    connect(main, &Outline25dSettingWidget::signal_values_save_changed, output,
            &OutputSettingWidget::slot_values_save_changed);
    connect(advanced, &Outline25dAdvancedWidget::signal_values_save_changed, output,
            &OutputSettingWidget::slot_values_save_changed);
    connect(advanced, &Outline25dAdvancedWidget::signal_boundary_method_changed, main,
            &Outline25dSettingWidget::on_boundary_method_changed);
}

// ---------------------------------------------------------------- pages

QString RealTimeSettingDlg::titleOf(int id) {
    switch (id) {
    case kTriggerPage: return tr("触发设定");
    case kCameraPage:
    case kIgnorePage:
    case kLightPage:
    case kLightCursorPage: return tr("拍摄设定");
    case kProfilePage:
    case kProfileAdvancedPage:
    case kTiltPage: return tr("轮廓设定");
    case kStepHeightPage: return tr("2.5D设定");
    case kOutputPage: return tr("输出设定");
    default: return tr("高级设定");
    }
}

int RealTimeSettingDlg::zRangeIndex() {
    int index = 0;
    if (linelaserClient()->cfgZRange(0, &index) != 0) return 0;
    return index;
}

void RealTimeSettingDlg::switchRightPage(int id, const QString& title) {
    previousPage_ = ui->stackedWidget_right->currentIndex();
    ui->label_right_title->setText(title);
    ui->stackedWidget_right->setCurrentIndex(id);
}

void RealTimeSettingDlg::showRightPane(int leftView) {
    ui->page_io_listen->stopListen();
    ui->widget_content_right->show();
    ui->stackedWidget_left->setCurrentIndex(leftView);
}

void RealTimeSettingDlg::showRightPage(int id) {
    previousPage_ = ui->stackedWidget_right->currentIndex();
    ui->label_right_title->setText(titleOf(id));
    if (id == kIgnorePage) ui->page_camera_ignore_setting_3->initRoiShapes(zRangeIndex(), nullptr);
    ui->stackedWidget_right->setCurrentIndex(id);
}

void RealTimeSettingDlg::showTiltPage(int env) {
    if (env != 0 && env != 1) return;
    showRightPane(kTiltChartView);
    switchRightPage(kTiltPage, tr("轮廓设定"));
    ui->page_incline->setCorrectionPage(env);
    ui->page_incline->loadFromDevice();
    ui->page_left_inclinechart->showCorrectionAreas(env == 1);
}

void RealTimeSettingDlg::leaveTiltPage() {
    if (ui->stackedWidget_right->currentIndex() != kTiltPage) return;
    writeRegister(ui->page_incline->correctionPage() != 0 ? kBCorrectionEnable : kKCorrectionEnable, 1);
}

void RealTimeSettingDlg::setIoModeUnlessBatch(int on) {
    LinelaserClient* client = linelaserClient();
    bool batch = false;
    bool single = false;
    if (client->cfgBatchEnable(0, &batch, &single) == 0 && !batch) client->cfgIoMode(1, &on);
}

void RealTimeSettingDlg::selectMenuPage(int kind) {
    LinelaserClient* client = linelaserClient();
    leaveTiltPage();
    switch (kind) {
    case 0:
        client->stopAcquisition();
        setIoModeUnlessBatch(1);
        ui->widget_content_right->show();
        ui->page_io_listen->stopListen();
        // Its reload sets the left view (signal_trigger_batch).
        ui->page_camera_trigger_0->reload();
        switchRightPage(kTriggerPage, tr("触发设定"));
        if (batchMode())
            client->startBatchAcquisition(false);
        else
            client->startProfileAcquisition();
        ui->page_outline_view->resetOutlineView();
        break;
    case 1:
        client->stopAcquisition();
        setIoModeUnlessBatch(0);
        ui->page_fullimg_view->slot_set_cursor_x(-1, -1, -1, -1, -1);
        ui->page_fullview_setting_1->setPages(ui->page_fullimg_view, ui->page_camera_ignore_setting_3);
        ui->page_fullview_setting_1->loadFromDevice();
        ui->page_light_setting_4->loadFromDevice();
        showRightPane(kCameraView);
        switchRightPage(kCameraPage, tr("拍摄设定"));
        if (!batchMode()) client->startProfileAcquisition();
        ui->page_fullimg_view->resetImage();
        break;
    case 3:
        setIoModeUnlessBatch(1);
        ui->page_outline_setting_advanced_5->loadSettings();
        switchRightPage(kProfileAdvancedPage, tr("轮廓设定"));
        showRightPane(kProfileView);
        if (!batchMode()) client->startProfileAcquisition();
        ui->page_outline_view->resetOutlineView();
        break;
    default: break;
    }
}

void RealTimeSettingDlg::openStepHeight() {
    LinelaserClient* client = linelaserClient();
    leaveTiltPage();
    client->stopAcquisition();
    setIoModeUnlessBatch(0);
    ui->page_output_setting->loadSettings();
    ui->page_outline25d_setting->loadFromDevice();
    showRightPane(kCameraView);
    switchRightPage(kStepHeightPage, tr("2.5D设定"));
    if (client->cachedRegister(kBatchModeRegister) == 0) client->startProfileAcquisition();
    ui->page_fullimg_view->resetImage();
}

void RealTimeSettingDlg::on_pushButton_cameratTiggerSet_clicked() { selectMenuPage(0); }

void RealTimeSettingDlg::on_pushButton_cameratSet_clicked() { selectMenuPage(1); }

void RealTimeSettingDlg::on_pushButton_outline_set_clicked() { selectMenuPage(3); }

void RealTimeSettingDlg::on_pushButton_io_set_clicked() {
    LinelaserClient* client = linelaserClient();
    leaveTiltPage();
    client->stopAcquisition();
    ui->widget_content_right->hide();
    ui->stackedWidget_left->setCurrentIndex(kIoView);
    ui->page_io_listen->startListen();
    client->startStatusAcquisition();
}

void RealTimeSettingDlg::on_pushButton_25d_clicked() { openStepHeight(); }

void RealTimeSettingDlg::on_pushButton_supper_settings_clicked() {
    advanced_.activateWindow();
    advanced_.show();
    advanced_.loadSettings();
}

void RealTimeSettingDlg::on_pushButton_Measurement_Common_Settings_clicked() {
    MeasurementCommonSettingsDlg dialog(this);
    modal::run(dialog);
}

void RealTimeSettingDlg::setMenuEnabled(bool on) {
    // A started batch keeps them locked until its wait ends, whoever asks.
    if (on && batchRunning_) return;
    ui->horizontalWidget_menu->setEnabled(on);
    ui->stackedWidget_right->setEnabled(on);
    ui->pushButton_content_right_2->setEnabled(on);
}

void RealTimeSettingDlg::setWorkModeLocked(bool on) {
    for (QPushButton* button :
         {ui->pushButton_cameratTiggerSet, ui->pushButton_cameratSet, ui->pushButton_outline_set,
          ui->pushButton_Measurement_Common_Settings, ui->pushButton_io_set, ui->pushButton_supper_settings})
        button->setEnabled(!on);
    if (on) ui->pushButton_content_right_2->setEnabled(false);
}

// ---------------------------------------------------------------- client data and batches

void RealTimeSettingDlg::slot_recv_type_datas(int val) {
    const int view = ui->stackedWidget_left->currentIndex();
    if (val == 0) {
        if (view == kTriggerView) ui->page_trigger_view->slot_ShowOutLine();
        if (view == kProfileView) ui->page_outline_view->slot_ShowOutLine();
        if (view == kTiltChartView) ui->page_left_inclinechart->refreshOutline();
    } else if (val == 1) {
        if (view == kCameraView) ui->page_fullimg_view->refreshImage();
    }
}

void RealTimeSettingDlg::setStartBatchEnabled(bool on) {
    ui->pushButton_content_right_2->setEnabled(on && !batchRunning_);
}

void RealTimeSettingDlg::slot_trigger_batch(bool val) {
    setStartBatchEnabled(val);
    if (val) {
        ui->stackedWidget_left->setCurrentIndex(kBatchView);
        ui->page_batch_view->updateXAxisLabels();
        ui->page_batch_view->updateLineAxis();
    } else {
        ui->stackedWidget_left->setCurrentIndex(kTriggerView);
        ui->page_batch_view->resetHeightImage(false);
        ui->page_outline_view->resetOutlineView();
    }
    emit signal_trigger_batch_real(val);
}

void RealTimeSettingDlg::startBatch() {
    LinelaserClient* client = linelaserClient();
    const int numberBefore = client->batchNumber.load();
    QPointer<RealTimeSettingDlg> self(this);
    // No page switch (which would stop the batch thread) and no second start
    // while the trigger runs or its batch is awaited: the trigger page's view
    // reset below, for one, re-enables the start through its batch controls.
    setMenuEnabled(false);
    batchRunning_ = true;
    const int status = triggerBatch();
    if (!self) return;
    ui->page_camera_trigger_0->resetBatchView();
    if (status == 0) waitForBatch(numberBefore);  // nothing triggered: nothing to wait for
    if (!self) return;
    batchRunning_ = false;
    setMenuEnabled(true);
}

int RealTimeSettingDlg::triggerBatch() {
    QEventLoop loop;
    int status = kTriggerNotRun;
    quint64 ticket = 0;
    connect(&batchTrigger_, &QueuedSensorCalls::answered, &loop, [&](quint64 answered, int result, int) {
        if (answered != ticket) return;
        status = result;
        loop.quit();
    });
    ticket = batchTrigger_.request();
    if (ticket == 0 || closing_) return kTriggerNotRun;
    QPointer<RealTimeSettingDlg> self(this);
    triggerWait_ = &loop;
    loop.exec();
    if (self) triggerWait_ = nullptr;
    return status;
}

void RealTimeSettingDlg::waitForBatch(int numberBefore) {
    LinelaserClient* client = linelaserClient();
    QPointer<RealTimeSettingDlg> self(this);
    QEventLoop loop;
    QTimer poll;
    // The client clears batchComplete only when it sees a new batch number:
    // a flag left from the previous batch must not end the wait.
    bool started = false;
    auto check = [&] {
        if (!self || self->closing_) {
            loop.quit();
            return;
        }
        if (client->batchNumber.load() != numberBefore) started = true;
        if (started && client->batchComplete.load()) loop.quit();
    };
    connect(client, &LinelaserClient::signal_laser_batch_state, &loop, [&](int val) {
        if (val == 1) started = true;
        check();
    });
    connect(&poll, &QTimer::timeout, &loop, check);
    batchWait_ = &loop;
    poll.start(kBatchPollMs);
    loop.exec();
    if (self) batchWait_ = nullptr;
}

// ---------------------------------------------------------------- status line

void RealTimeSettingDlg::slot_OnTimmerTask() {
    LinelaserClient* client = linelaserClient();
    const RealtimeStatusTexts texts =
        realtimeStatusTexts(client->cachedRegister(kBatchModeRegister), client->cachedRegister(kTriggerMethodRegister),
                            client->cachedRegister(kLinePeriodRegister), client->batchCostMs.load());
    ui->label_trigger_batch->setText(texts.batch);
    ui->label_trigger_method->setText(texts.trigger);
    if (texts.sampling) ui->label_sampling_period->setText(*texts.sampling);
    ui->label_dealtime->setText(texts.batchTime);
}

// ---------------------------------------------------------------- ending

void RealTimeSettingDlg::on_pushButton_close_nosave_clicked() {
    save_ = false;
    close();
}

void RealTimeSettingDlg::on_pushButton_save_all_setting_clicked() {
    save_ = true;
    // Whatever correction the tilt page shows, the k correction is enabled.
    if (ui->stackedWidget_right->currentIndex() == kTiltPage) writeRegister(kKCorrectionEnable, 1);
    close();
}

void RealTimeSettingDlg::reject() { close(); }

void RealTimeSettingDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        ui->widget_right_buttons->update();
        return;
    }
    QDialog::keyPressEvent(event);
}

void RealTimeSettingDlg::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        if (ownerSlot_) *ownerSlot_ = nullptr;
        ownerSlot_ = nullptr;
        if (batchWait_) batchWait_->quit();
        if (triggerWait_) triggerWait_->quit();
        // A trigger under way ends first: what the owner does on the window's
        // end (stopping the acquisition, storing the settings) comes after it.
        batchTrigger_.stop();
        emit signal_changeProce(save_);
    }
    event->accept();
}
