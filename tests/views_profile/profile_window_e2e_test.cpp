// The profile window against the real client opened on the simulator.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/qt/client_fixture.h"
#include "tests/support/qt/qt_test_env.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/profile/kx_outline_widget.h"
#include "views/profile/outline_chart_widget.h"

using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

namespace {

bool yellowish(QRgb p) { return qRed(p) > 100 && qGreen(p) > 100 && qBlue(p) < 60; }

class ProfileWindow : public mirevo::test::ClientFixture {
protected:
    // The X window over the whole camera, so the live profile shows the
    // whole scene.
    mirevo::test::ClientSensorOptions sensorOptions() const override {
        mirevo::test::ClientSensorOptions options;
        options.streamedColumns = 2048;
        options.firstStreamedColumn = 0;
        return options;
    }

    void SetUp() override {
        ClientFixture::SetUp();
        if (HasFatalFailure()) return;
        window = std::make_unique<OutlineChartWidget>();
        window->resize(667, 581);
        window->show();
        window->resetOutlineView();
    }
    void TearDown() override {
        window.reset();
        ClientFixture::TearDown();
    }

    // Starts the live profile and shows the first one that arrives.
    void showFirstLiveProfile() {
        QSignalSpy data(&client(), &LinelaserClient::signal_recv_type_datas);
        ASSERT_TRUE(client().startProfileAcquisition());
        ASSERT_TRUE(waitUntil([&] { return data.contains(QVariantList{0}); })) << "no live profile";
        window->slot_ShowOutLine();
    }

    QPushButton* button(const char* name) { return window->findChild<QPushButton*>(name); }
    KxOutlineWidget& plot() { return *window->plot(); }
    int px(double x) { return static_cast<int>(plot().canvas().toPixelX(static_cast<float>(x))); }
    int py(double z) { return static_cast<int>(plot().canvas().toPixelY(static_cast<float>(z))); }
    QImage plotImage() { return plot().grab().toImage(); }

    // The line's colour on the pixel or one of its neighbours in the column.
    bool curveNear(const QImage& image, int x, int y) {
        for (int dy = -2; dy <= 1; ++dy)
            if (y + dy >= 0 && y + dy < image.height() && yellowish(image.pixel(x, y + dy))) return true;
        return false;
    }

    std::unique_ptr<OutlineChartWidget> window;
};

QString runPython(const QString& script, const QStringList& args) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args);
    if (!python.waitForFinished(30000)) return QStringLiteral("python did not finish");
    return QString::fromUtf8(python.readAllStandardOutput() + python.readAllStandardError()).trimmed();
}

}  // namespace

TEST_F(ProfileWindow, ResetViewHasEveryHeightInvalidAndTheClientsHalfWidth) {
    const int n = client().profilePointCount();
    ASSERT_EQ(window->profileX().size(), n);
    for (double z : window->profileZ()) ASSERT_EQ(z, -9999.0);
    const float h = static_cast<float>(client().halfWidthMm);
    EXPECT_EQ(plot().canvas().xRange(), qMakePair(-h, h));
    EXPECT_NE(h, 8.0f) << "the ranges come from the opened sensor";
    EXPECT_FLOAT_EQ(plot().canvas().yRange().second, static_cast<float>(client().zUpperMm * 1.1));
    EXPECT_EQ(window->profileX().front(), client().xValues[0]);
    // No curve inside the plot.
    const QImage image = plotImage();
    int yellow = 0;
    for (int y = 20; y < py(plot().canvas().yRange().first) - 5; ++y)
        for (int x = 65; x < image.width() - 20; ++x) yellow += yellowish(image.pixel(x, y)) ? 1 : 0;
    EXPECT_EQ(yellow, 0);
}

