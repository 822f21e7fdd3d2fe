#include "views/camera/full_view_widget.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <opencv2/core.hpp>

#include "sensor_client/linelaser_client.h"
#include "sensor_client/log_helper.h"
#include "sensor_client/prompter.h"
#include "views/camera/full_view_widget_form.h"
#include "views/camera/image_scene.h"
#include "views/camera/img_graphics_view.h"
#include "views/camera/raw_image_dump.h"
#include "views/height/cv_mat_to_qimage.h"
#include "views/profile/outline_chart_widget.h"

namespace {

constexpr int kHidden = camera_scene::kHiddenColumns;

QPushButton* headerButton(QWidget* parent, const char* name, const char* icon) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedSize(30, 30);
    button->setIcon(QIcon(QString::fromLatin1(icon)));
    button->setIconSize(QSize(25, 25));
    return button;
}

}  // namespace

void Ui::FullViewWidget::setupUi(QWidget* form) {
    form->setObjectName(QStringLiteral("FullViewWidget"));
    form->resize(658, 560);
    form->setWindowTitle(QStringLiteral("Form"));
    auto* outer = new QVBoxLayout(form);
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);

    stackedWidget = new QStackedWidget(form);
    stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    outer->addWidget(stackedWidget);

    page_fullview_1 = new QWidget();
    page_fullview_1->setObjectName(QStringLiteral("page_fullview_1"));
    auto* row = new QHBoxLayout(page_fullview_1);
    row->setSpacing(0);
    row->setContentsMargins(0, 0, 0, 0);

    horizontalWidget_fullview_header = new QWidget(page_fullview_1);
    horizontalWidget_fullview_header->setObjectName(QStringLiteral("horizontalWidget_fullview_header"));
    horizontalWidget_fullview_header->setFixedWidth(50);
    horizontalWidget_fullview_header->setAttribute(Qt::WA_StyledBackground, true);
    horizontalWidget_fullview_header->setStyleSheet(QStringLiteral(
        "#horizontalWidget_fullview_header { background: rgb(30, 30, 30); }"
        "QPushButton { background: rgb(83, 83, 83); border-radius: 4px; border: none; }"
        "QPushButton:hover { background: rgb(51, 51, 51); }"
        "QPushButton:pressed { background: rgb(26, 25, 24); }"));
    auto* buttons = new QVBoxLayout(horizontalWidget_fullview_header);
    buttons->setSpacing(5);
    buttons->setContentsMargins(10, 10, 0, 0);
    QWidget* header = horizontalWidget_fullview_header;
    pushButton_xy_zoom_reset = headerButton(header, "pushButton_xy_zoom_reset", ":/res/res/img2/icon-Refresh.png");
    pushButton_zoom_in = headerButton(header, "pushButton_zoom_in", ":/res/res/img2/icon-enlarge.png");
    pushButton_zoom_out = headerButton(header, "pushButton_zoom_out", ":/res/res/img2/icon-narrow.png");
    pushButton_light_show = headerButton(header, "pushButton_light_show", ":/res/res/img2/icon-zhedietu.png");
    pushButton_outimg = headerButton(header, "pushButton_outimg", ":/res/res/img2/outimg.png");
    for (QPushButton* b :
         {pushButton_xy_zoom_reset, pushButton_zoom_in, pushButton_zoom_out, pushButton_light_show, pushButton_outimg})
        buttons->addWidget(b);
    buttons->addStretch(1);
    row->addWidget(horizontalWidget_fullview_header);

    verticalWidget = new QWidget(page_fullview_1);
    verticalWidget->setObjectName(QStringLiteral("verticalWidget"));
    auto* column = new QVBoxLayout(verticalWidget);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);
    graphicsView_img = new ImgGraphicsView(verticalWidget);
    graphicsView_img->setObjectName(QStringLiteral("graphicsView_img"));
    graphicsView_img->setMouseTracking(true);
    graphicsView_img->setAlignment(Qt::AlignCenter);
    column->addWidget(graphicsView_img);
    row->addWidget(verticalWidget, 1);

    stackedWidget->addWidget(page_fullview_1);
}

std::mutex& fullViewImageMutex() {
    static std::mutex mutex;
    return mutex;
}

