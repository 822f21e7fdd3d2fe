#pragma once
// The program's style: the platform-neutral "windows" style, except for the
// title bars of the sub-windows that carry a title code (mdi_title_code.h),
// which get the program's own colours, buttons, icon and name.
#include <QProxyStyle>
#include <QString>

#include <atomic>

class myqss : public QProxyStyle {
    Q_OBJECT
public:
    static constexpr int kAccentRed = 244;
    static constexpr int kAccentGreen = 77;
    static constexpr int kAccentBlue = 1;

    // languageIndex: 0 Chinese window names, otherwise English.
    explicit myqss(int languageIndex = 0);

    // The language of the window names; the language switch sets it, so
    // that painting never reads the settings file.
    void setLanguageIndex(int index) { languageIndex_ = index; }
    int languageIndex() const { return languageIndex_; }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;

    // Draws the image file scaled to w x h (aspect ratio ignored) at (x, y).
    void drawIcon(const QString& file, int x, int y, QPainter* painter, int w, int h) const;

private:
    void drawCodedTitleBar(const QString& code, const QRect& rect, QPainter* painter) const;

    std::atomic<int> languageIndex_;
};
