#include "views/height/light_gray_form.h"

#include <QStackedWidget>

#include <algorithm>
#include <mutex>

#include <opencv2/core.hpp>

#include "sensor_client/linelaser_client.h"
#include "views/height/cv_mat_to_qimage.h"
#include "views/height/pic_label.h"
#include "views/height/ui_light_gray_form.h"

LightGrayForm::LightGrayForm(QWidget* parent) : QWidget(parent), ui(new Ui::LightGrayForm) { ui->setupUi(this); }

LightGrayForm::~LightGrayForm() { delete ui; }

PicLabel* LightGrayForm::pictureLabel() const { return ui->label; }

void LightGrayForm::setHomePage(QObject* stack) {
    homePage_ = stack;
    connect(stack, SIGNAL(currentChanged(int)), this, SLOT(slot_homePage_currentChanged(int)));
}

void LightGrayForm::slot_homePage_currentChanged(int val) {
    if (val == kOwnPage) refreshGray();
}

void LightGrayForm::on_pushButton_GaussianBlur_off_clicked() { refreshGray(); }

void LightGrayForm::refreshGray() {
    LinelaserClient* client = linelaserClient();
    const int width = client->profilePointCount();
    cv::Mat image;
    {
        std::lock_guard<std::mutex> lock(client->batchMutex);
        const int rows = std::min<int>(client->batchProfileCount, static_cast<int>(client->batchIntensity.size()));
        if (rows < 1 || width < 1) return;
        image = cv::Mat::zeros(rows, width, CV_8UC1);
        for (int r = 0; r < rows; ++r) {
            const auto& source = client->batchIntensity[static_cast<size_t>(r)];
            // A row shorter than the picture leaves the rest black.
            const int n = std::min(width, static_cast<int>(source.size()));
            std::copy_n(source.data(), n, image.ptr<uint8_t>(r));
        }
    }
    lastPicture_ = CVS::cvMatToQImage(image);
    ui->label->setPicture(lastPicture_);
}
