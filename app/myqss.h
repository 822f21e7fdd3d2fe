#pragma once
// The program's style: the platform-neutral "windows" style, except for the
// title bars of the sub-windows that carry a title code (mdi_title_code.h),
// which get the program's own colours, buttons, icon and name.
#include <QIcon>
#include <QProxyStyle>
#include <QString>

#include <atomic>
#include <map>

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

    // The title bar's standard buttons are made once per kind and handed out
    // again: the base style makes a new icon on every call, and each new
    // icon's scaled pixmaps go into the process's pixmap cache under keys of
    // their own, so every repaint of a title bar would add copies that are
    // never found again (megabytes an hour until the cache's limit). Other
    // standard icons come from the base style as they are.
    QIcon standardIcon(StandardPixmap pixmap, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

    // Draws the image file scaled to w x h (aspect ratio ignored) at (x, y).
    void drawIcon(const QString& file, int x, int y, QPainter* painter, int w, int h) const;

private:
    void drawCodedTitleBar(const QString& code, const QRect& rect, QPainter* painter) const;

    std::atomic<int> languageIndex_;
    // Painting happens in the GUI thread only.
    mutable std::map<StandardPixmap, QIcon> titleBarIcons_;
};
