#pragma once
// Texts a person cannot read whole: every visible label, button and combo box
// of a window whose text is wider (or, for wrapped labels, taller) than the
// room its widget gives it. Measured with the widget's own font and style, so
// style sheet paddings and icons count.
#include <QString>
#include <QStringList>

class QWidget;

namespace mirevo::test {

// One line per clipped text: "<object path>@<class>: "<text>" needs N px, has M px".
QStringList clippedTexts(QWidget& window);

}  // namespace mirevo::test
