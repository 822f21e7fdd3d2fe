// Every window of the connected program, in English and in Chinese, at its
// default size: no text of a visible label, button or combo box (combo items
// included) is wider than the room its widget gives it. The main window
// switches language through its own menu; the settings window is walked page
// by page and view by view; each dialog is opened as its window opens it.
// Grabs of every window are saved (screenshots/texts_<language>_<window>.png).
#include <QAction>
#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include "app/about_dialogs.h"
#include "app/conn_edit_dialog.h"
#include "app/connect_set_dialog.h"
#include "sensor_client/app_settings.h"
#include "sensor_client/wait_loading_dialog.h"
#include "settings_windows/change_procedure_copy_dlg.h"
#include "settings_windows/change_procedure_dlg.h"
#include "settings_windows/change_procedure_set_name_dlg.h"
#include "settings_windows/measurement_common_settings_dlg.h"
#include "settings_windows/real_time_setting_dlg.h"
#include "settings_windows/supper_settings_dialog.h"
#include "tests/acceptance/program/program_fixture.h"
#include "tests/support/qt/clipped_texts.h"
#include "tests/support/qt/scripted_prompter.h"
#include "views/height/d3d_set_dialog.h"
#include "views/height/height_view.h"
#include "views/height/select_vtk_dialg.h"
#include "views/profile/outline_dead_angle_dlg.h"

namespace acceptance {
namespace {

// The tilt chart's reset button is 30 x 30 pixels with a 25-pixel icon and
// the letter "r" beside it, as its page is given: both show, two pixels into
// the button's edges.
const QString kGivenIconButton = QStringLiteral("page_left_inclinechart/widget/pushButton_reset@QPushButton: \"r\"");

constexpr int kRightPages = 19;
constexpr int kLeftViews = 7;

class TextsFit : public ProgramAcceptance {
protected:
    // Checks a window as it shows now and keeps a grab of it.
    void check(QWidget& window, const QString& name) {
        // Pending layouts settle, also those of texts set while events ran.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        for (const QString& line : mirevo::test::clippedTexts(window)) {
            if (line.contains(kGivenIconButton)) continue;
            clipped_ << language_ + " " + name + ": " + line;
        }
        // A form wider than the pane that scrolls it hides its right side.
        for (QScrollArea* area : window.findChildren<QScrollArea*>())
            if (area->isVisibleTo(&window) && area->horizontalScrollBar()->isVisible())
                clipped_ << language_ + " " + name + ": " + area->objectName() + " scrolls sideways";
        mirevo::test::saveGrab(window, "texts_" + language_ + "_" + name);
    }
    template <class Dialog>
    void checkShown(Dialog& dialog, const QString& name) {
        dialog.show();
        check(dialog, name);
        dialog.hide();
    }

    void switchLanguage(const char* action, const QString& language) {
        language_ = language;
        child<QAction>(action)->trigger();
        // The sub-windows are made again in the new language shortly after.
        spin(100);
    }

    // In batch mode the status bar counts batches and the rows of the
    // largest batch.
    void checkBatchStatus(QtLineLaserClient& window) {
        bool batch = true, singleFrame = false;
        ASSERT_EQ(client().cfgBatchEnable(1, &batch, &singleFrame), 0);
        const int batches = client().batchNumber.exchange(99999);
        const int rows = client().batchProfileCount.exchange(50000);
        EXPECT_TRUE(waitUntil([&] { return label("label_sb_row").endsWith("50000"); }));
        check(window, "main_window_batch_mode");
        client().batchNumber = batches;
        client().batchProfileCount = rows;
        batch = false;
        ASSERT_EQ(client().cfgBatchEnable(1, &batch, &singleFrame), 0);
    }

    void checkSettingsWindow(QtLineLaserClient& window) {
        auto* settings = new RealTimeSettingDlg(&window);
        settings->show();
        for (int page = 0; page < kRightPages; ++page) {
            settings->showRightPage(page);
            check(*settings, QStringLiteral("settings_page_%1").arg(page));
        }
        settings->showRightPage(0);
        auto* left = settings->findChild<QStackedWidget*>(QStringLiteral("stackedWidget_left"));
        ASSERT_NE(left, nullptr);
        for (int view = 0; view < kLeftViews; ++view) {
            left->setCurrentIndex(view);
            check(*settings, QStringLiteral("settings_view_%1").arg(view));
        }
        settings->advancedDialog().loadSettings();
        checkShown(settings->advancedDialog(), "advanced_dialog");
        MeasurementCommonSettingsDlg terminals(settings);
        checkShown(terminals, "terminal_dialog");
        settings->close();  // deletes itself
    }

    void checkProgramDialogs(QtLineLaserClient& window) {
        ChangeProcedureDlg programs(&window);
        checkShown(programs, "program_dialog");
        ChangeProcedureCopyDlg copy(&programs);
        copy.setPrograms(0, programNames());
        checkShown(copy, "program_copy_dialog");
        ChangeProcedureSetNameDlg name(&programs);
        name.setProgram("0", programNames().value(0));
        checkShown(name, "program_name_dialog");
    }

    void checkSmallDialogs(QtLineLaserClient& window) {
        ConnEditDialog address(&window);
        checkShown(address, "address_dialog");
        version_dialog about(&window);
        checkShown(about, "about_dialog");
        HeightView* heightView = window.heightMapView();
        ASSERT_NE(heightView, nullptr);
        D3dSetDialog range(heightView);
        checkShown(range, "height_range_dialog");
        select_vtk_dialg options(heightView);
        checkShown(options, "3d_options_dialog");
        OutLineDeadAngleDlg deadAngle;
        checkShown(deadAngle, "dead_angle_dialog");
        WaitLoadingDialog busy(&window);
        checkShown(busy, "busy_dialog");
    }

    void checkConnectionDialog(QtLineLaserClient& window) {
        ConnectSetDialog* dialog = window.connectionDialog();
        dialog->setMode(true);
        dialog->show();
        // It searches when it shows: the list is filled once the search ended.
        EXPECT_TRUE(waitUntil([&] { return !dialog->jobRunning(); }));
        spin(250);
        check(*dialog, "connection_dialog");
        dialog->hide();
    }

    QString language_;
    QStringList clipped_;
};

TEST_F(TextsFit, NoTextIsCutInAnyWindowInEitherLanguage) {
    mirevo::test::ScopedPrompter prompter;
    prompter->answerUnscriptedBoxesWith(QMessageBox::Ok);
    QtLineLaserClient& window = startAndConnect();
    for (const auto& [action, language] : {std::pair{"actionenglish", "en"}, std::pair{"actionchinese", "zh"}}) {
        switchLanguage(action, QString::fromLatin1(language));
        check(window, "main_window");
        checkBatchStatus(window);
        checkSettingsWindow(window);
        checkProgramDialogs(window);
        checkSmallDialogs(window);
        checkConnectionDialog(window);
    }
    EXPECT_TRUE(clipped_.isEmpty()) << clipped_.size() << " texts do not fit:\n  "
                                    << clipped_.join(QStringLiteral("\n  ")).toStdString();
}

}  // namespace
}  // namespace acceptance
