#include "app/about_dialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextStream>
#include <QVBoxLayout>

const char* const kProgramVersion = MIREVO_VERSION;

namespace {

constexpr Qt::WindowFlags kAboutFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint;

QPlainTextEdit* addTextView(QDialog* dialog) {
    auto* layout = new QVBoxLayout(dialog);
    auto* text = new QPlainTextEdit(dialog);
    text->setObjectName(QStringLiteral("plainTextEdit"));
    QFont font = text->font();
    font.setPointSize(10);
    text->setFont(font);
    text->setReadOnly(true);
    layout->addWidget(text);
    return text;
}

}  // namespace

version_dialog::version_dialog(QWidget* parent) : QDialog(parent, kAboutFlags) {
    setObjectName(QStringLiteral("version_dialogClass"));
    resize(291, 320);
    setWindowTitle(QCoreApplication::translate("version_dialogClass", "关于"));
    text_ = addTextView(this);
    text_->setPlainText(tr("软件版本") + QStringLiteral(" v") + QString::fromLatin1(kProgramVersion) +
                        QStringLiteral("\n"));
}

qt_dialog::qt_dialog(QWidget* parent) : QDialog(parent, kAboutFlags) {
    setObjectName(QStringLiteral("qt_dialogClass"));
    resize(291, 331);
    setWindowTitle(QCoreApplication::translate("qt_dialogClass", "关于qt5.12"));
    text_ = addTextView(this);
    QFile notice(QStringLiteral("qt.md"));
    if (notice.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&notice);
        in.setCodec("UTF-8");
        text_->setPlainText(in.readAll());
    }
}
