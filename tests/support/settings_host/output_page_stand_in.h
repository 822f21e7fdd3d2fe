#pragma once
// Stands in for the output settings page as the 2.5D pages meet it: its
// measured-value thread emits signal_update_data (here from a worker thread
// of the test), and it counts the pages' requests to reopen its
// measured-value file.
#include <QObject>
#include <QString>

namespace mirevo::test {

class OutputPageStandIn : public QObject {
    Q_OBJECT

public:
    // Emits signal_update_data once from a thread of its own and joins it.
    void emitFromWorker(const QString& name, const QString& value, int boundary, int offset1, int offset2, int len1,
                        int len2);
    int saveChanges() const { return saveChanges_; }
    // The window's calls when it shows the page: load, then output kind 2.
    int loads() const { return loads_; }
    int outputKind() const { return outputKind_; }
    void load() { ++loads_; }
    void setOutputKind(int kind) { outputKind_ = kind; }

signals:
    void signal_update_data(QString name, QString value, int boundary, int offset1, int offset2, int len1, int len2);

public slots:
    void slot_values_save_changed() { ++saveChanges_; }

private:
    int saveChanges_ = 0;
    int loads_ = 0;
    int outputKind_ = -1;
};

}  // namespace mirevo::test
