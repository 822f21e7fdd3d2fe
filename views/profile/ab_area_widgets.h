#pragma once
// The A/B cursor read-out: a small panel of caption and value rows that
// floats over a plot.
#include <QWidget>

#include "views/height/qcustomplot_alline.h"

namespace Ui {
class ABAreaWidgets;
}

class ABAreaWidgets : public QWidget {
    Q_OBJECT

public:
    explicit ABAreaWidgets(QWidget* parent = nullptr);
    ~ABAreaWidgets() override;

public slots:
    void slot_recvabdatas(qcustomplot_alline::ABStruct datas);

private:
    Ui::ABAreaWidgets* ui;
};
