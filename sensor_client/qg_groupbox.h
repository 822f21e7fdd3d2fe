#pragma once
// A group box that, when clicked on an empty spot, emits clicked1 and moves
// the keyboard focus to an invisible line edit, so that a field being edited
// inside it finishes its edit.
#include <QGroupBox>

class QLineEdit;

class QGGroupbox : public QGroupBox {
    Q_OBJECT
public:
    explicit QGGroupbox(QWidget* parent = nullptr);
    ~QGGroupbox() override;

signals:
    void clicked1();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QLineEdit* focusSink_;
};
