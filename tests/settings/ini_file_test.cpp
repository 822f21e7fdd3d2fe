#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "sensor_interface/settings/decimal_text.h"
#include "sensor_interface/settings/ini_file.h"
#include "tests/support/temp_dir.h"

namespace {

using mirevo::settings::IniTable;
using mirevo::settings::read_ini_file;

IniTable read_text(const std::string& text) {
    mirevo::test::TempDir dir;
    std::ofstream(dir.path() / "f.ini", std::ios::binary) << text;
    return read_ini_file(dir.path(), "f.ini");
}

TEST(IniFileReader, KeepsKeysAndValuesAsWritten) {
    const IniTable table = read_text(
        "orphan=1\r\n"
        "[A]\r\n"
        "k=1\r\n"
        "k=2\n"
        "spaced = 3\n"
        "=4\n"
        "no equals sign\n"
        "\n"
        "url=a=b\n"
        "[B\n"
        "x=5\n"
        "[]\n"
        "lost=6\n"
        "[A]extra\n"
        "late=7\n");
    ASSERT_NE(table.find("A", "k"), nullptr);
    EXPECT_EQ(*table.find("A", "k"), "2");
    ASSERT_NE(table.find("A", "spaced "), nullptr);
    EXPECT_EQ(*table.find("A", "spaced "), " 3");
    EXPECT_EQ(table.find("A", "spaced"), nullptr);
    EXPECT_EQ(*table.find("A", "url"), "a=b");
    EXPECT_EQ(*table.find("B", "x"), "5");
    EXPECT_EQ(*table.find("A", "late"), "7");
    EXPECT_EQ(table.find("", "orphan"), nullptr);
    EXPECT_EQ(table.find("", "lost"), nullptr);
    EXPECT_EQ(table.sections().size(), 2u);
}

TEST(IniFileReader, MissingFileGivesAnEmptyTable) {
    mirevo::test::TempDir dir;
    EXPECT_TRUE(read_ini_file(dir.path(), "absent.ini").sections().empty());
}

TEST(IniFileWriter, WritesSectionsInOrderWithCrLf) {
    mirevo::test::TempDir dir;
    IniTable table;
    table.set("Z", "b", "1");
    table.set("Z", "a", "2");
    table.set("A", "c", "");
    table.set("Z", "b", "3");
    ASSERT_TRUE(mirevo::settings::write_ini_file(dir.path(), "out.ini", table));
    std::ifstream in(dir.path() / "out.ini", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "[Z]\r\nb=3\r\na=2\r\n\r\n[A]\r\nc=\r\n\r\n");
    EXPECT_FALSE(mirevo::settings::write_ini_file(dir.path() / "missing", "out.ini", table));
}

struct WordCase {
    const char* text;
    uint32_t word;
};

class RegisterWord : public ::testing::TestWithParam<WordCase> {};

TEST_P(RegisterWord, ReadsLeadingDecimalNumbers) {
    EXPECT_EQ(mirevo::settings::parse_register_word(GetParam().text), GetParam().word);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RegisterWord,
    ::testing::Values(WordCase{"", 0}, WordCase{"abc", 0}, WordCase{"-", 0}, WordCase{"42", 42},
                      WordCase{" \t 42 ", 42}, WordCase{"+7", 7}, WordCase{"12x3", 12},
                      WordCase{"- 5", 0}, WordCase{"-1", 0xFFFFFFFFu},
                      WordCase{"2147483647", 2147483647u}, WordCase{"4294967295", 0xFFFFFFFFu},
                      WordCase{"-2147483648", 0x80000000u},
                      WordCase{"99999999999999999999999", 0xFFFFFFFFu},  // clamped
                      WordCase{"-99999999999", 0x80000000u}));

}  // namespace
