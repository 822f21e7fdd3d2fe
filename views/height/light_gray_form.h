#pragma once
// The intensities of the current batch as a grey picture, one image row per
// profile. Rebuilt when the watched page stack switches to page 4 and when
// the form's button is pressed; it does not follow the running batch.
#include <QPixmap>
#include <QWidget>

namespace Ui {
class LightGrayForm;
}
class PicLabel;

class LightGrayForm : public QWidget {
    Q_OBJECT

public:
    explicit LightGrayForm(QWidget* parent = nullptr);
    ~LightGrayForm() override;

    // Watches the stack's currentChanged(int).
    void setHomePage(QObject* stack);
    void refreshGray();

    const QPixmap& lastPicture() const { return lastPicture_; }
    PicLabel* pictureLabel() const;

    static constexpr int kOwnPage = 4;

private slots:
    void slot_homePage_currentChanged(int val);
    void on_pushButton_GaussianBlur_off_clicked();

private:
    Ui::LightGrayForm* ui;
    QPixmap lastPicture_;
    QObject* homePage_ = nullptr;
};
