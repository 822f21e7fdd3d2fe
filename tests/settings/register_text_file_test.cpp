#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "sensor_interface/settings/hvq5_settings.h"
#include "tests/support/temp_dir.h"

namespace {

std::string read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_bytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(RegisterTextFile, WritesOneCrLfLinePerRegisterFromOne) {
    mirevo::test::TempDir dir;
    hvq5_settings image;
    image.set_regvals(0u, 5u);  // register 0 is not part of the file
    image.set_regvals(1u, 12u);
    image.set_regvals(3u, 4294967295u);
    image.set_regvals(65534u, 2147483647u);
    const auto path = dir.path() / "regs.txt";
    ASSERT_TRUE(image.out_file(path.string()));

    std::string expected = "12\r\n0\r\n4294967295\r\n";
    for (int reg = 4; reg < 65534; ++reg) expected += "0\r\n";
    expected += "2147483647\r\n";
    EXPECT_EQ(read_bytes(path), expected);
}

TEST(RegisterTextFile, RoundTripReproducesRegistersButNotRegisterZero) {
    mirevo::test::TempDir dir;
    hvq5_settings source;
    for (unsigned int reg = 0; reg < 65535; ++reg) source.set_regvals(reg, reg * 32771u);
    source.set_regvals(2u, 2147483647u);
    source.set_regvals(4u, 0xFFFFFFFFu);  // above the signed range: read back as the same word
    const auto path = dir.path() / "regs.txt";
    ASSERT_TRUE(source.out_file(path.string()));

    hvq5_settings target;
    target.set_regvals(0u, 77u);
    ASSERT_TRUE(target.init_from_file(path.string()));
    EXPECT_EQ(target.get_vals(0), 77u);
    for (unsigned int reg = 1; reg < 65535; ++reg) {
        ASSERT_EQ(target.get_vals(reg), source.get_vals(reg)) << "register " << reg;
    }
}

TEST(RegisterTextFile, ShortFileLoadsOnlyItsLines) {
    mirevo::test::TempDir dir;
    const auto path = dir.path() / "short.txt";
    // LF-only lines, spaces, signs and text are read as decimal numbers.
    write_bytes(path, "1\n2\r\n  30\n-1\n+5\nabc\n7x\n\n9\n10");
    hvq5_settings image;
    image.set_regvals(11u, 111u);
    image.set_regvals(1u, 999u);
    ASSERT_TRUE(image.init_from_file(path.string()));
    const unsigned int expected[] = {0, 1, 2, 30, 0xFFFFFFFFu, 5, 0, 7, 0, 9, 10, 111};
    for (unsigned int reg = 0; reg < 12; ++reg) EXPECT_EQ(image.get_vals(reg), expected[reg]) << reg;
}

TEST(RegisterTextFile, LinesPastTheLastRegisterAreIgnored) {
    mirevo::test::TempDir dir;
    const auto path = dir.path() / "long.txt";
    std::string text;
    for (int line = 1; line <= 65540; ++line) text += std::to_string(line) + "\r\n";
    write_bytes(path, text);
    hvq5_settings image;
    ASSERT_TRUE(image.init_from_file(path.string()));
    EXPECT_EQ(image.get_vals(65534), 65534u);
    EXPECT_EQ(image.get_vals(0), 0u);
}

TEST(RegisterTextFile, UnopenableFileFailsAndSaysSo) {
    mirevo::test::TempDir dir;
    hvq5_settings image;
    image.set_regvals(1u, 3u);
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(image.init_from_file((dir.path() / "missing.txt").string()));
    EXPECT_FALSE(image.init_from_file(dir.path().string()));  // a folder
    EXPECT_FALSE(image.out_file((dir.path() / "no_such_folder" / "regs.txt").string()));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Failed to open the file.\nFailed to open the file.\nFailed to open the file.\n");
    EXPECT_EQ(image.get_vals(1), 3u);
}

}  // namespace