TEST_F(ProfileWindow, ShowsTheSimulatorsLiveProfile) {
    ASSERT_NO_FATAL_FAILURE(showFirstLiveProfile());
    const QVector<double>& x = window->profileX();
    const QVector<double>& z = window->profileZ();
    ASSERT_EQ(x.size(), 4096);
    // The scene: a plane, a step over camera columns 1024..1535 (points
    // 2048..3071) and a gap at columns 100..103 (points 200..207).
    const double plane = z[1000], step = z[2500];
    ASSERT_NE(plane, -9999.0);
    ASSERT_GT(step, plane + 0.5) << "the step stands above the plane";
    EXPECT_EQ(z[203], -9999.0);

    window->findChild<QWidget*>("horizontalWidget_chart_top")->show();
    mirevo::test::saveGrab(*window, "profile_window_live");
    const QImage image = plotImage();
    EXPECT_TRUE(curveNear(image, px(x[1000]), py(plane))) << "plane";
    EXPECT_TRUE(curveNear(image, px(x[2500]), py(step))) << "step";
    EXPECT_FALSE(curveNear(image, px(x[2500]), py(plane))) << "the plane's rows over the step stay dark";
    // At the gap the line breaks instead of dropping off the plot's bottom
    // edge and coming back; the plane goes on at both sides.
    EXPECT_TRUE(curveNear(image, px(x[150]), py(plane))) << "plane before the gap";
    EXPECT_TRUE(curveNear(image, px(x[230]), py(plane))) << "plane after the gap";
    int below = 0;
    for (int col = px(x[203]) - 3; col <= px(x[203]) + 3; ++col)
        for (int row = py(plane) + 4; row < py(plot().canvas().yRange().first) - 1; ++row)
            below += yellowish(image.pixel(col, row)) ? 1 : 0;
    EXPECT_EQ(below, 0) << "the line drops at the gap";
}

TEST_F(ProfileWindow, BatchModeLeavesThePictureAsItWas) {
    ASSERT_NO_FATAL_FAILURE(showFirstLiveProfile());
    const QImage before = plotImage();
    int on = 1;
    ASSERT_EQ(client().cfgRegister(1, 149, &on), 0);
    ASSERT_EQ(client().cachedRegister(149), 1);
    window->slot_ShowOutLine();  // the client would now hand out invalid heights only
    EXPECT_EQ(plotImage(), before);

    int off = 0;
    ASSERT_EQ(client().cfgRegister(1, 149, &off), 0);
    window->resetOutlineView();
    ASSERT_NE(plotImage(), before);
    window->slot_ShowOutLine();  // back in profile mode: the next profile shows
    EXPECT_EQ(plotImage(), before);
}

TEST_F(ProfileWindow, CsvExportOfTheResetViewReadsBackWithPythonsCsv) {
    ScopedPrompter prompts;
    const QString path = QString::fromStdString((workFolder() / "outline_mm.csv").string());
    prompts->answerFile(path);
    button("pushButton_out_view_data")->click();
    ASSERT_EQ(prompts->count(PromptKind::SaveFile), 1);
    const auto asked = prompts->prompts().front();
    EXPECT_EQ(asked.title, "保存轮廓(毫米)）");
    EXPECT_EQ(asked.text, "./outline_mm.csv");
    EXPECT_EQ(asked.buttons.join(";;"), "轮廓数据(毫米) (*.csv)");

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QByteArray first = "x,z\r\n" + QByteArray::number(client().xValues[0], 'g', 6) + ",-9999\r\n";
    EXPECT_TRUE(bytes.startsWith(first)) << bytes.left(60).toStdString();
    EXPECT_EQ(bytes.count("\r\n"), 4097);

    const QString check = QStringLiteral(
        "import csv,sys\n"
        "rows=list(csv.reader(open(sys.argv[1],newline='')))\n"
        "assert rows[0]==['x','z'], rows[0]\n"
        "assert all(r[1]=='-9999' for r in rows[1:])\n"
        "xs=[float(r[0]) for r in rows[1:]]\n"
        "assert all(a<b for a,b in zip(xs,xs[1:]))\n"
        "print(len(rows)-1, xs[0], xs[-1])\n");
    const QString out = runPython(check, {path});
    const QStringList fields = out.split(' ');
    ASSERT_EQ(fields.size(), 3) << out.toStdString();
    EXPECT_EQ(fields[0], "4096");
    EXPECT_NEAR(fields[1].toDouble(), client().xValues[0], 1e-4);
    EXPECT_NEAR(fields[2].toDouble(), client().xValues[4095], 1e-4);
    EXPECT_EQ(prompts->count(), 1) << "no message on success";
}

