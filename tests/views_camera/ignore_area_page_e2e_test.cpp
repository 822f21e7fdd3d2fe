// The ignore-area page against the real client on the simulator: areas drawn
// on the camera image reach the sensor's shape block byte for byte, the ROI
// bands stay with "还原", and every device outcome ends the busy dialog.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>

#include <vector>

#include "sensor_client/wait_loading_dialog.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/views_camera/imaging_page_fixture.h"
#include "views/camera/full_view_ignore_setting_widget.h"
#include "views/camera/shape_block.h"

using mirevo::test::ImagingPageTest;
using mirevo::test::ImagingWindowStandIn;
using mirevo::test::PromptKind;
using mirevo::test::RegisterWrite;
using mirevo::test::ScopedPrompter;

namespace {

std::vector<uint8_t> blockOf(const std::vector<IgnoreAreaRecord>& records) {
    const shape_block::IgnoreAreaBlock block = shape_block::encode(records);
    return std::vector<uint8_t>(block.begin(), block.end());
}

std::vector<uint8_t> hexBytes(const char* hex) {
    std::vector<uint8_t> bytes;
    for (const QString& part : QString::fromLatin1(hex).split(' ', Qt::SkipEmptyParts))
        bytes.push_back(static_cast<uint8_t>(part.toUInt(nullptr, 16)));
    return bytes;
}

class IgnoreAreaPageTest : public ImagingPageTest {
protected:
    FullViewIgnoreSettingWidget& page() { return *window->ignorePage; }
    Ui::FullViewIgnoreSettingWidget& ui() { return *page().ui; }

    // Opens the page as the window does and waits until its read is shown.
    void openPage() {
        window->showRightPage(ImagingWindowStandIn::kIgnoreAreas);
        ASSERT_TRUE(waitForIdle());
        window->imagePage->refreshImage();
    }
    // The busy dialog is gone and no command word is left.
    bool waitForIdle() {
        return waitUntil([&] { return page().commands.empty() && !page().waitDialog->isVisible(); });
    }
    void loadSensorBlock(const std::vector<IgnoreAreaRecord>& records) { simModel().loadShapeBlock(blockOf(records)); }
    QString cell(int row, int column) { return ui().tableView_ignore->item(row, column)->text(); }
};

TEST_F(IgnoreAreaPageTest, ADraggedAreaIsWrittenAfterRegister230AndStoredOnlyOnRequest) {
    openPage();
    ASSERT_TRUE(ui().pushButton_ignore_monitor_settisetting_save->isHidden());
    sensor().clearPacketLog();
    ui().pushButton_add_Polygon->click();
    EXPECT_FALSE(ui().pushButton_add_Polygon->isEnabled());
    EXPECT_EQ(ui().label_ignore_log->text(), QStringLiteral("请在图中按住鼠标左键拖拽出图形"));
    EXPECT_EQ(window->imagePage->graphicsView()->rectMode, 1);

    dragOnImage(QPointF(10, 10), QPointF(100, 50));
    ASSERT_TRUE(waitForIdle());
    const std::vector<uint8_t> expected =
        hexBytes("01 00 12 00 0a 00 6c 00 32 00 08 00 00 00 00 00");
    std::vector<uint8_t> block(256, 0);
    std::copy(expected.begin(), expected.end(), block.begin());
    EXPECT_EQ(simModel().shapeBlock(), block);
    EXPECT_EQ(simModel().storedShapeBlock(), std::vector<uint8_t>(256, 0)) << "not stored permanently yet";

    // Register 230 := 1, then the block, nothing else.
    std::vector<std::string> sent;
    for (const auto& packet : sensor().packetLog()) {
        const uint32_t reg = packet.address & 0xFFFF;
        if (packet.opcode == 160 && reg != mirevo::test::kDebugModeRegister)
            sent.push_back("write " + std::to_string(reg) + "=" + std::to_string(packet.value));
        if (packet.opcode == mirevo::test::kShapeBlockOpcode && (packet.address >> 16) != 0) sent.push_back("block");
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"write 230=1", "block"}));
    EXPECT_EQ(cell(0, 0), QStringLiteral("矩形"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("(10:10),(100:50)"));
    EXPECT_TRUE(ui().pushButton_add_Polygon->isEnabled());
    EXPECT_FALSE(ui().pushButton_add_Polygon_end->isEnabled());
    mirevo::test::saveGrab(*window, QStringLiteral("ignore_area_page"));

    ui().pushButton_ignore_monitor_settisetting_save->click();
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(simModel().storedShapeBlock(), block);
    EXPECT_EQ(window->rightStack()->currentIndex(), ImagingWindowStandIn::kCameraSettings)
        << "a finished save sends the window back";
}

