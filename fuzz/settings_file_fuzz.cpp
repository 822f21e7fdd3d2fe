// The settings-file reader from arbitrary bytes. The first byte chooses the
// form: odd, the rest is taken as it is (almost always stopped by the
// digest); even, the target first puts the right digest in front, so that the
// table and block parser behind the check are reached. What the reader takes
// must be well formed, and must come back unchanged through the writer.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QCryptographicHash>

#include "app/settings_file.h"
#include "fuzz/fuzz_support.h"

namespace {

QByteArray withDigest(QByteArray file) {
    if (file.size() < zps::kHeaderSize) return file;
    QByteArray reversed = zps::settingsSalt();
    std::reverse(reversed.begin(), reversed.end());
    const QByteArray digest = QCryptographicHash::hash(
        file.mid(zps::kHeaderSize) + file.mid(32, zps::kHeaderSize - 32) + reversed, QCryptographicHash::Sha256);
    return file.replace(0, 32, digest);
}

bool sameBlocks(const SettingsBlockMap& a, const SettingsBlockMap& b) {
    if (a.size() != b.size()) return false;
    for (const auto& [type, value] : a) {
        auto other = b.find(type);
        if (other == b.end()) return false;
        if (type == kSettingsWordsBlock) {
            if (std::any_cast<SettingsWordPairs>(value) != std::any_cast<SettingsWordPairs>(other->second))
                return false;
        } else if (std::any_cast<std::vector<uint8_t>>(value) != std::any_cast<std::vector<uint8_t>>(other->second)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    QByteArray file(reinterpret_cast<const char*>(data) + 1, static_cast<int>(size - 1));
    if ((data[0] & 1) == 0) file = withDigest(file);

    SettingsBlockMap blocks;
    blocks[0x77] = 1;  // a refused file must leave this alone
    if (!zps::decode(file, &blocks)) {
        FUZZ_CHECK(blocks.size() == 1 && blocks.count(0x77) == 1);
        return 0;
    }
    FUZZ_CHECK(blocks.count(0x77) == 0);
    FUZZ_CHECK(blocks.size() <= 2);
    size_t payload = 0;
    for (const auto& [type, value] : blocks) {
        if (type == kSettingsWordsBlock) {
            payload += 8 * std::any_cast<SettingsWordPairs>(value).size();
        } else {
            FUZZ_CHECK(type == kShapeBlockCode);
            FUZZ_CHECK(std::any_cast<std::vector<uint8_t>>(value).size() == zps::kShapeBlockSize);
            payload += zps::kShapeBlockSize;
        }
    }
    // Everything taken came from the payload (a duplicate's first copy too).
    FUZZ_CHECK(payload <= static_cast<size_t>(file.size() - zps::kHeaderSize));
    if (blocks.empty()) return 0;

    QByteArray again;
    FUZZ_CHECK(zps::encode(blocks, &again));
    SettingsBlockMap reread;
    FUZZ_CHECK(zps::decode(again, &reread));
    FUZZ_CHECK(sameBlocks(blocks, reread));
    return 0;
}
