// Upgrade packages written by an encoder independent of the parser
// (fuzz/make_corpus.py), and the choices the parser makes from them; the
// rules the upgrade applies to the choice.
#include "app/upgrade_package.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

#include "tests/support/temp_dir.h"

namespace {

// An image as the encoder fills it: table entry index, size bytes.
QByteArray encodedImage(int index, int size) {
    QByteArray image(size, '\0');
    for (int k = 0; k < size; ++k) image[k] = static_cast<char>((index * 37 + k) & 0xFF);
    return image;
}

class PackageEncoder {
public:
    // Arguments of "make_corpus.py package"; the package's bytes.
    QByteArray encode(const QStringList& arguments) {
        const QString out = QString::fromStdString((dir_.path() / "package.zpf").string());
        QProcess python;
        python.start("/usr/bin/python3",
                     QStringList{QStringLiteral(MIREVO_FUZZ_DIR "/make_corpus.py"), "package", out} + arguments);
        EXPECT_TRUE(python.waitForFinished(30000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        QFile file(out);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

private:
    mirevo::test::TempDir dir_;
};

// Head 0x011a (low byte below 0x60), controller 7.3: register 135 = 3,
// register 166 = 0x0007 (not integrated).
constexpr uint32_t kHead = 0x011A;
constexpr uint32_t kController = 0x00030007;
constexpr uint32_t kIntegrated = 0x00036007;  // register 166 bits 13-15 = 3

struct PackageCase {
    const char* name;
    QStringList arguments;
    uint32_t controllerVersion;
    bool parsed;
    int headIndex;        // table entry of the head image picked, -1 none
    int controllerIndex;  // table entry of the controller image picked, -1 none
};
void PrintTo(const PackageCase& c, std::ostream* out) { *out << c.name; }

class UpgradePackageChoice : public ::testing::TestWithParam<PackageCase> {};

int sizeOf(const QStringList& arguments, int index) {
    for (int i = 0; i + 1 < arguments.size(); ++i) {
        const QStringList fields = arguments[i + 1].split(':');
        if (arguments[i] == "--entry" && fields[0].toInt() == index) return fields[4].toInt(nullptr, 0);
    }
    return -1;
}

uint32_t versionOf(const QStringList& arguments, int index) {
    for (int i = 0; i + 1 < arguments.size(); ++i) {
        const QStringList fields = arguments[i + 1].split(':');
        if (arguments[i] == "--entry" && fields[0].toInt() == index) return fields[2].toUInt(nullptr, 0);
    }
    return 0;
}

TEST_P(UpgradePackageChoice, PicksTheImagesThatFit) {
    const PackageCase& c = GetParam();
    PackageEncoder encoder;
    const QByteArray package = encoder.encode(c.arguments);
    zpf::UpgradeChoice choice;
    choice.headImageAddress = 0x123456;  // the address the last package set
    ASSERT_EQ(zpf::parseUpgradePackage(package, kHead, c.controllerVersion, &choice), c.parsed);
    EXPECT_EQ(choice.hasHeadImage, c.headIndex >= 0);
    EXPECT_EQ(choice.hasControllerImage, c.controllerIndex >= 0);
    if (c.headIndex >= 0) {
        EXPECT_EQ(choice.headImage, encodedImage(c.headIndex, sizeOf(c.arguments, c.headIndex)));
        EXPECT_EQ(choice.headImageVersion, versionOf(c.arguments, c.headIndex));
        EXPECT_EQ(choice.headImageAddress, 0x500000u);
    } else {
        EXPECT_TRUE(choice.headImage.isEmpty());
        EXPECT_EQ(choice.headImageVersion, 0u);
        EXPECT_EQ(choice.headImageAddress, 0x123456u);
    }
    if (c.controllerIndex >= 0) {
        EXPECT_EQ(choice.controllerImage, encodedImage(c.controllerIndex, sizeOf(c.arguments, c.controllerIndex)));
        EXPECT_EQ(choice.controllerImageVersion, versionOf(c.arguments, c.controllerIndex));
    } else {
        EXPECT_TRUE(choice.controllerImage.isEmpty());
        EXPECT_EQ(choice.controllerImageVersion, 0u);
    }
}

QStringList entries(std::initializer_list<const char*> list) {
    QStringList arguments;
    for (const char* entry : list) arguments << "--entry" << entry;
    return arguments;
}

INSTANTIATE_TEST_SUITE_P(
    Table, UpgradePackageChoice,
    ::testing::Values(
        PackageCase{"HeadAndControllerOfTheSameGeneration",
                    entries({"0:2:0x011b:0x500000:300", "1:2:0x00030008:0:500"}), kController, true, 0, 1},
        PackageCase{"HeadKindByLowByteBelow0x60",
                    // Image low byte 0x61 is the other generation: kind 1 is taken, kind 2 skipped.
                    entries({"0:2:0x0161:0x500000:10", "1:1:0x0162:0x500000:20"}), kController, true, 1, -1},
        PackageCase{"HeadOfAnotherF00NibbleIsNoHead",
                    entries({"0:2:0x021b:0x500000:10"}), kController, true, -1, -1},
        PackageCase{"FirstFittingHeadWins",
                    entries({"0:2:0x011b:0x500000:10", "1:2:0x011c:0x600000:20"}), kController, true, 0, -1},
        PackageCase{"ControllerKindBy0x742",
                    // Controller 0x003 is below 0x742; an image of 0x750 is the other generation: kind 1.
                    entries({"0:2:0x07500008:0:10", "1:1:0x07500009:0:20"}), kController, true, -1, 1},
        PackageCase{"ControllerOfAnotherF000F000IsSkipped",
                    entries({"0:2:0x10030008:0:10", "1:2:0x00031008:0:10"}), kController, true, -1, -1},
        PackageCase{"IntegratedTakesAnyKindAndNoHead",
                    entries({"0:2:0x011b:0x500000:10", "1:1:0x00036009:0:20"}), kIntegrated, true, -1, 1},
        PackageCase{"NothingChosen", entries({"3:1:0x5:0:10"}), kController, true, -1, -1},
        PackageCase{"NoImages", QStringList{}, kController, true, -1, -1},
        PackageCase{"DigestInTableOrderIsRefused",
                    entries({"0:2:0x011b:0x500000:10", "1:2:0x00030008:0:20"}) << "--table-order-digest",
                    kController, false, -1, -1},
        PackageCase{"OtherSaltIsRefused", entries({"0:2:0x011b:0x500000:10"}) << "--salt" << "XVB", kController,
                    false, -1, -1},
        PackageCase{"FormatTwoIsRefused", entries({"0:2:0x011b:0x500000:10"}) << "--format" << "2", kController,
                    false, -1, -1},
        PackageCase{"FormatFourIsRead", entries({"0:2:0x011b:0x500000:10"}) << "--format" << "4", kController,
                    true, 0, -1},
        PackageCase{"TruncatedImageIsRefused", entries({"0:2:0x011b:0x500000:10"}) << "--cut" << "1", kController,
                    false, -1, -1},
        PackageCase{"SizePastTheEndIsRefused", entries({"0:2:0x011b:0x500000:10:0xfffffff0"}), kController, false,
                    -1, -1},
        PackageCase{"ShortHeaderIsRefused", QStringList{"--cut", "1"}, kController, false, -1, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UpgradePackage, ReadsFromADevice) {
    PackageEncoder encoder;
    QByteArray package = encoder.encode(entries({"0:2:0x011b:0x500000:10"}));
    QBuffer buffer(&package);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    zpf::UpgradeChoice choice;
    ASSERT_TRUE(zpf::parseUpgradePackage(&buffer, kHead, kController, &choice));
    EXPECT_EQ(choice.headImage, encodedImage(0, 10));
    zpf::UpgradeChoice none;
    EXPECT_FALSE(zpf::parseUpgradePackage(static_cast<QIODevice*>(nullptr), kHead, kController, &none));
}

TEST(UpgradePackage, AFailedParseClearsTheImagesAndKeepsTheAddress) {
    zpf::UpgradeChoice choice;
    choice.hasHeadImage = true;
    choice.headImage = "old";
    choice.headImageVersion = 7;
    choice.headImageAddress = 0x700000;
    choice.hasControllerImage = true;
    choice.controllerImage = "old";
    EXPECT_FALSE(zpf::parseUpgradePackage(QByteArray(100, '\0'), kHead, kController, &choice));
    EXPECT_FALSE(choice.hasHeadImage || choice.hasControllerImage);
    EXPECT_TRUE(choice.headImage.isEmpty() && choice.controllerImage.isEmpty());
    EXPECT_EQ(choice.headImageVersion, 0u);
    EXPECT_EQ(choice.headImageAddress, 0x700000u);
}

TEST(UpgradeRules, IntegratedSensorByRegister166) {
    EXPECT_TRUE(zpf::isIntegratedSensor(0x6000));
    EXPECT_TRUE(zpf::isIntegratedSensor(0x16123)) << "bits 13 to 15 only";
    EXPECT_FALSE(zpf::isIntegratedSensor(0xE000));
    EXPECT_FALSE(zpf::isIntegratedSensor(0x2309));
}

TEST(UpgradeRules, HeadImageFits) {
    const struct {
        uint32_t head, image;
        bool fits;
    } table[] = {
        {0x011A, 0x011B, true},   {0x011A, 0x021B, false},  // 0xF00 nibble
        {0x211A, 0x011B, false},                             // 0xF000 nibble outside the 0xC000 family
        {0xC100, 0xD1FF, true},                              // 0xC000 family: low byte 0 is enough
        {0xC11A, 0xC11B, false},                             // 0xC000 family with a low byte
        {0xFFFF, 0xFFFF, true},
    };
    for (const auto& row : table)
        EXPECT_EQ(zpf::headImageFits(row.head, row.image), row.fits) << std::hex << row.head << " " << row.image;
}

TEST(UpgradeRules, SecondHeadWritePath) {
    EXPECT_TRUE(zpf::usesSecondHeadWritePath(0xC000));
    EXPECT_TRUE(zpf::usesSecondHeadWritePath(0xCFFF));
    EXPECT_FALSE(zpf::usesSecondHeadWritePath(0xD062));
    EXPECT_TRUE(zpf::usesSecondHeadWritePath(0xD063));
    EXPECT_FALSE(zpf::usesSecondHeadWritePath(0x0162));
    EXPECT_TRUE(zpf::usesSecondHeadWritePath(0x0163));
}

TEST(UpgradeRules, SettingsResets) {
    // Above 7.50.330 with the 0xF000 nibble of the low half ignored.
    EXPECT_FALSE(zpf::controllerImageNeedsNewSettings(0x07500330));
    EXPECT_TRUE(zpf::controllerImageNeedsNewSettings(0x07500331));
    EXPECT_FALSE(zpf::controllerImageNeedsNewSettings(0x0750F330));
    EXPECT_TRUE(zpf::controllerImageNeedsNewSettings(0x07510000));

    EXPECT_TRUE(zpf::resetSettingsAfterHeadWrite(0x0007, 0x07510000));
    EXPECT_FALSE(zpf::resetSettingsAfterHeadWrite(0x2309, 0x07510000));
    EXPECT_FALSE(zpf::resetSettingsAfterHeadWrite(0x13309, 0x07510000)) << "low 16 bits";
    EXPECT_FALSE(zpf::resetSettingsAfterHeadWrite(0x0007, 0x07500330));

    EXPECT_TRUE(zpf::resetSettingsAfterControllerWrite(0x6007, 0x00010000)) << "an integrated sensor always";
    EXPECT_TRUE(zpf::resetSettingsAfterControllerWrite(0x0007, 0x07510000));
    EXPECT_FALSE(zpf::resetSettingsAfterControllerWrite(0x3309, 0x07510000));

    EXPECT_TRUE(zpf::reinitialiseAfterReboot(0x3309, 0x07510000));
    EXPECT_TRUE(zpf::reinitialiseAfterReboot(0x2309, 0x07510000));
    EXPECT_FALSE(zpf::reinitialiseAfterReboot(0x0007, 0x07510000));
    EXPECT_FALSE(zpf::reinitialiseAfterReboot(0x2309, 0x07500330));
}

}  // namespace
