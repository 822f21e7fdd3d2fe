#include "app/myqss.h"

#include <QDebug>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyleFactory>
#include <QStyleOptionTitleBar>

#include "app/mdi_title_code.h"

namespace {

constexpr int kButtonIcon = 12;
constexpr int kWindowIcon = 20;
const char kIconFolder[] = ":/res/res/img2/";

QString iconFile(const char* name, bool white) {
    return QString(kIconFolder) + "icon-" + name + (white ? "_white.png" : "_black.png");
}

}  // namespace

myqss::myqss(int languageIndex) : QProxyStyle(QStyleFactory::create("windows")), languageIndex_(languageIndex) {}

void myqss::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                               const QWidget* widget) const {
    if (control != CC_TitleBar) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const auto* titleBar = qstyleoption_cast<const QStyleOptionTitleBar*>(option);
    if (!titleBar) return;
    qDebug() << titleBar->text;
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (MdiTitleCode::isCode(titleBar->text)) drawCodedTitleBar(titleBar->text, titleBar->rect, painter);
}

QIcon myqss::standardIcon(StandardPixmap pixmap, const QStyleOption* option, const QWidget* widget) const {
    // The title bar's buttons: menu, minimise, maximise, close, restore,
    // shade, unshade, context help.
    const bool titleBarButton = pixmap >= SP_TitleBarMenuButton && pixmap <= SP_TitleBarContextHelpButton;
    if (!titleBarButton) return QProxyStyle::standardIcon(pixmap, option, widget);
    auto made = titleBarIcons_.find(pixmap);
    if (made == titleBarIcons_.end())
        made = titleBarIcons_.emplace(pixmap, QProxyStyle::standardIcon(pixmap, option, widget)).first;
    return made->second;
}

void myqss::drawCodedTitleBar(const QString& code, const QRect& rect, QPainter* painter) const {
    const bool active = code[MdiTitleCode::kActive] != '0';
    painter->save();
    painter->fillRect(rect.adjusted(-5, -5, 0, 0),
                      active ? QColor(kAccentRed, kAccentGreen, kAccentBlue) : QColor(255, 255, 255));
    painter->setPen(active ? Qt::white : Qt::black);

    const int right = rect.left() + rect.width();
    const int y = rect.top() + 4;
    const QChar state = code[MdiTitleCode::kState];
    const char* first = state == '1' ? "RestoreDown" : "minimize";
    const char* second = state == '0' || state == '1' ? "maximize" : "RestoreDown";
    drawIcon(iconFile(first, active), right - 57, y, painter, kButtonIcon, kButtonIcon);
    drawIcon(iconFile(second, active), right - 37, y, painter, kButtonIcon, kButtonIcon);
    drawIcon(iconFile("close", active), right - 17, y, painter, kButtonIcon, kButtonIcon);

    const QChar kind = code[MdiTitleCode::kKind];
    const bool english = languageIndex_ != 0;
    if (kind == '1') {
        drawIcon(QString(kIconFolder) + "icon-lunkuotu.png", 4, 4, painter, kWindowIcon, kWindowIcon);
        painter->drawText(QPoint(25, 18), english ? QStringLiteral("Profile view") : QStringLiteral("轮廓图"));
    } else if (kind == '2') {
        drawIcon(QString(kIconFolder) + "icon-gaodutu.png", 4, 4, painter, kWindowIcon, kWindowIcon);
        painter->drawText(QPoint(25, 18), english ? QStringLiteral("Height view") : QStringLiteral("高度图"));
    }
    painter->restore();
}

void myqss::drawIcon(const QString& file, int x, int y, QPainter* painter, int w, int h) const {
    // Title bars repaint often: each file is decoded and scaled once.
    const QString key = QStringLiteral("myqss:%1:%2x%3").arg(file).arg(w).arg(h);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap(file).scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        QPixmapCache::insert(key, pixmap);
    }
    painter->drawPixmap(QRect(x, y, w, h), pixmap);
}
