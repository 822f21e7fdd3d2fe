#pragma once
// Set-up shared by the Qt test programs' main functions.
#include <QImage>
#include <QString>

class QWidget;

namespace mirevo::test {

// Before the QApplication: settings that must precede it.
void prepareQtTestEnvironment();

// A warning that says a slot found no signal to connect to (a misspelt
// by-name slot) fails the running test.
void installQtWarningChecks();

// Saves a grab of the widget as <build folder>/screenshots/<name>.png for
// people to look at, and returns it.
QImage saveGrab(QWidget& widget, const QString& name);

// Saves an image drawn without a widget the same way.
void saveImage(const QImage& image, const QString& name);

}  // namespace mirevo::test
