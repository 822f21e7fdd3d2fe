// The head information from arbitrary bytes, as the open reads it: the
// measuring-range registers, the four head records copied into the head
// information, the geometry its model text names and a processor bound to it,
// then one profile through that processor with the head's polynomials and
// height bounds. Whatever the head says, the processor stays inside its rows
// and every height it gives is a number or the invalid height.
//
// Input: registers 350, 351 and 352 (4 bytes each); four records (176, 182,
// 184, 183), each a length byte and its bytes; then the profile: a byte of
// options (bit 0: 32-bit words), the first column (2 bytes) and the words.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/sensor_fuzz_support.h"
#include "sensor_interface/command/block_codec.h"
#include "sensor_interface/command/head_info.h"
#include "sensor_interface/processing/fixed_point.h"
#include "sensor_interface/processing/profile_processor.h"
#include "sensor_interface/registry/model_info.h"
#include "sensor_interface/registry/model_table.h"
#include "sensor_interface/status_codes.h"

namespace {

hvq5_settings& image() {
    static hvq5_settings* settings = [] {
        auto* made = new hvq5_settings;
        fuzz::setFactoryRegisters(*made);
        return made;
    }();
    return *settings;
}

// One processor per geometry for the whole run (each builds a row table of
// 1216 rows from its calibration), bound to the head information of the
// current input.
ProfileProcessor& processorFor(const ModelGeometry& geometry, const zp_laser_reg::laser_params* params) {
    static std::unique_ptr<ProfileProcessor> processors[4];
    const size_t slot = geometry.columns == 848 ? 0 : geometry.points == 3200 ? 1 : geometry.points == 4096 ? 2 : 3;
    if (!processors[slot]) {
        processors[slot] = std::make_unique<ProfileProcessor>(geometry.columns, geometry.points, geometry.pointsPerColumn);
        processors[slot]->bind(&image(), params);
        FUZZ_CHECK(processors[slot]->setCalibration(fuzz::soundCalibration()));
    }
    processors[slot]->bind(&image(), params);
    return *processors[slot];
}

void checkModelTexts(const zp_laser_reg::laser_params& params) {
    const std::string model = model_info::model_text(params);
    FUZZ_CHECK(model.size() <= sizeof params.model);
    FUZZ_CHECK(model.find('\0') == std::string::npos);
    const int heads = sensorHeadCount(model);
    FUZZ_CHECK(heads == 1 || heads == 2 || heads == 4);
    (void)lookupModel(model);
    char shown[model_info::kModelCapacity];
    model_info::copy_bounded(shown, sizeof shown, model_info::display_model(params));
    FUZZ_CHECK(std::memchr(shown, '\0', sizeof shown) != nullptr);
}

void checkProfile(const ProfileProcessor& processor, int count) {
    FUZZ_CHECK(count >= 0 && count <= processor.points());
    const double* heights = processor.heightsOut();
    for (int i = 0; i < count; ++i)
        FUZZ_CHECK(heights[i] == kInvalidHeight || std::isfinite(heights[i]));
    std::vector<int32_t> ints(static_cast<size_t>(processor.points()) + 3);
    processor.heightsInt(ints.data(), static_cast<int>(ints.size()));
    std::vector<int16_t> codes(static_cast<size_t>(processor.points()));
    processor.heights16(codes.data(), static_cast<int>(codes.size()), 0);
    std::vector<uint8_t> gray(static_cast<size_t>(processor.points()));
    processor.grayOut(gray.data(), static_cast<int>(gray.size()), 0, true, true, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader input(data, size);
    static zp_laser_reg::laser_params params;
    params = image().laser_params();

    const uint32_t range[3] = {input.be32(), input.be32(), input.be32()};
    for (int i = 0; i < 3; ++i) image().set_regvals(head_info::kRangeReferenceRegister + i, range[i]);
    head_info::storeMeasuringRange(params, range[0], range[1], range[2]);
    FUZZ_CHECK(params.z_range_reference == static_cast<int32_t>(range[0] >> 8));

    auto* bytes = reinterpret_cast<uint8_t*>(&params);
    for (const block_codec::HeadRecordPlace& place : block_codec::kHeadRecords) {
        const std::vector<uint8_t> record = input.take(input.byte());
        std::vector<uint8_t> before(bytes, bytes + sizeof params);
        const int status = block_codec::copyHeadRecord(place.opcode, record.data(), record.size(), bytes + place.offset);
        FUZZ_CHECK(status == (record.size() >= place.kept ? HVQ5_RC_OK : HVQ5_RC_BAD_BLOCK));
        // Only the record's own bytes change.
        for (size_t i = 0; i < sizeof params; ++i) {
            const bool inside = i >= place.offset && i < place.offset + place.kept;
            if (status != HVQ5_RC_OK || !inside) FUZZ_CHECK(bytes[i] == before[i]);
            else FUZZ_CHECK(bytes[i] == record[i - place.offset]);
        }
    }
    FUZZ_CHECK(block_codec::copyHeadRecord(177, data, size, bytes) == HVQ5_RC_BAD_ARGUMENT);
    FUZZ_CHECK(block_codec::copyHeadRecord(176, data, size, nullptr) == HVQ5_RC_BAD_ARGUMENT);
    checkModelTexts(params);

    const std::optional<ModelGeometry> geometry = head_info::headGeometry(params);
    const char series = params.model[2];
    FUZZ_CHECK(geometry.has_value() == (series >= '3' && series <= '6'));
    if (!geometry) return 0;
    head_info::storeRoiRows(geometry->rows);
    for (const auto& rows : roiRowTable) FUZZ_CHECK(rows >= 0 && rows <= geometry->rows && rows % 16 == 0);

    ProfileProcessor& processor = processorFor(*geometry, &params);
    const uint8_t options = input.byte();
    const int firstColumn = input.be16() % (geometry->columns + 8);
    const bool wide = (options & 1) != 0 || series == '3' || series == '4';
    const size_t wordBytes = wide ? 4 : 2;
    const int n = static_cast<int>(input.left() / wordBytes);
    std::vector<uint32_t> words(static_cast<size_t>(n) + 1, 0);
    const std::vector<uint8_t> raw = input.take(static_cast<size_t>(n) * wordBytes);
    if (!raw.empty()) std::memcpy(words.data(), raw.data(), raw.size());

    int count;
    if (series == '3' || series == '4') {
        std::vector<double> rows(static_cast<size_t>(n) + 1);
        for (int i = 0; i < n; ++i) rows[i] = peak_row(words[i], geometry->rows);
        const double* distances = processor.preprocessFixed(rows.data(), firstColumn, n);
        FUZZ_CHECK(distances != nullptr);
        count = processor.processFixed(255, distances, nullptr, firstColumn, n, true, false, true, 1);
    } else {
        count = processor.process(wide ? 1 : 0, words.data(), nullptr, firstColumn, n, true, false, true, 1);
    }
    checkProfile(processor, count);
    return 0;
}
