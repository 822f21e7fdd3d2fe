#include "sensor_interface/registry/hvq5_api.h"
#include "sensor_interface/log/log_manager.h"
#include "sensor_interface/registry/tandrel_zp_manager.h"

namespace {

// Exceptions never leave an export.
template <typename Body>
int guarded(int onException, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return onException;
    }
}

}  // namespace

extern "C" {

HVQ5_API int HVQ5_Initialize() {
    return guarded(HVQ5_RC_OK, [] {
        if (!takeFirstCall()) return HVQ5_RC_OK;
        sdkManager().init_socket();
        if (sdkManager().open_count() > 0) return HVQ5_RC_ALREADY_OPEN;
        LogManager::instance();
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_Initialize_Config(bool skipSocket, int) {
    return guarded(HVQ5_RC_OK, [skipSocket] {
        if (skipSocket)
            sdkManager().open_count();
        else
            runFirstCallStep();
        LogManager::instance();
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_2_Initialize() { return HVQ5_Initialize_Config(false, 0); }

HVQ5_API int HVQ5_Initialize_NoSock() {
    return guarded(HVQ5_RC_OK,
                   [] { return sdkManager().open_count() > 0 ? HVQ5_RC_ALREADY_OPEN : HVQ5_RC_OK; });
}

HVQ5_API int HVQ5_Finalize() {
    return guarded(HVQ5_RC_OK, [] {
        sdkManager().finalize();
        return HVQ5_RC_OK;
    });
}

HVQ5_API int HVQ5_InitializeSetting(int id) {
    return deviceStatusCall(id, [](tandrel_zp_clients&) { return HVQ5_RC_NOT_OPEN; });
}

HVQ5_API double HVQ5_GetZNullDataMM() { return -9999.0; }

HVQ5_API uint32_t hvq5_test_add(int, uint32_t a, uint32_t b) { return a + b; }

}  // extern "C"
