#pragma once
// Firmware upgrade packages (".zpf") and the choices the upgrade makes from
// them. A package holds up to ten firmware images under a SHA-256 digest
// with the program's salt. Little-endian throughout:
//
//   0    32       digest: SHA-256(images in reverse table order | header bytes
//                 32..255 | salt reversed)
//   32   4        package format version, 3 or above
//   36   10 x 13  table: kind (1 byte: 0 no image, 1 or 2), image version,
//                 flash write address, image size (4 bytes each)
//   166  90       not interpreted (covered by the digest)
//   256  ...      the images of the entries whose kind is not 0, in table order
//
// From the package the upgrade picks one laser-head image and one controller
// image that fit the sensor's firmware (head version: register 134;
// controller version: register 135 << 16 | register 166).
#include <QByteArray>
#include <QString>

#include <cstdint>

class QIODevice;

namespace zpf {

constexpr int kHeaderSize = 256;
constexpr int kVersionAt = 32;
constexpr int kTableAt = 36;
constexpr int kEntries = 10;
constexpr int kEntrySize = 13;
constexpr uint32_t kOldestFormat = 3;
constexpr uint32_t kDefaultHeadImageAddress = 0x400000;

// The program's package salt.
QByteArray packageSalt();

// The images the upgrade writes, with their versions and the head image's
// flash address.
struct UpgradeChoice {
    bool hasHeadImage = false;
    QByteArray headImage;
    uint32_t headImageVersion = 0;
    uint32_t headImageAddress = kDefaultHeadImageAddress;  // kept until a package sets it
    bool hasControllerImage = false;
    QByteArray controllerImage;
    uint32_t controllerImageVersion = 0;

    // Before a package is parsed: no images, versions 0, the address kept.
    void clearImages();
};

// A sensor whose register 166 has bits 13 to 15 equal to 3 is one unit: it
// gets no laser-head image, and messages call it a sensor, not a controller.
inline bool isIntegratedSensor(uint32_t register166) { return (register166 & 0xE000) == 0x6000; }

// Reads the package, picks the head and controller images that fit and
// verifies the digest. On success *choice holds the images picked (either may
// be missing); on failure its images are cleared. False for a short header,
// a format version below 3, an image running past the end of the package or
// a wrong digest. The controller version's low 16 bits are register 166.
bool parseUpgradePackage(const QByteArray& package, uint32_t headVersion, uint32_t controllerVersion,
                         UpgradeChoice* choice, const QByteArray& salt = packageSalt());
// The same over a device opened for reading (the whole package is read).
bool parseUpgradePackage(QIODevice* package, uint32_t headVersion, uint32_t controllerVersion,
                         UpgradeChoice* choice);

// ---- what the upgrade does with the choice ----

// The head image of version v may replace the head's firmware h.
bool headImageFits(uint32_t headVersion, uint32_t imageVersion);
// Heads of these versions take their image through the second head write path.
bool usesSecondHeadWritePath(uint32_t headVersion);
// New controller firmware (above 7.50.330, ignoring bits 12 to 15 of the low
// half) whose settings layout differs from the one running.
bool controllerImageNeedsNewSettings(uint32_t controllerImageVersion);
// Controllers whose register 166 is 0x2309 or 0x3309 (low 16 bits) reset
// their settings only after rebooting into the new firmware.
bool resetsSettingsAfterReboot(uint32_t register166);
// The settings are reset right after a successful head write / controller write.
bool resetSettingsAfterHeadWrite(uint32_t register166, uint32_t controllerImageVersion);
bool resetSettingsAfterControllerWrite(uint32_t register166, uint32_t controllerImageVersion);
// After the controller's reboot: reconnect, reset the settings, reboot again.
bool reinitialiseAfterReboot(uint32_t register166, uint32_t controllerImageVersion);

}  // namespace zpf
