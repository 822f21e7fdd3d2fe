#pragma once
// A test double of the real-time settings window in its role as host of the
// profile tools' pages: it creates the pages, wires them as the window does
// and switches its page indexes and acquisition the same way, with the
// register writes the window makes around them. The real window comes with
// the settings windows; this double only carries what the pages rely on.
#include <QObject>

#include <memory>

#include "tests/support/settings_host/camera_cursor_recorder.h"
#include "tests/support/settings_host/output_page_stand_in.h"
#include "views/profile/laser_correction.h"

class InclineChartForm;
class InclineSetForm;
class Outline25dAdvancedWidget;
class Outline25dSettingWidget;
class Outline25dSetupWidget;

namespace mirevo::test {

class SettingsPageHost : public QObject {
    Q_OBJECT

public:
    // Page indexes of the window's stacks.
    static constexpr int kProfileSettingsPage = 3;  // right: where the tilt pair returns
    static constexpr int kTiltPage = 7;             // right: InclineSetForm
    static constexpr int kTiltChartView = 6;        // left: InclineChartForm
    static constexpr int kProfileView = 0;          // left: the profile window
    static constexpr int kStepHeightPage = 13;      // right: Outline25dSettingWidget
    static constexpr int kOutputPage = 14;          // right: the output settings page
    static constexpr int kStepHeightSetupPage = 17;
    static constexpr int kStepHeightAdvancedPage = 18;

    SettingsPageHost();
    ~SettingsPageHost() override;

    InclineChartForm& inclineChart() { return *inclineChart_; }
    InclineSetForm& inclineSet() { return *inclineSet_; }
    Outline25dSettingWidget& stepHeight() { return *stepHeight_; }
    Outline25dSetupWidget& stepHeightSetup() { return *stepHeightSetup_; }
    Outline25dAdvancedWidget& stepHeightAdvanced() { return *stepHeightAdvanced_; }
    CameraCursorRecorder& cameraCursors() { return cameraCursors_; }
    OutputPageStandIn& outputPage() { return outputPage_; }
    int rightPage() const { return rightPage_; }
    const QString& title() const { return title_; }
    // The six page buttons and the batch start button.
    bool pageButtonsEnabled() const { return pageButtonsEnabled_; }
    bool batchStartEnabled() const { return batchStartEnabled_; }
    int leftView() const { return leftView_; }
    bool closed() const { return closed_; }

    // The profile settings page's k (0) or b (1) button: the correction's
    // enable register (324 or 330) becomes 0, then the pair opens.
    void openTilt(int page);
    // Another page by a menu button; leaving the tilt page writes 1 to the
    // enable register of the page it showed.
    void showPage(int rightPage, int leftView = kProfileView);
    // "保存到传感器" (324 = 1 while the tilt page shows) and "取消".
    void saveAndClose();
    void closeWithoutSaving();
    // The 2.5D button: acquisition stopped, the main page loaded and shown,
    // the live profile started again unless the sensor is in batch mode.
    void openStepHeight();

public slots:
    void setWorkModeLocked(bool on);

private slots:
    void onLiveData(int kind);
    void onTiltAreas(tevu::laser_correction record);
    void onTiltButton(tevu::enumBtnEnv env);
    void onStepHeightPageRequest(int page);
    void onSetupPageRequest(int page);

private:
    void leaveTiltPage();

    std::unique_ptr<InclineChartForm> inclineChart_;
    std::unique_ptr<InclineSetForm> inclineSet_;
    std::unique_ptr<Outline25dSettingWidget> stepHeight_;
    std::unique_ptr<Outline25dSetupWidget> stepHeightSetup_;
    std::unique_ptr<Outline25dAdvancedWidget> stepHeightAdvanced_;
    CameraCursorRecorder cameraCursors_;
    OutputPageStandIn outputPage_;
    QString title_;
    bool pageButtonsEnabled_ = true;
    bool batchStartEnabled_ = true;
    int rightPage_ = kProfileSettingsPage;
    int leftView_ = kProfileView;
    bool closed_ = false;
};

}  // namespace mirevo::test
