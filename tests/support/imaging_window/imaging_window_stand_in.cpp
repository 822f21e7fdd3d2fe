#include "tests/support/imaging_window/imaging_window_stand_in.h"

#include <QHBoxLayout>
#include <QStackedWidget>

#include <functional>

#include "sensor_client/linelaser_client.h"
#include "views/camera/full_view_ignore_setting_widget.h"
#include "views/camera/full_view_setting_widget.h"
#include "views/camera/full_view_widget.h"
#include "views/camera/hdr_halo_pages.h"
#include "views/camera/image_setting_widget.h"
#include "views/camera/img_graphics_view.h"
#include "views/camera/light_setting_pages.h"
#include "views/camera/peak_roi_pages.h"

namespace mirevo::test {

namespace {

// Object names of the window's right pages, by page id.
constexpr std::array<const char*, 19> kRightPageNames = {
    "page_camera_trigger_0", "page_fullview_setting_1", "page_outline_setting_2", "page_camera_ignore_setting_3",
    "page_light_setting_4", "page_outline_setting_advanced_5", "page_light_setting_cursor_6", "page_incline",
    "page_roi_setting", "page_halo_filter", "page_dead_zone_setting", "page_image_setting", "page_hdr_setting",
    "page_outline25d_setting", "page_output_setting", "page_peak_setting", "page_cloud_filter",
    "page_outline25d_setup", "page_outline25d_advanced"};

constexpr std::array<const char*, 7> kLeftPageNames = {"page_trigger_view", "page_fullimg_view",
                                                       "page_outline_view", "page_batch_view",
                                                       "page_lightGray", "page_io_listen",
                                                       "page_left_inclinechart"};

QWidget* placeholder(const char* name) {
    auto* page = new QWidget();
    page->setObjectName(QString::fromLatin1(name));
    return page;
}

}  // namespace

ImagingWindowStandIn::ImagingWindowStandIn() : left_(new QStackedWidget(this)), right_(new QStackedWidget(this)) {
    setObjectName(QStringLiteral("RealTimeSettingDlg"));
    resize(1020, 720);
    left_->setObjectName(QStringLiteral("stackedWidget_left"));
    right_->setObjectName(QStringLiteral("stackedWidget_right"));
    right_->setFixedWidth(350);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(left_, 1);
    row->addWidget(right_);

    imagePage = new FullViewWidget();
    cameraPage = new FullViewSettingWidget(this);
    ignorePage = new FullViewIgnoreSettingWidget(this);
    lightPage = new FullViewLightSettingWidget(this);
    lightCursorPage = new FullViewLightABLineSettingWidget(this);
    roiPage = new RoiSettingWidget(this);
    haloPage = new HaloFilterWidget(this);
    grayImagePage = new ImageSettingWidget(this);
    hdrPage = new HDRSettingWidget(this);
    peakPage = new PeakSettingWidget(this);

    for (int i = 0; i < static_cast<int>(kLeftPageNames.size()); ++i) {
        QWidget* page = i == kLeftCameraImage ? imagePage : placeholder(kLeftPageNames[i]);
        page->setObjectName(QString::fromLatin1(kLeftPageNames[i]));
        left_->addWidget(page);
    }
    for (int id = 0; id < static_cast<int>(kRightPageNames.size()); ++id) {
        QWidget* page = nullptr;
        switch (id) {
        case kCameraSettings: page = cameraPage; break;
        case kIgnoreAreas: page = ignorePage; break;
        case kLight: page = lightPage; break;
        case kLightCursor: page = lightCursorPage; break;
        case kRoi: page = roiPage; break;
        case kHalo: page = haloPage; break;
        case kGrayImage: page = grayImagePage; break;
        case kHdr: page = hdrPage; break;
        case kPeak: page = peakPage; break;
        default: page = placeholder(kRightPageNames[id]); break;
        }
        page->setObjectName(QString::fromLatin1(kRightPageNames[id]));
        right_->addWidget(page);
    }
    ignorePage->setOwnerWindow(this);
    roiPage->setOwnerWindow(this);
    connectPages();
}

ImagingWindowStandIn::~ImagingWindowStandIn() = default;

QWidget* ImagingWindowStandIn::rightPage(int id) const { return right_->widget(id); }

int ImagingWindowStandIn::zRangeIndex() {
    int index = 0;
    if (linelaserClient()->cfgZRange(0, &index) != 0) return 0;
    return index;
}

void ImagingWindowStandIn::connectPages() {
    connect(cameraPage, &FullViewSettingWidget::signal_clicked, this, [this](int id) {
        if (id == kLight) lightPage->loadFromDevice();
        if (id == kRoi) roiPage->requestRoiShapes();
        if (id == kHalo) haloPage->loadFromDevice();
        if (id == kGrayImage) grayImagePage->loadFromDevice();
        if (id == kPeak) peakPage->loadFromDevice();
        showRightPage(id);
    });
    connect(lightPage, &FullViewLightSettingWidget::signal_clicked, this, [this](int id) {
        if (id == kCameraSettings) cameraPage->loadFromDevice();
        lightPage->loadFromDevice();
        showRightPage(id);
    });
    connect(ignorePage, &FullViewIgnoreSettingWidget::signal_clicked, this, &ImagingWindowStandIn::showRightPage);
    connect(lightCursorPage, &FullViewLightABLineSettingWidget::signal_clicked, this,
            &ImagingWindowStandIn::showRightPage);
    connect(roiPage, &RoiSettingWidget::signal_clicked, this, &ImagingWindowStandIn::showRightPage);
    connect(haloPage, &HaloFilterWidget::signal_clicked, this, &ImagingWindowStandIn::showRightPage);
    connect(grayImagePage, &ImageSettingWidget::signal_clicked, this, &ImagingWindowStandIn::showRightPage);
    connect(hdrPage, &HDRSettingWidget::signal_clicked, this, &ImagingWindowStandIn::showRightPage);
    connect(peakPage, &PeakSettingWidget::signal_clicked, this, &ImagingWindowStandIn::showRightPage);
    connect(hdrPage, &HDRSettingWidget::hdr_en_changed, cameraPage, &FullViewSettingWidget::slot_enable_cmos_exposure);

    connect(roiPage, &RoiSettingWidget::signal_init_roi_shapes, this,
            [this](std::function<void(int, int, int, int)> callback) {
                ignorePage->initRoiShapes(zRangeIndex(), std::move(callback));
            });
    connect(roiPage, &RoiSettingWidget::signal_display_roi_shapes, ignorePage,
            &FullViewIgnoreSettingWidget::slot_display_roi_shapes);
    connect(roiPage, &RoiSettingWidget::signal_remove_roi_shapes, ignorePage,
            &FullViewIgnoreSettingWidget::slot_remove_roi_shapes);
    connect(roiPage, &RoiSettingWidget::signal_add_Polygon, imagePage, &FullViewWidget::slots_add_Polygon);
    connect(ignorePage, &FullViewIgnoreSettingWidget::signal_add_Polygon, imagePage,
            &FullViewWidget::slots_add_Polygon);
    // The ignore-area page hears a finished rectangle before the ROI page.
    connect(imagePage->graphicsView(), &ImgGraphicsView::signal_add_rect_end, ignorePage,
            &FullViewIgnoreSettingWidget::slot_add_rect_end);
    connect(imagePage->graphicsView(), &ImgGraphicsView::signal_add_rect_end, roiPage,
            &RoiSettingWidget::slot_add_rect_end);

    connect(left_, &QStackedWidget::currentChanged, imagePage, &FullViewWidget::slot_leftpage_currentChanged);
    connect(linelaserClient(), &LinelaserClient::signal_recv_type_datas, this,
            &ImagingWindowStandIn::slot_recv_type_datas);
}

void ImagingWindowStandIn::showRightPage(int id) {
    if (id == kIgnoreAreas) ignorePage->initRoiShapes(zRangeIndex(), nullptr);
    right_->setCurrentIndex(id);
}

void ImagingWindowStandIn::openCameraSettings() {
    LinelaserClient* client = linelaserClient();
    client->stopAcquisition();
    bool batch = false;
    bool single = false;
    if (client->cfgBatchEnable(0, &batch, &single) == 0 && !batch) {
        int imageMode = 0;
        client->cfgIoMode(1, &imageMode);
    }
    imagePage->slot_set_cursor_x(-1, -1, -1, -1, -1);
    cameraPage->setPages(imagePage, ignorePage);
    cameraPage->loadFromDevice();
    lightPage->loadFromDevice();
    left_->setCurrentIndex(kLeftCameraImage);
    right_->setCurrentIndex(kCameraSettings);
    if (client->cachedRegister(149) != 1) client->startProfileAcquisition();
    imagePage->resetImage();
}

void ImagingWindowStandIn::slot_recv_type_datas(int val) {
    if (val == 1 && left_->currentIndex() == kLeftCameraImage) imagePage->refreshImage();
}

}  // namespace mirevo::test
