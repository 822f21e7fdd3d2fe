#pragma once
// The camera image page: the sensor's raw image without its 8 outer columns
// at each side, with the laser line's peaks, zoom buttons, the 2.5D cursors,
// the rectangles of the imaging pages, and the raw image dump. It refreshes
// only when the settings window calls refreshImage.
#include <QWidget>

#include <opencv2/core/mat.hpp>

#include <mutex>
#include <vector>

class ImgGraphicsView;
class QPushButton;
class QStackedWidget;

namespace Ui {
struct FullViewWidget;
}

// Held by the page's refresh and by the dump for their whole run.
std::mutex& fullViewImageMutex();

class FullViewWidget : public QWidget {
    Q_OBJECT
public:
    explicit FullViewWidget(QWidget* parent = nullptr);
    ~FullViewWidget() override;

    // Takes the client's newest image and peak rows into the scene.
    void refreshImage();
    // Blackens the client's image at the current window size, then refreshes.
    void resetImage();
    ImgGraphicsView* graphicsView() const;

    Ui::FullViewWidget* ui;
    cv::Mat rawImage;             // the last copy, uncropped
    std::vector<float> peakRows;  // after a refresh: one per display column

public slots:
    void slots_add_Polygon(int x, int y, int x1, int y1);
    void slot_set_cursor_x(int x1_start, int x1_end, int x2_start, int x2_end, int boundary);
    void on_pushButton_zoom_in_clicked();
    void on_pushButton_zoom_out_clicked();
    void on_pushButton_outimg_clicked();
    void slot_recv_regkey(int reg, int val);
    void slot_leftpage_currentChanged(int index);
};
