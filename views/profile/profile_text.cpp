#include "views/profile/profile_text.h"

#include <algorithm>

namespace {

QString number(double v) { return QString::number(v, 'g', 6); }

}  // namespace

QByteArray profileCsv(const QVector<double>& x, const QVector<double>& z) {
    QString text = QStringLiteral("x,z\r\n");
    const int n = std::min(x.size(), z.size());
    for (int i = 0; i < n; ++i) text += number(x[i]) + QLatin1Char(',') + number(z[i]) + QStringLiteral("\r\n");
    return text.toUtf8();
}

QString profileClipboardText(const QVector<double>& x, const QVector<double>& z) {
    QString text;
    const int n = std::min(x.size(), z.size());
    for (int i = 0; i < n; ++i) text += number(x[i]) + QLatin1Char('\t') + number(z[i]) + QLatin1Char('\n');
    return text;
}
