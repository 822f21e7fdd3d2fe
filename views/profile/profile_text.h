#pragma once
// The profile window's two text forms of a profile (x and z in millimetres,
// six significant digits, invalid heights as -9999).
#include <QByteArray>
#include <QString>
#include <QVector>

// The file "outline_mm.csv": "x,z", then one "x,z" line per point in sensor
// order, CR LF line ends, UTF-8.
QByteArray profileCsv(const QVector<double>& x, const QVector<double>& z);

// The clipboard text: one "x<TAB>z" line per point ending in LF, no header.
QString profileClipboardText(const QVector<double>& x, const QVector<double>& z);
