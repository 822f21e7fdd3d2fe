// The upgrade-package parser from arbitrary bytes. Byte 0 chooses the form:
// odd, the package is taken as it is (almost always stopped by the digest);
// even, the target first puts the right digest in front, so that the image
// choice is reached. Bytes 1-2 are the head version and bytes 3-6 the
// controller version (little-endian); the rest is the package. Whatever the
// parser picks must fit the sensor by the rules, and come from the package.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QCryptographicHash>

#include "app/upgrade_package.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr size_t kPrefix = 7;

uint32_t le(const uint8_t* at, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= uint32_t(at[i]) << (8 * i);
    return value;
}

// The digest of the images the table lists, as long as they lie in the package.
QByteArray withDigest(QByteArray package) {
    if (package.size() < zpf::kHeaderSize) return package;
    const auto* bytes = reinterpret_cast<const uint8_t*>(package.constData());
    std::vector<QByteArray> images;
    uint64_t position = zpf::kHeaderSize;
    for (int i = 0; i < zpf::kEntries; ++i) {
        const uint8_t* entry = bytes + zpf::kTableAt + zpf::kEntrySize * i;
        if (entry[0] == 0) continue;
        const uint64_t size = le(entry + 9, 4);
        if (size > static_cast<uint64_t>(package.size()) - position) return package;
        images.push_back(package.mid(static_cast<int>(position), static_cast<int>(size)));
        position += size;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (auto it = images.rbegin(); it != images.rend(); ++it) hash.addData(*it);
    hash.addData(package.constData() + zpf::kVersionAt, zpf::kHeaderSize - zpf::kVersionAt);
    hash.addData(QByteArrayLiteral("KVX"));
    return package.replace(0, 32, hash.result());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kPrefix) return 0;
    const uint32_t head = le(data + 1, 2);
    const uint32_t controller = le(data + 3, 4);
    QByteArray package(reinterpret_cast<const char*>(data) + kPrefix, static_cast<int>(size - kPrefix));
    if ((data[0] & 1) == 0) package = withDigest(package);

    zpf::UpgradeChoice choice;
    choice.hasHeadImage = true;
    choice.headImage = "stale";
    choice.headImageAddress = 0x1234;
    const bool parsed = zpf::parseUpgradePackage(package, head, controller, &choice);
    if (!parsed) {
        FUZZ_CHECK(!choice.hasHeadImage && !choice.hasControllerImage);
        FUZZ_CHECK(choice.headImage.isEmpty() && choice.controllerImage.isEmpty());
        FUZZ_CHECK(choice.headImageVersion == 0 && choice.controllerImageVersion == 0);
        FUZZ_CHECK(choice.headImageAddress == 0x1234);
        return 0;
    }
    FUZZ_CHECK(package.size() >= zpf::kHeaderSize);
    const int images = choice.headImage.size() + choice.controllerImage.size();
    FUZZ_CHECK(images <= package.size() - zpf::kHeaderSize);
    const bool integrated = zpf::isIntegratedSensor(controller & 0xFFFF);
    if (choice.hasHeadImage) {
        FUZZ_CHECK(!integrated);
        FUZZ_CHECK(choice.headImageVersion <= 0xFFFF);
        FUZZ_CHECK(((choice.headImageVersion ^ head) & 0xF00) == 0);
    } else {
        FUZZ_CHECK(choice.headImage.isEmpty() && choice.headImageAddress == 0x1234);
    }
    if (choice.hasControllerImage) {
        FUZZ_CHECK(choice.controllerImageVersion > 0xFFFF);
        FUZZ_CHECK(((choice.controllerImageVersion ^ controller) & 0xF000F000) == 0);
    } else {
        FUZZ_CHECK(choice.controllerImage.isEmpty());
    }
    return 0;
}
