// The gray image form over intensities placed in the real client's batch: the
// picture of R rows by the profile width, the old picture kept without rows,
// the refresh on page 4 of the watched stack and on the button.
#include <QPushButton>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include "tests/support/qt/qt_test_env.h"
#include "tests/views_height/height_test_env.h"
#include "views/height/light_gray_form.h"
#include "views/height/pic_label.h"

namespace {

class LightGrayFormTest : public height_test::WorkFolderTest {
protected:
    // Rows of intensity 10 r + c % 7 (short rows as given), heights unused.
    static void setIntensities(int rows, int width, int shortRow = -1) {
        std::vector<std::vector<double>> heights(static_cast<size_t>(rows));
        std::vector<std::vector<uint8_t>> intensity(static_cast<size_t>(rows));
        for (int r = 0; r < rows; ++r) {
            const int n = r == shortRow ? width / 2 : width;
            heights[static_cast<size_t>(r)].assign(static_cast<size_t>(n), 0.0);
            for (int c = 0; c < n; ++c) intensity[static_cast<size_t>(r)].push_back(static_cast<uint8_t>(10 * r + c % 7));
        }
        setBatch(heights, intensity);
    }
};

TEST_F(LightGrayFormTest, FormAndThePictureOfTheBatchIntensities) {
    LightGrayForm form;
    EXPECT_EQ(form.windowTitle(), "Form");
    EXPECT_EQ(form.size(), QSize(617, 592));
    QPushButton* off = form.findChild<QPushButton*>("pushButton_GaussianBlur_off");
    ASSERT_NE(off, nullptr);
    EXPECT_EQ(off->text(), "off");
    ASSERT_NE(form.findChild<PicLabel*>("label"), nullptr);

    const int width = linelaserClient()->profilePointCount();
    setIntensities(12, width, 5);
    off->click();
    const QImage picture = form.lastPicture().toImage();
    ASSERT_EQ(picture.size(), QSize(width, 12));
    EXPECT_EQ(qGray(picture.pixel(0, 0)), 0);
    EXPECT_EQ(qGray(picture.pixel(3, 4)), 43);
    EXPECT_EQ(qGray(picture.pixel(width - 1, 11)), 110 + (width - 1) % 7);
    EXPECT_EQ(qGray(picture.pixel(width / 2 - 1, 5)), 50 + (width / 2 - 1) % 7);
    EXPECT_EQ(qGray(picture.pixel(width / 2, 5)), 0) << "a short row is black beyond its end";
    EXPECT_EQ(form.pictureLabel()->picture().size(), picture.size());

    form.resize(617, 592);
    const QImage shot = mirevo::test::saveGrab(form, "light_gray_form");
    EXPECT_EQ(QColor(shot.pixel(600, 10)), QColor(Qt::black)) << "the label's black background";
}

TEST_F(LightGrayFormTest, WithoutRowsTheOldPictureStays) {
    LightGrayForm form;
    form.refreshGray();
    EXPECT_TRUE(form.lastPicture().isNull());
    setIntensities(3, linelaserClient()->profilePointCount());
    form.refreshGray();
    const qint64 key = form.lastPicture().cacheKey();
    clearBatch();
    form.findChild<QPushButton*>("pushButton_GaussianBlur_off")->click();
    EXPECT_EQ(form.lastPicture().cacheKey(), key);
    EXPECT_EQ(form.pictureLabel()->picture().height(), 3);
}

TEST_F(LightGrayFormTest, RefreshesWhenTheWatchedStackShowsPageFour) {
    QStackedWidget stack;
    for (int i = 0; i < 6; ++i) stack.addWidget(new QWidget);
    LightGrayForm form;
    form.setHomePage(&stack);
    setIntensities(2, linelaserClient()->profilePointCount());
    stack.setCurrentIndex(3);
    EXPECT_TRUE(form.lastPicture().isNull()) << "other pages do nothing";
    stack.setCurrentIndex(4);
    EXPECT_EQ(form.lastPicture().height(), 2);
    setIntensities(7, linelaserClient()->profilePointCount());
    stack.setCurrentIndex(5);
    EXPECT_EQ(form.lastPicture().height(), 2);
    stack.setCurrentIndex(4);
    EXPECT_EQ(form.lastPicture().height(), 7);
}

}  // namespace
