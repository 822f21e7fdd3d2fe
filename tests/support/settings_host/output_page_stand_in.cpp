#include "tests/support/settings_host/output_page_stand_in.h"

#include <thread>

namespace mirevo::test {

void OutputPageStandIn::emitFromWorker(const QString& name, const QString& value, int boundary, int offset1,
                                       int offset2, int len1, int len2) {
    std::thread worker([&] { emit signal_update_data(name, value, boundary, offset1, offset2, len1, len2); });
    worker.join();
}

}  // namespace mirevo::test
