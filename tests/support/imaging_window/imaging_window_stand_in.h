#pragma once
// What the real-time settings window is to the imaging pages, for their tests:
// the left view stack with the camera image page at index 1, the right page
// stack "stackedWidget_right" with every imaging page at its page id (other
// ids hold empty pages of the window's object names), and the window's
// connections among these pages. It reaches the sensor only through the pages
// and the process-wide client, as the window does.
#include <QWidget>

#include <array>

class QStackedWidget;
class FullViewWidget;
class FullViewSettingWidget;
class FullViewIgnoreSettingWidget;
class FullViewLightSettingWidget;
class FullViewLightABLineSettingWidget;
class HDRSettingWidget;
class HaloFilterWidget;
class ImageSettingWidget;
class PeakSettingWidget;
class RoiSettingWidget;

namespace mirevo::test {

class ImagingWindowStandIn : public QWidget {
    Q_OBJECT
public:
    // Right page ids of the imaging pages.
    enum PageId {
        kCameraSettings = 1,
        kIgnoreAreas = 3,
        kLight = 4,
        kLightCursor = 6,
        kRoi = 8,
        kHalo = 9,
        kGrayImage = 11,
        kHdr = 12,
        kPeak = 15,
    };
    static constexpr int kLeftCameraImage = 1;

    // Builds every page as the window does: the light and HDR pages read the
    // sensor while they are built.
    ImagingWindowStandIn();
    ~ImagingWindowStandIn() override;

    // The window's "拍摄设定" menu entry: acquisition stopped, image mode
    // unless in batch mode, both camera pages loaded, the camera image on the
    // left and page 1 on the right, the live image restarted and reset.
    void openCameraSettings();
    // The window's page switch: id 3 first reloads the ignore areas.
    void showRightPage(int id);
    // The window's reaction to the client's data signal.
    void slot_recv_type_datas(int val);

    QStackedWidget* leftStack() const { return left_; }
    QStackedWidget* rightStack() const { return right_; }
    QWidget* rightPage(int id) const;

    FullViewWidget* imagePage;
    FullViewSettingWidget* cameraPage;
    FullViewIgnoreSettingWidget* ignorePage;
    FullViewLightSettingWidget* lightPage;
    FullViewLightABLineSettingWidget* lightCursorPage;
    RoiSettingWidget* roiPage;
    HaloFilterWidget* haloPage;
    ImageSettingWidget* grayImagePage;
    HDRSettingWidget* hdrPage;
    PeakSettingWidget* peakPage;

private:
    void connectPages();
    // The Z-range index the window hands to the ignore-area page (0 when it
    // cannot be read).
    static int zRangeIndex();

    QStackedWidget* left_;
    QStackedWidget* right_;
};

}  // namespace mirevo::test