FullViewWidget::FullViewWidget(QWidget* parent) : QWidget(parent), ui(new Ui::FullViewWidget) {
    ui->setupUi(this);
    // By name before the profile chart joins: its buttons share these names.
    QMetaObject::connectSlotsByName(this);
    auto* chart = new OutlineChartWidget();
    ui->page_2 = chart;
    ui->page_2->setObjectName(QStringLiteral("page_2"));
    ui->stackedWidget->addWidget(ui->page_2);
    ui->stackedWidget->setCurrentIndex(0);
    connect(chart, &OutlineChartWidget::signal_FullImgBtn, this, [this] { ui->stackedWidget->setCurrentIndex(0); });

    ImgGraphicsView* view = ui->graphicsView_img;
    QTimer::singleShot(50, this, [view] { view->scene->fitView(); });
    connect(ui->pushButton_xy_zoom_reset, &QPushButton::clicked, this, [view] { view->scene->fitView(); });
    connect(linelaserClient(), &LinelaserClient::signal_recv_regkey, this, &FullViewWidget::slot_recv_regkey);
}

FullViewWidget::~FullViewWidget() { delete ui; }

ImgGraphicsView* FullViewWidget::graphicsView() const { return ui->graphicsView_img; }

void FullViewWidget::refreshImage() {
    std::lock_guard<std::mutex> lock(fullViewImageMutex());
    const int columns = linelaserClient()->modelGeometry().columns;
    peakRows.resize(static_cast<size_t>(columns > 0 ? columns : 0), 0.0f);
    linelaserClient()->copyRawImage(&rawImage, peakRows.data(), static_cast<int>(peakRows.size()));
    // An image without a single display column is no image.
    if (rawImage.empty() || rawImage.cols <= 2 * kHidden) return;
    const cv::Mat shown = rawImage(cv::Rect(kHidden, 0, rawImage.cols - 2 * kHidden, rawImage.rows));
    if (peakRows.size() >= static_cast<size_t>(2 * kHidden)) {
        peakRows.erase(peakRows.end() - kHidden, peakRows.end());
        peakRows.erase(peakRows.begin(), peakRows.begin() + kHidden);
    } else {
        peakRows.clear();
    }
    ui->graphicsView_img->scene->setImage(CVS::cvMatToQImage(shown), peakRows);
}

void FullViewWidget::resetImage() {
    linelaserClient()->resetRawImage();
    refreshImage();
}

void FullViewWidget::slots_add_Polygon(int x, int y, int x1, int y1) {
    ImgGraphicsView* view = ui->graphicsView_img;
    if (x < 0 && x1 < 0) {
        view->rectMode = 0;
        return;
    }
    view->scene->setRectStart(QPoint(x, y));
    view->scene->setRectEnd(QPoint(x1, y1));
    view->rectMode = 1;
}

void FullViewWidget::slot_set_cursor_x(int x1_start, int x1_end, int x2_start, int x2_end, int boundary) {
    showfullimg& scene = *ui->graphicsView_img->scene;
    scene.setCursors(x1_start, x1_end, x2_start, x2_end, boundary);
    scene.updateCursors();
}

void FullViewWidget::on_pushButton_zoom_in_clicked() { ui->graphicsView_img->scene->zoomIn(); }

void FullViewWidget::on_pushButton_zoom_out_clicked() { ui->graphicsView_img->scene->zoomOut(); }

void FullViewWidget::on_pushButton_outimg_clicked() {
    const QString path =
        ui::prompter().getSaveFileName(this, tr("保存日志"), QStringLiteral("./img.dat"), tr("保存日志 (*.dat)"));
    if (path.isEmpty()) return;
    if (rawImage.empty() || peakRows.empty()) return;
    std::lock_guard<std::mutex> lock(fullViewImageMutex());
    const QByteArray bytes = raw_image_dump::buildRawImageDump(rawImage, peakRows);
    if (bytes.isEmpty()) return;
    QString error;
    // No box: the dump is a tool for analysis; a failure only goes to the log.
    if (!raw_image_dump::writeDumpFile(path, bytes, &error))
        LogHelper::log(CLOG_LEVEL::RERROR, nullptr, nullptr, __LINE__,
                       QStringLiteral("raw image dump to %1 failed: %2").arg(path, error));
}

void FullViewWidget::slot_recv_regkey(int, int) {}

void FullViewWidget::slot_leftpage_currentChanged(int) {}
