#pragma once
// The camera image page's form.
#include <QWidget>

class ImgGraphicsView;
class QPushButton;
class QStackedWidget;

namespace Ui {

struct FullViewWidget {
    QStackedWidget* stackedWidget = nullptr;
    QWidget* page_fullview_1 = nullptr;
    QWidget* horizontalWidget_fullview_header = nullptr;
    QPushButton* pushButton_xy_zoom_reset = nullptr;
    QPushButton* pushButton_zoom_in = nullptr;
    QPushButton* pushButton_zoom_out = nullptr;
    QPushButton* pushButton_light_show = nullptr;
    QPushButton* pushButton_outimg = nullptr;
    QWidget* verticalWidget = nullptr;
    ImgGraphicsView* graphicsView_img = nullptr;
    QWidget* page_2 = nullptr;

    void setupUi(QWidget* form);
};

}  // namespace Ui
