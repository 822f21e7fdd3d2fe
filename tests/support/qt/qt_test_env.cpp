#include "tests/support/qt/qt_test_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

namespace mirevo::test {

namespace {

QtMessageHandler previousHandler = nullptr;

void failOnUnmatchedSlots(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.contains(QStringLiteral("No matching signal for")))
        ADD_FAILURE() << message.toStdString();
    if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

void prepareQtTestEnvironment() {
    // Texts are drawn the same on every machine only with a fixed scale.
    qputenv("QT_AUTO_SCREEN_SCALE_FACTOR", "0");
    qputenv("QT_SCALE_FACTOR", "1");
}

void installQtWarningChecks() { previousHandler = qInstallMessageHandler(failOnUnmatchedSlots); }

QImage saveGrab(QWidget& widget, const QString& name) {
    QImage image = widget.grab().toImage();
    saveImage(image, name);
    return image;
}

void saveImage(const QImage& image, const QString& name) {
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace mirevo::test
