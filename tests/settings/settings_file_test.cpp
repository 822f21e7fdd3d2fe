#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "sensor_interface/settings/hvq5_settings.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

zp_laser_reg::laser_params head(char series, const char* serial) {
    hvq5_settings blank;
    zp_laser_reg::laser_params params = blank.laser_params();
    std::memcpy(params.model, "ZP", 2);
    params.model[2] = series;
    std::memset(params.head_serial, 0, sizeof(params.head_serial));
    std::memcpy(params.head_serial, serial, std::min(std::strlen(serial), sizeof(params.head_serial)));
    return params;
}

class SettingsFile : public ::testing::Test {
protected:
    fs::path settings_folder() const { return public_dir_.path() / ".tandrel" / "settings"; }

    void write_settings(const std::string& name, const std::string& bytes) {
        fs::create_directories(settings_folder());
        std::ofstream(settings_folder() / name, std::ios::binary) << bytes;
    }

    mirevo::test::TempDir public_dir_;
    mirevo::test::ScopedEnv public_env_{"PUBLIC", public_dir_.path().string()};
};

TEST_F(SettingsFile, OlderHeadUsesTheFileNamedAfterItsSerial) {
    hvq5_settings image;
    image.set_laser_params(head('4', "AB12"));
    EXPECT_EQ(image.settings_file_path(), settings_folder() / "zpsdk_conf_AB12.ini");
    EXPECT_TRUE(fs::is_directory(settings_folder()));
    EXPECT_FALSE(fs::exists(image.settings_file_path()));  // loading alone creates no file
}

TEST_F(SettingsFile, SavingWritesTheExactLines) {
    hvq5_settings image;
    image.set_laser_params(head('4', "AB12"));
    HVQ5_2_EXTEND& block = *image.get_sdk_extend();
    block.start_frame_timeout = 3000;
    block.continous_frame_timeout = 500;
    block.timeout_callback_type = 2;
    block.feature_en = 3;
    image.save_to_extend();
    EXPECT_EQ(read_bytes(image.settings_file_path()),
              "[BatchCallback]\r\n"
              "start_frame_timeout=3000\r\n"
              "continous_frame_timeout=500\r\n"
              "timeout_callback_type=2\r\n"
              "\r\n"
              "[Capture]\r\n"
              "gray_correction_en=1\r\n"
              "\r\n"
              "[Profile]\r\n"
              "theta_base_zero_en=1\r\n"
              "\r\n");
}

TEST_F(SettingsFile, DefaultsAndSignedValuesSurviveARoundTrip) {
    {
        hvq5_settings image;
        image.set_laser_params(head('6', "RT1"));
        image.save_to_extend();
        EXPECT_EQ(read_bytes(image.settings_file_path()),
                  "[BatchCallback]\r\nstart_frame_timeout=0\r\ncontinous_frame_timeout=0\r\n"
                  "timeout_callback_type=1\r\n\r\n[Capture]\r\ngray_correction_en=0\r\n\r\n"
                  "[Profile]\r\ntheta_base_zero_en=0\r\n\r\n");
        image.get_sdk_extend()->start_frame_timeout = -1;  // written as 4294967295
        image.get_sdk_extend()->timeout_callback_type = -3;
        image.get_sdk_extend()->feature_en = 2 | 8;
        image.save_to_extend();
    }
    hvq5_settings reopened;
    reopened.set_laser_params(head('6', "RT1"));
    const HVQ5_2_EXTEND& block = *reopened.get_sdk_extend();
    EXPECT_EQ(block.start_frame_timeout, -1);
    EXPECT_EQ(block.timeout_callback_type, -3);
    EXPECT_EQ(block.continous_frame_timeout, 0);
    EXPECT_EQ(block.feature_en, 2u);  // only the two saved switches come back
}

TEST_F(SettingsFile, LoadingTakesOnlyExactKeys) {
    write_settings("zpsdk_conf_ODD.ini",
                   "start_frame_timeout=9\n"
                   "[BatchCallback]\n"
                   "start_frame_timeout = 5\n"
                   "continous_frame_timeout=  250\n"
                   "timeout_callback_type=2x\r\n"
                   "[Capture]\n"
                   "gray_correction_en=7\n"
                   "[Profile]\r\n"
                   "theta_base_zero_en=0\r\n");
    hvq5_settings image;
    HVQ5_2_EXTEND& block = *image.get_sdk_extend();
    block.start_frame_timeout = 77;
    block.feature_en = 1 | 4 | 8;
    image.set_laser_params(head('5', "ODD"));
    EXPECT_EQ(block.start_frame_timeout, 77);  // the key with a trailing space is another key
    EXPECT_EQ(block.continous_frame_timeout, 250);
    EXPECT_EQ(block.timeout_callback_type, 2);
    EXPECT_EQ(block.feature_en, 2u | 4u | 8u);
}

