// The main window's head switch and language switch.
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include "app/head_switch.h"
#include "app/qt_line_laser_client.h"
#include "ui_qt_line_laser_client.h"

// ---------------------------------------------------------------- head switch

void QtLineLaserClient::on_action_sensor_head1_toggled(bool checked) {
    if (checked) switch_sensor_head(0);
}

void QtLineLaserClient::on_action_sensor_head2_toggled(bool checked) {
    if (checked) switch_sensor_head(1);
}

void QtLineLaserClient::on_action_sensor_head3_toggled(bool checked) {
    if (checked) switch_sensor_head(2);
}

void QtLineLaserClient::on_action_sensor_head4_toggled(bool checked) {
    if (checked) switch_sensor_head(3);
}

bool QtLineLaserClient::switch_sensor_head(int index) {
    if (index == currentHead.load(std::memory_order_acquire)) return true;
    waitDialog.move(mapToGlobal(rect().center()) - waitDialog.rect().center());
    waitDialog.show();
    // Another job holds the window's job thread: the switch cannot run, and
    // the tick puts the mark back on the connected head.
    if (closing_ || !jobs_.start([this, index] { headSwitchWorker(index); }))
        headSwitchResult.store(head_switch::kNoAddress, std::memory_order_release);
    return true;
}

void QtLineLaserClient::headSwitchWorker(int index) {
    head_switch::run(index, currentHead, headSwitchResult);
    // The label belongs to the GUI thread.
    QMetaObject::invokeMethod(this, "updateStatusLabel", Qt::QueuedConnection);
}

// ---------------------------------------------------------------- language switch

void QtLineLaserClient::slot_ChangeChinese() { changeLanguage(language_switch::kChinese); }

void QtLineLaserClient::slot_ChangeEnglish() { changeLanguage(language_switch::kEnglish); }

void QtLineLaserClient::changeLanguage(language_switch::Language language) {
    language_switch::logSwitch(language);
    language_switch::installTranslation(language, translator);
    language_switch::applyStyleSheet(language);
    retranslate();
    reopenSubWindows();
    ui->actionchinese->setChecked(language == language_switch::kChinese);
    ui->actionenglish->setChecked(language == language_switch::kEnglish);
    language_switch::setTitleBarLanguage(language);
    language_switch::storeChoice(language);
}

void QtLineLaserClient::retranslate() {
    // The form's retranslation also resets the labels that show the
    // sensor's data to the form's texts: keep what they show.
    QLabel* const dataLabels[] = {ui->label_sb_lmodel, ui->label_sb_sn, ui->label_sb_fpga_version,
                                  ui->label_sb_version, ui->label_sb_sdkversion};
    QString shown[std::size(dataLabels)];
    for (size_t i = 0; i < std::size(dataLabels); ++i) shown[i] = dataLabels[i]->text();
    ui->retranslateUi(this);
    for (size_t i = 0; i < std::size(dataLabels); ++i) dataLabels[i]->setText(shown[i]);
    setWindowTitle(tr("3D轮廓测量传感器软件"));
    if (progressButton) progressButton->setText(tr("确定"));
    updateStatusLabel();
}

void QtLineLaserClient::reopenSubWindows() {
    // Closing deletes a sub-window only later; delete the closed ones now, so
    // that the reopening below builds new windows in the new language.
    QList<QPointer<QMdiSubWindow>> open;
    for (QMdiSubWindow* sub : ui->mdiArea->subWindowList()) open.append(sub);
    ui->mdiArea->closeAllSubWindows();
    for (const QPointer<QMdiSubWindow>& sub : open)
        if (sub && !sub->isVisible()) delete sub.data();
    QTimer::singleShot(kReopenSubWindowsMs, this, [this] {
        openProfileWindow();
        openHeightWindow();
    });
}
