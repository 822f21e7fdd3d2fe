// The peak and ROI pages against the real client on the simulator: the
// peak registers' fixed point, the X ROI from typed bounds and from a drawn
// rectangle, the ROI bands in the permanent shape block, and pages that show
// the region without writing it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>

#include <array>
#include <vector>

#include "sensor_client/wait_loading_dialog.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/views_camera/imaging_page_fixture.h"
#include "views/camera/full_view_ignore_setting_widget.h"
#include "views/camera/full_view_setting_widget.h"
#include "views/camera/peak_roi_pages.h"
#include "views/camera/shape_block.h"

using mirevo::test::ImagingPageTest;
using mirevo::test::ImagingWindowStandIn;
using mirevo::test::PromptKind;
using mirevo::test::RegisterWrite;
using mirevo::test::ScopedPrompter;

namespace {

// ---------------------------------------------------------------- peak page

class PeakPageTest : public ImagingPageTest {
protected:
    PeakSettingWidget& page() { return *window->peakPage; }
    Ui::PeakSettingWidget& ui() { return *page().ui; }
};

TEST_F(PeakPageTest, ALoadShowsTheRegistersAndWritesNothing) {
    sensor().setReg(443, 100);
    sensor().setReg(444, 192);
    sensor().setReg(445, 3);
    sensor().setReg(446, 4);
    sensor().setReg(447, 27);
    window->cameraPage->ui->pushButton_peak->setEnabled(true);
    window->cameraPage->ui->pushButton_peak->click();
    EXPECT_EQ(window->rightStack()->currentIndex(), ImagingWindowStandIn::kPeak);
    EXPECT_DOUBLE_EQ(ui().doubleSpinBox_peak_cont_thd_c->value(), 0.78);
    EXPECT_DOUBLE_EQ(ui().doubleSpinBox_peak_cont_thd_f->value(), 1.5);
    EXPECT_EQ(ui().comboBox_peak_cont_combine->currentIndex(), 3);
    EXPECT_EQ(ui().comboBox_single_peak_output->currentIndex(), 4);
    EXPECT_EQ(ui().comboBox_single_peak_win_size->currentIndex(), 12) << "27 is the last entry";
    mirevo::test::saveGrab(page(), QStringLiteral("peak_page"));

    sensor().setReg(447, 4);
    page().loadFromDevice();
    EXPECT_EQ(ui().comboBox_single_peak_win_size->currentIndex(), -1) << "an even width selects nothing";
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
}

TEST_F(PeakPageTest, ThresholdsAreWrittenTimes128Rounded) {
    page().loadFromDevice();
    ui().doubleSpinBox_peak_cont_thd_c->setValue(1.5);
    ui().doubleSpinBox_peak_cont_thd_f->setValue(0.78);
    ui().comboBox_peak_cont_combine->setCurrentIndex(2);
    ui().comboBox_single_peak_output->setCurrentIndex(1);
    ui().comboBox_single_peak_win_size->setCurrentIndex(5);
    EXPECT_EQ(registerWrites(), (std::vector<RegisterWrite>{{443, 192}, {444, 100}, {445, 2}, {446, 1}, {447, 13}}));
}

TEST_F(PeakPageTest, AFailedReadOfTheRepairThresholdShowsOneBoxAndLaterEditsStillWrite) {
    sensor().setReg(443, 256);
    sensor().setReg(445, 4);
    ScopedPrompter prompter;
    prompter->answer(QMessageBox::Ok);
    failNextAccessTo(444);
    page().loadFromDevice();
    ASSERT_EQ(prompter->count(), 1);
    EXPECT_EQ(prompter->prompts()[0].title, QStringLiteral("提示"));
    EXPECT_EQ(prompter->prompts()[0].text, QStringLiteral("通信失败!"));
    EXPECT_DOUBLE_EQ(ui().doubleSpinBox_peak_cont_thd_c->value(), 2.0);
    EXPECT_DOUBLE_EQ(ui().doubleSpinBox_peak_cont_thd_f->value(), 0.0) << "as it was";
    EXPECT_EQ(ui().comboBox_peak_cont_combine->currentIndex(), -1) << "as it was";
    ui().doubleSpinBox_peak_cont_thd_f->setValue(3.0);
    EXPECT_EQ(sensor().writesTo(444), std::vector<uint32_t>{384});
    ui().pushButton_close->click();
    EXPECT_EQ(window->rightStack()->currentIndex(), ImagingWindowStandIn::kCameraSettings);
}

// ---------------------------------------------------------------- ROI page

// A '6' model (6000 points on 2048 columns, P / W = 2.9296875) with an X ROI
// of 192 columns from column 16 unless a test says otherwise.
class RoiPageTest : public ImagingPageTest {
protected:
    const char* model() const override { return "ZP6100"; }
    void adjustOptions(mirevo::test::ClientSensorOptions& options) const override {
        options.firstStreamedColumn = startColumn;
        options.streamedColumns = widthColumns;
    }