TEST_F(SettingsFile, MissingKeysLeaveTheirFieldsAlone) {
    write_settings("zpsdk_conf_PART.ini", "[Profile]\r\ntheta_base_zero_en=1\r\n\r\n[Other]\r\nx=1\r\n");
    hvq5_settings image;
    image.get_sdk_extend()->feature_en = 2;
    image.get_sdk_extend()->timeout_callback_type = 4;
    image.set_laser_params(head('4', "PART"));
    EXPECT_EQ(image.get_sdk_extend()->feature_en, 3u);
    EXPECT_EQ(image.get_sdk_extend()->timeout_callback_type, 4);
}

TEST_F(SettingsFile, SerialTextIsCutToFifteenCharacters) {
    hvq5_settings image;
    image.set_laser_params(head('4', "ABCDEFGHIJKLMNOP"));
    EXPECT_EQ(image.laser_params().head_serial[15], '\0');
    EXPECT_EQ(image.settings_file_path().filename(), "zpsdk_conf_ABCDEFGHIJKLMNO.ini");

    hvq5_settings unnamed;
    unnamed.set_laser_params(head('4', ""));
    EXPECT_EQ(unnamed.settings_file_path().filename(), "zpsdk_conf_.ini");
}

TEST_F(SettingsFile, SerialCannotLeadOutOfTheSettingsFolder) {
    hvq5_settings image;
    image.set_laser_params(head('4', "../../x"));
    EXPECT_EQ(image.settings_file_path(), settings_folder() / "zpsdk_conf_.._.._x.ini");
}

struct RegisterHead {
    char series;
    uint32_t reg166;
};

class HeadWithoutFile : public SettingsFile, public ::testing::WithParamInterface<RegisterHead> {};

TEST_P(HeadWithoutFile, NeverReadsOrWritesTheFile) {
    write_settings("zpsdk_conf_NEW.ini", "[BatchCallback]\r\nstart_frame_timeout=3000\r\n");
    hvq5_settings image;
    image.set_regvals(166u, GetParam().reg166);
    image.set_laser_params(head(GetParam().series, "NEW"));
    EXPECT_EQ(image.get_sdk_extend()->start_frame_timeout, 0);
    EXPECT_TRUE(image.settings_file_path().empty());

    image.get_sdk_extend()->start_frame_timeout = 1;
    image.save_to_extend();
    EXPECT_EQ(read_bytes(settings_folder() / "zpsdk_conf_NEW.ini"),
              "[BatchCallback]\r\nstart_frame_timeout=3000\r\n");
}

INSTANTIATE_TEST_SUITE_P(Heads, HeadWithoutFile,
                         ::testing::Values(RegisterHead{'3', 0}, RegisterHead{'5', 0x34A},
                                           RegisterHead{'5', 0x7FFF}));

TEST_F(SettingsFile, NewerFamilySixHeadStillLoadsItsFile) {
    write_settings("zpsdk_conf_SIX.ini", "[BatchCallback]\r\nstart_frame_timeout=3000\r\n");
    hvq5_settings image;
    image.set_regvals(166u, 0x34Au);
    image.set_laser_params(head('6', "SIX"));
    EXPECT_EQ(image.get_sdk_extend()->start_frame_timeout, 3000);
}

TEST_F(SettingsFile, NothingIsSavedBeforeTheHeadIsKnown) {
    hvq5_settings image;
    image.get_sdk_extend()->start_frame_timeout = 5;
    image.save_to_extend();
    EXPECT_TRUE(fs::is_empty(public_dir_.path()));
}

TEST(SettingsFileBase, FallsBackToTheUserDataFolderWithoutPublic) {
    mirevo::test::TempDir data_home;
    mirevo::test::ScopedEnv no_public("PUBLIC", "");
    mirevo::test::ScopedEnv xdg("XDG_DATA_HOME", data_home.path().string());
    EXPECT_EQ(hvq5_settings::base_folder(), data_home.path() / "mirevo");
    EXPECT_TRUE(fs::is_directory(data_home.path() / "mirevo"));

    hvq5_settings image;
    image.set_laser_params(head('4', "XDG"));
    EXPECT_EQ(image.settings_file_path(),
              data_home.path() / "mirevo" / ".tandrel" / "settings" / "zpsdk_conf_XDG.ini");
}

}  // namespace
