#include "app/upgrade_package.h"

#include <QCryptographicHash>
#include <QIODevice>

#include <algorithm>
#include <vector>

namespace zpf {
namespace {

uint32_t readLe32(const char* at) {
    const auto* b = reinterpret_cast<const uint8_t*>(at);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

struct Entry {
    uint8_t kind;
    uint32_t version;
    uint32_t address;
    uint32_t size;
};

Entry entryAt(const QByteArray& package, int index) {
    const char* at = package.constData() + kTableAt + kEntrySize * index;
    return Entry{static_cast<uint8_t>(at[0]), readLe32(at + 1), readLe32(at + 5), readLe32(at + 9)};
}

// Kind 2 is the image built for the same generation of firmware as the one
// running, kind 1 for the other one.
uint8_t kindFor(bool sameGeneration) { return sameGeneration ? 2 : 1; }

bool headPreconditions(const UpgradeChoice& choice, bool integrated, uint32_t h, uint32_t v) {
    return !integrated && !choice.hasHeadImage && v <= 0xFFFF && ((v ^ h) & 0xF00) == 0;
}

bool takesAsHead(uint32_t h, const Entry& entry) {
    const bool same = ((h & 0xFF) < 0x60) == ((entry.version & 0xFF) < 0x60);
    return entry.kind == kindFor(same);
}

bool takesAsController(const UpgradeChoice& choice, bool integrated, uint32_t c, const Entry& entry) {
    if (choice.hasControllerImage || entry.version <= 0xFFFF || ((entry.version ^ c) & 0xF000F000) != 0)
        return false;
    if (integrated) return true;
    const bool same = (((c >> 16) & 0xFFF) < 0x742) == (((entry.version >> 16) & 0xFFF) < 0x742);
    return entry.kind == kindFor(same);
}

constexpr uint32_t kNewSettingsAbove = 0x7500330;
constexpr uint32_t kVersionWithoutBuild = 0xFFF0FFF;

}  // namespace

QByteArray packageSalt() { return QByteArrayLiteral("XVK"); }

void UpgradeChoice::clearImages() {
    hasHeadImage = false;
    headImage.clear();
    headImageVersion = 0;
    hasControllerImage = false;
    controllerImage.clear();
    controllerImageVersion = 0;
}

bool parseUpgradePackage(const QByteArray& package, uint32_t headVersion, uint32_t controllerVersion,
                         UpgradeChoice* choice, const QByteArray& salt) {
    choice->clearImages();
    if (package.size() < kHeaderSize || readLe32(package.constData() + kVersionAt) < kOldestFormat) return false;
    const bool integrated = isIntegratedSensor(controllerVersion & 0xFFFF);

    UpgradeChoice picked = *choice;
    std::vector<QByteArray> images;
    qint64 position = kHeaderSize;
    for (int i = 0; i < kEntries; ++i) {
        const Entry entry = entryAt(package, i);
        if (entry.kind == 0) continue;
        // The size is checked against what is left before anything is taken.
        if (entry.size > static_cast<uint64_t>(package.size() - position)) return false;
        QByteArray image = package.mid(static_cast<int>(position), static_cast<int>(entry.size));
        position += entry.size;

        if (headPreconditions(picked, integrated, headVersion, entry.version)) {
            if (takesAsHead(headVersion, entry)) {
                picked.hasHeadImage = true;
                picked.headImage = image;
                picked.headImageVersion = entry.version;
                picked.headImageAddress = entry.address;
            }
        } else if (takesAsController(picked, integrated, controllerVersion, entry)) {
            picked.hasControllerImage = true;
            picked.controllerImage = image;
            picked.controllerImageVersion = entry.version;
        }
        images.push_back(std::move(image));
    }

    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (auto it = images.rbegin(); it != images.rend(); ++it) hash.addData(*it);
    hash.addData(package.constData() + kVersionAt, kHeaderSize - kVersionAt);
    QByteArray reversed = salt;
    std::reverse(reversed.begin(), reversed.end());
    hash.addData(reversed);
    if (hash.result() != package.left(kVersionAt)) return false;
    *choice = std::move(picked);
    return true;
}

bool parseUpgradePackage(QIODevice* package, uint32_t headVersion, uint32_t controllerVersion,
                         UpgradeChoice* choice) {
    choice->clearImages();
    if (!package || !package->isReadable()) return false;
    return parseUpgradePackage(package->readAll(), headVersion, controllerVersion, choice);
}

bool headImageFits(uint32_t headVersion, uint32_t imageVersion) {
    if (((headVersion ^ imageVersion) & 0xF00) != 0) return false;
    if (headVersion - 0xC000u < 4096u) return (headVersion & 0xFF) == 0;
    return ((headVersion ^ imageVersion) & 0xF000) == 0;
}

bool usesSecondHeadWritePath(uint32_t headVersion) {
    return headVersion - 0xC000u < 4096u || (headVersion & 0xFF) > 0x62;
}

bool controllerImageNeedsNewSettings(uint32_t controllerImageVersion) {
    return (controllerImageVersion & kVersionWithoutBuild) > kNewSettingsAbove;
}

bool resetsSettingsAfterReboot(uint32_t register166) {
    const uint32_t low = register166 & 0xFFFF;
    return low == 0x2309 || low == 0x3309;
}

bool resetSettingsAfterHeadWrite(uint32_t register166, uint32_t controllerImageVersion) {
    return !resetsSettingsAfterReboot(register166) && controllerImageNeedsNewSettings(controllerImageVersion);
}

bool resetSettingsAfterControllerWrite(uint32_t register166, uint32_t controllerImageVersion) {
    return isIntegratedSensor(register166) || resetSettingsAfterHeadWrite(register166, controllerImageVersion);
}

bool reinitialiseAfterReboot(uint32_t register166, uint32_t controllerImageVersion) {
    return resetsSettingsAfterReboot(register166) && controllerImageNeedsNewSettings(controllerImageVersion);
}

}  // namespace zpf