TEST_F(IgnoreAreaPageTest, RestoreRemovesTheUserAreasAndKeepsTheBands) {
    const IgnoreAreaRecord area{1, 30, 40, 90, 80, 0, 0, 0};
    const IgnoreAreaRecord upper{1, 0, 0, 2047, 20, 0, 0, 1};
    const IgnoreAreaRecord lower{1, 0, 500, 2047, 607, 0, 0, 1};
    loadSensorBlock({area, upper, area, lower});
    simModel().storeShapeBlock();
    const std::vector<uint8_t> stored = simModel().storedShapeBlock();
    openPage();
    EXPECT_EQ(cell(0, 1), QStringLiteral("(30:40),(90:80)"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("(30:40),(90:80)"));
    EXPECT_EQ(cell(2, 1), QString());

    ui().pushButton_ignore_monitor_settisetting_close->click();
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(simModel().shapeBlock(), blockOf({upper, lower}));
    EXPECT_EQ(simModel().storedShapeBlock(), stored) << "nothing is stored permanently";
    EXPECT_EQ(page()._zp_shapes, (std::vector<IgnoreAreaRecord>{upper, lower}));
    EXPECT_EQ(cell(0, 1), QString());
}

TEST_F(IgnoreAreaPageTest, ClearRemovesTheSelectedAreaAndAClickedRowShowsItsArea) {
    const IgnoreAreaRecord first{1, 30, 40, 90, 80, 0, 0, 0};
    const IgnoreAreaRecord band{1, 0, 0, 2047, 20, 0, 0, 1};
    const IgnoreAreaRecord second{1, 200, 100, 400, 300, 0, 0, 0};
    loadSensorBlock({first, band, second});
    openPage();

    ui().tableView_ignore->setCurrentCell(1, 0);
    page().on_tableView_ignore_itemClicked(ui().tableView_ignore->item(1, 0));
    showfullimg& scene = *window->imagePage->graphicsView()->scene;
    EXPECT_EQ(scene.rectStart(), QPoint(200, 100));
    EXPECT_EQ(scene.rectEnd(), QPoint(401, 300));
    EXPECT_EQ(window->imagePage->graphicsView()->rectMode, 0) << "showing an area ends drawing";

    ui().tableView_ignore->setCurrentCell(0, 0);
    ui().pushButton_6->click();
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(simModel().shapeBlock(), blockOf({band, second}));
    EXPECT_EQ(cell(0, 1), QStringLiteral("(200:100),(400:300)"));
}

TEST_F(IgnoreAreaPageTest, ARectangleWhileAnotherPageIsCurrentSendsNothing) {
    openPage();
    window->showRightPage(ImagingWindowStandIn::kCameraSettings);
    sensor().clearPacketLog();
    window->imagePage->slots_add_Polygon(0, 0, 0, 0);
    dragOnImage(QPointF(10, 10), QPointF(100, 50));
    ASSERT_TRUE(waitForIdle());
    waitUntil([] { return false; }, 200);
    EXPECT_TRUE(shapeBlockWrites().empty());
    EXPECT_EQ(registerWrites(), std::vector<RegisterWrite>{});
    EXPECT_TRUE(page()._zp_shapes.empty());
}

TEST_F(IgnoreAreaPageTest, CloseEndsDrawing) {
    openPage();
    ui().pushButton_add_Polygon->click();
    ASSERT_EQ(window->imagePage->graphicsView()->rectMode, 1);
    ui().pushButton_close->click();
    EXPECT_EQ(window->imagePage->graphicsView()->rectMode, 0);
    EXPECT_TRUE(ui().pushButton_add_Polygon->isEnabled());
    EXPECT_EQ(window->rightStack()->currentIndex(), ImagingWindowStandIn::kCameraSettings);
}

TEST_F(IgnoreAreaPageTest, AFailedReadGivesAnEmptyTableAndNoBusyDialog) {
    loadSensorBlock({IgnoreAreaRecord{1, 30, 40, 90, 80, 0, 0, 0}});
    failNextShapeBlockCommand();
    openPage();
    EXPECT_TRUE(page()._zp_shapes.empty());
    EXPECT_EQ(cell(0, 0), QString());
    EXPECT_FALSE(page().waitDialog->isVisible());
    EXPECT_TRUE(client().acquiring) << "the live image runs again";
}

TEST_F(IgnoreAreaPageTest, AFailedZRangeReadOrPermanentSaveClosesTheDialogWithABox) {
    openPage();
    ScopedPrompter prompter;
    prompter->answer(QMessageBox::Ok);
    ui().pushButton_add_Polygon->click();
    sensor().clearPacketLog();
    failNextAccessTo(11);
    dragOnImage(QPointF(10, 10), QPointF(100, 50));
    ASSERT_TRUE(waitForIdle());
    EXPECT_TRUE(shapeBlockWrites().empty()) << "nothing is written without the Z range";
    ASSERT_EQ(prompter->count(PromptKind::Question), 1);
    EXPECT_EQ(prompter->prompts()[0].text, QStringLiteral("通信失败!"));

    prompter->answer(QMessageBox::Ok);
    simModel().setShapeStoreFails(true);
    ui().pushButton_ignore_monitor_settisetting_save->click();
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(prompter->count(PromptKind::Question), 2);
    EXPECT_EQ(simModel().storedShapeBlock(), std::vector<uint8_t>(256, 0));
    EXPECT_TRUE(client().acquiring);
    EXPECT_EQ(window->rightStack()->currentIndex(), ImagingWindowStandIn::kIgnoreAreas)
        << "a failed save keeps the page";
}

TEST_F(IgnoreAreaPageTest, FourteenRecordsStopNewDrawing) {
    std::vector<IgnoreAreaRecord> records(14, IgnoreAreaRecord{1, 30, 40, 90, 80, 0, 0, 0});
    loadSensorBlock(records);
    openPage();
    ui().pushButton_add_Polygon->click();
    EXPECT_TRUE(ui().pushButton_add_Polygon->isEnabled());
    EXPECT_EQ(window->imagePage->graphicsView()->rectMode, 0);
}

// A '6' model (P / W = 2.9296875) whose X ROI starts at column 16 and is 192
// columns wide.
class RoiReportTest : public IgnoreAreaPageTest {
protected:
    const char* model() const override { return "ZP6100"; }
    void adjustOptions(mirevo::test::ClientSensorOptions& options) const override {
        options.firstStreamedColumn = start;
        options.streamedColumns = width;
    }
    uint16_t start = 16;
    uint16_t width = 192;
};

TEST_F(RoiReportTest, TheRoiComesFromTheXRoiRegistersAndTheBandsOfTheWindow) {
    // Z index 1 on 1024 rows: a window of 512 rows from sensor row 256.
    const IgnoreAreaRecord upper{1, 0, 256, 2047, 276, 0, 0, 1};
    const IgnoreAreaRecord lower{1, 0, 356, 2047, 767, 0, 0, 1};
    loadSensorBlock({IgnoreAreaRecord{1, 30, 300, 90, 400, 0, 0, 0}, upper, lower});
    int reported[4] = {-1, -1, -1, -1};
    page().initRoiShapes(1, [&](int s, int e, int t, int b) {
        reported[0] = s;
        reported[1] = e;
        reported[2] = t;
        reported[3] = b;
    });
    EXPECT_EQ(reported[0], 47);
    EXPECT_EQ(reported[1], 608);
    EXPECT_EQ(reported[2], 20);
    EXPECT_EQ(reported[3], 100);
    EXPECT_TRUE(waitForIdle());
}

class RoiAtTheRightEdgeTest : public RoiReportTest {
protected:
    RoiAtTheRightEdgeTest() {
        start = 2000;
        width = 48;
    }
};

TEST_F(RoiAtTheRightEdgeTest, TheShownRoiStaysInsideTheDisplayColumns) {
    page().initRoiShapes(0, nullptr);
    ASSERT_TRUE(waitForIdle());
    page().slot_display_roi_shapes();
    showfullimg& scene = *window->imagePage->graphicsView()->scene;
    EXPECT_EQ(scene.rectStart(), QPoint(1992, 0));
    EXPECT_EQ(scene.rectEnd(), QPoint(2048 - 17, 1023));
    EXPECT_EQ(window->imagePage->graphicsView()->rectMode, 1);
}

}  // namespace