    RoiSettingWidget& page() { return *window->roiPage; }
    Ui::RoiSettingWidget& ui() { return *page().ui; }
    FullViewIgnoreSettingWidget& ignorePage() { return *window->ignorePage; }
    std::array<int, 4> boxes() {
        return {ui().spinBox_roi_left->value(), ui().spinBox_roi_right->value(), ui().spinBox_roi_top->value(),
                ui().spinBox_roi_bottom->value()};
    }
    bool waitForIdle() {
        return waitUntil([&] { return ignorePage().commands.empty() && !ignorePage().waitDialog->isVisible(); });
    }
    // Opens the ROI page from the imaging settings page, as the window does.
    void openPage() {
        window->cameraPage->ui->pushButton_roi_setting->click();
        ASSERT_EQ(window->rightStack()->currentIndex(), ImagingWindowStandIn::kRoi);
        ASSERT_TRUE(waitForIdle());
        window->leftStack()->setCurrentIndex(ImagingWindowStandIn::kLeftCameraImage);
        window->imagePage->refreshImage();
    }
    std::vector<uint8_t> blockOf(const std::vector<IgnoreAreaRecord>& records) {
        const shape_block::IgnoreAreaBlock block = shape_block::encode(records);
        return std::vector<uint8_t>(block.begin(), block.end());
    }
    // Shape-block commands in order: "read", "load", "store".
    std::vector<std::string> shapeBlockCommands() {
        std::vector<std::string> commands;
        for (const auto& packet : sensor().packetLog()) {
            if (packet.opcode != mirevo::test::kShapeBlockOpcode) continue;
            const uint32_t kind = packet.address >> 16;
            commands.push_back(kind == 0 ? "read" : kind == 1 ? "load" : "store");
        }
        return commands;
    }

    uint16_t startColumn = 16;
    uint16_t widthColumns = 192;
    const IgnoreAreaRecord upperBand{1, 0, 0, 2047, 20, 0, 0, 1};
    const IgnoreAreaRecord lowerBand{1, 0, 100, 2047, 1023, 0, 0, 1};
};

TEST_F(RoiPageTest, OpeningShowsTheRegionAndWritesNothing) {
    simModel().loadShapeBlock(blockOf({upperBand, lowerBand}));
    openPage();
    EXPECT_EQ(boxes(), (std::array<int, 4>{47, 608, 20, 100}));
    EXPECT_EQ(ui().spinBox_roi_right->maximum(), 5999);
    EXPECT_EQ(ui().spinBox_roi_left->maximum(), 4095);
    EXPECT_FALSE(ui().spinBox_roi_top->isEnabled());
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
    EXPECT_TRUE(shapeBlockWrites().empty());
    mirevo::test::saveGrab(*window, QStringLiteral("roi_page"));
}

class RoiPastPoint4095Test : public RoiPageTest {
protected:
    RoiPastPoint4095Test() {
        startColumn = 1500;
        widthColumns = 96;
    }
};

TEST_F(RoiPastPoint4095Test, ALeftBoundBeyondTheBoxIsClampedWithoutMovingTheSensor) {
    openPage();
    EXPECT_EQ(ui().spinBox_roi_left->value(), 4095);
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
    EXPECT_EQ(sensor().reg(359), 1500u);
}

TEST_F(RoiPageTest, TypedBoundsReachTheXRoiRegistersAlignedTo16) {
    openPage();
    sensor().clearPacketLog();
    ui().spinBox_roi_left->setValue(100);
    EXPECT_EQ(registerWrites(), (std::vector<RegisterWrite>{{358, 176}, {359, 32}}));
    sensor().clearPacketLog();
    ui().spinBox_roi_right->setValue(90);
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{}) << "left above right writes nothing";
}

