#include "tests/support/qt/file_dialog_driver.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

namespace mirevo::test {

namespace {
constexpr int kPollMs = 10;
// How long the driver waits for a name to appear in the dialog's list.
constexpr int kListWaitTicks = 500;
}  // namespace

FileDialogDriver::FileDialogDriver() {
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &FileDialogDriver::poll);
}

void FileDialogDriver::answerNext(const QString& typedName, const QString& filter, const QString& mustList) {
    typed_ = typedName;
    filter_ = filter;
    mustList_ = mustList;
    listWaitTicks_ = 0;
    pending_ = true;
    answered_ = false;
    listed_ = false;
    timer_.start();
}

void FileDialogDriver::answerOverwrite(bool replace) {
    overwritePending_ = true;
    replace_ = replace;
    overwriteAsked_ = false;
    timer_.start();
}

QStringList FileDialogDriver::listedNames(QFileDialog& dialog) const {
    QStringList names;
    auto* list = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
    if (!list || !list->model()) return names;
    const QModelIndex root = list->rootIndex();
    for (int row = 0; row < list->model()->rowCount(root); ++row)
        names << list->model()->index(row, 0, root).data().toString();
    return names;
}

void FileDialogDriver::answer(QFileDialog& dialog) {
    offeredFilters_ = dialog.nameFilters();
    if (!filter_.isEmpty()) dialog.selectNameFilter(filter_);
    selectedFilter_ = dialog.selectedNameFilter();
    pending_ = false;
    answered_ = true;
    if (typed_.isEmpty()) {
        dialog.reject();
        return;
    }
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!edit) {
        dialog.reject();
        return;
    }
    edit->setText(typed_);
    // Return in the name box, as a person ends typing. Sent from an event of
    // its own: the dialog may then ask about an existing file in a nested
    // loop, where poll() must be free to answer.
    QTimer::singleShot(0, edit, [edit] { QTest::keyClick(edit, Qt::Key_Return); });
}

void FileDialogDriver::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (overwritePending_) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            overwritePending_ = false;
            overwriteAsked_ = true;
            box->button(replace_ ? QMessageBox::Yes : QMessageBox::No)->click();
            // Going back to the dialog: a person then gives up.
            if (!replace_) {
                typed_.clear();
                pending_ = true;
            }
            return;
        }
    }
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (pending_ && dialog && dialog->isVisible()) {
        if (!mustList_.isEmpty() && !listed_) {
            listed_ = listedNames(*dialog).contains(mustList_);
            if (!listed_ && ++listWaitTicks_ < kListWaitTicks) return;
        }
        answer(*dialog);
    }
    if (!pending_ && !overwritePending_) timer_.stop();
}

}  // namespace mirevo::test
