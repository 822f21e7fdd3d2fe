#include "views/profile/named_colors.h"

QMap<QString, QColor> namedColorMap = {
    {QStringLiteral("red"), QColor(255, 0, 0)},       {QStringLiteral("green"), QColor(0, 255, 0)},
    {QStringLiteral("blue"), QColor(0, 0, 255)},      {QStringLiteral("black"), QColor(0, 0, 0)},
    {QStringLiteral("white"), QColor(255, 255, 255)}, {QStringLiteral("yellow"), QColor(255, 255, 0)},
    {QStringLiteral("cyan"), QColor(0, 255, 255)},    {QStringLiteral("magenta"), QColor(255, 0, 255)},
    {QStringLiteral("purple"), QColor(128, 0, 128)},
};