TEST_F(RoiPageTest, ARefusedXRoiShowsItsBoxAndTheBoundStays) {
    openPage();
    ScopedPrompter prompter;
    prompter->answer(QMessageBox::Ok);
    failNextAccessTo(358);
    ui().spinBox_roi_left->setValue(100);
    ASSERT_EQ(prompter->count(PromptKind::Critical), 1);
    EXPECT_EQ(prompter->prompts()[0].title, QStringLiteral("X ROI"));
    EXPECT_EQ(prompter->prompts()[0].text, QStringLiteral("X ROI设定失败"));
    EXPECT_EQ(ui().spinBox_roi_left->value(), 100);
}

class RoiFromTheFullRegionTest : public RoiPageTest {
protected:
    RoiFromTheFullRegionTest() {
        startColumn = 0;
        widthColumns = 2048;
    }
};

TEST_F(RoiFromTheFullRegionTest, ADrawnRegionSetsTheXRoiAndStoresTheBandsThenRestoreUndoesBoth) {
    openPage();
    EXPECT_EQ(boxes(), (std::array<int, 4>{0, 5999, 0, 1023}));
    ui().pushButton_drawarea->click();
    ASSERT_TRUE(waitForIdle());
    EXPECT_TRUE(ui().pushButton_drawarea->isChecked());
    EXPECT_EQ(window->imagePage->graphicsView()->rectMode, 1) << "the region is shown and drawing is on";
    sensor().clearPacketLog();

    dragOnImage(QPointF(10, 20), QPointF(200, 100));
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(sensor().reg(359), 16u);
    EXPECT_EQ(sensor().reg(358), 192u);
    EXPECT_EQ(simModel().storedShapeBlock(), blockOf({upperBand, lowerBand}));
    EXPECT_EQ(boxes(), (std::array<int, 4>{47, 608, 20, 100}));
    // The block is read again only after the permanent save has finished.
    EXPECT_EQ(shapeBlockCommands(), (std::vector<std::string>{"load", "store", "read"}));
    const QPoint shownStart = window->imagePage->graphicsView()->scene->rectStart();
    EXPECT_EQ(shownStart, QPoint(8, 20)) << "the new region is shown";

    sensor().clearPacketLog();
    ui().pushButton_resetarea->click();
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(sensor().reg(358), 2048u);
    EXPECT_EQ(sensor().reg(359), 0u);
    EXPECT_EQ(simModel().storedShapeBlock(), std::vector<uint8_t>(256, 0));
    EXPECT_EQ(boxes(), (std::array<int, 4>{0, 5999, 0, 1023}));
    EXPECT_FALSE(ui().pushButton_drawarea->isChecked());
    EXPECT_EQ(window->imagePage->graphicsView()->rectMode, 0);
    EXPECT_EQ(shapeBlockCommands(), (std::vector<std::string>{"load", "store", "read"}));
}

TEST_F(RoiPageTest, ADegenerateRectangleOnlyShowsTheRegionAgain) {
    openPage();
    ui().pushButton_drawarea->click();
    ASSERT_TRUE(waitForIdle());
    sensor().clearPacketLog();
    window->imagePage->graphicsView()->scene->setRectStart(QPoint(0, 0));
    emit window->imagePage->graphicsView()->signal_add_rect_end(200, 20, 10, 100);
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
    EXPECT_TRUE(shapeBlockWrites().empty());
    EXPECT_EQ(window->imagePage->graphicsView()->scene->rectStart(), QPoint(8, 0)) << "shown again";
}

}  // namespace