TEST_F(ProfileWindow, AFailedExportIsReportedOnceAndLeavesNoFile) {
    ScopedPrompter prompts;
    const auto path = workFolder() / "missing" / "outline_mm.csv";
    prompts->answerFile(QString::fromStdString(path.string()));
    prompts->answer(QMessageBox::Ok);
    button("pushButton_out_view_data")->click();
    ASSERT_EQ(prompts->count(PromptKind::Warning), 1);
    EXPECT_EQ(prompts->prompts().back().text, "数据文件保存失败!");
    EXPECT_EQ(prompts->prompts().back().title, "提示");
    EXPECT_FALSE(std::filesystem::exists(path));

    prompts->clear();
    prompts->answerFile(QString());  // cancelled: silent
    button("pushButton_out_view_data")->click();
    EXPECT_EQ(prompts->count(), 1);
}

TEST_F(ProfileWindow, ClipboardGetsTabSeparatedLinesWithoutHeader) {
    ASSERT_NO_FATAL_FAILURE(showFirstLiveProfile());
    button("pushButton_out_view_data_copy")->click();
    const QString text = QGuiApplication::clipboard()->text();
    const QStringList lines = text.split('\n');
    ASSERT_EQ(lines.size(), 4097) << "4096 lines and the text after the last LF";
    EXPECT_EQ(lines.last(), "");
    EXPECT_EQ(lines[1000], QString::number(window->profileX()[1000], 'g', 6) + '\t' +
                               QString::number(window->profileZ()[1000], 'g', 6));
    EXPECT_EQ(lines[203].section('\t', 1), "-9999");
}

TEST_F(ProfileWindow, CursorButtonsSwitchPairsAndTheReadoutFollowsADrag) {
    ASSERT_NO_FATAL_FAILURE(showFirstLiveProfile());
    button("pushButton_abline_y")->click();
    EXPECT_EQ(plot().canvas().zCursors().size(), 2);
    EXPECT_FALSE(plot().readout().isHidden());

    button("pushButton_ABLine")->click();  // X replaces Z
    EXPECT_TRUE(plot().canvas().zCursors().isEmpty());
    ASSERT_EQ(plot().canvas().xCursors().size(), 2);
    const float h = static_cast<float>(client().halfWidthMm);
    EXPECT_FLOAT_EQ(plot().canvas().xCursors()[1].x1, h * 0.5f);
    EXPECT_FALSE(plot().readout().isHidden());

    // Drag cursor B 40 pixels to the left.
    plot().update();
    QCoreApplication::processEvents();
    const QPoint from(px(plot().canvas().xCursors()[1].x1), 200);
    const QPoint to = from - QPoint(40, 0);
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, plot().mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&plot(), &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    const double b = plot().canvas().xCursors()[1].x1;
    EXPECT_LT(b, h * 0.5f);
    EXPECT_DOUBLE_EQ(plot().readoutRecord().B, static_cast<double>(static_cast<float>(b)));
    EXPECT_EQ(plot().readout().findChild<QLabel*>("label_t_21")->text().section(',', 0, 0),
              "(" + QString::number(b, 'f', 3));

    button("pushButton_ABLine")->click();  // again: a fresh pair at the middle positions
    EXPECT_FLOAT_EQ(plot().canvas().xCursors()[1].x1, h * 0.5f);
    button("pushButton_abline_hide")->click();
    EXPECT_TRUE(plot().canvas().xCursors().isEmpty());
    EXPECT_TRUE(plot().readout().isHidden());
}

TEST_F(ProfileWindow, CursorButtonsDoNothingWithoutAConnection) {
    client().close();
    button("pushButton_ABLine")->click();
    button("pushButton_abline_y")->click();
    EXPECT_TRUE(plot().canvas().xCursors().isEmpty());
    EXPECT_TRUE(plot().canvas().zCursors().isEmpty());
    EXPECT_TRUE(plot().readout().isHidden());
}
