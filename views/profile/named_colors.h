#pragma once
// The colour names by which every plot colour is chosen.
#include <QColor>
#include <QMap>
#include <QString>

// Filled before main runs with the nine plot colours, all opaque. Looked up
// with operator[], so an unknown name is added with an invalid colour.
extern QMap<QString, QColor> namedColorMap;
