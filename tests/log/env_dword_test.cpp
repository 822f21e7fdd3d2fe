#include <gtest/gtest.h>

#include "platform/env_store.h"
#include "sensor_interface/log/env_dword.h"
#include "tests/log/log_test_support.h"

using namespace log_test;

namespace {
class EnvDwordTest : public ::testing::Test {
protected:
    LogEnvironment environment;
    ScopedUnsetEnv maxSize{"ZP_RUNLOG_MAX_SIZE"};
};
}  // namespace

TEST_F(EnvDwordTest, MissingValueReadsAsOne) {
    EXPECT_EQ(read_env_dword("ZP_RUNLOG_MAX_SIZE"), 1u);
    EXPECT_EQ(read_env_dword(nullptr), 1u);
}

TEST_F(EnvDwordTest, WrittenValuesAreReadBackAndKeepOtherEntries) {
    ASSERT_TRUE(write_env_dword("ZP_RUNLOG_MAX_SIZE", 5));
    ASSERT_TRUE(write_env_dword("ZP_RUNLOG_EN", 2));
    ASSERT_TRUE(write_env_dword("ZP_RUNLOG_MAX_SIZE", 7));
    EXPECT_EQ(read_env_dword("ZP_RUNLOG_MAX_SIZE"), 7u);
    EXPECT_EQ(read_env_dword("ZP_RUNLOG_EN"), 2u);
    EXPECT_EQ(readFile(environment.root() / "config" / "mirevo" / "environment"),
              "ZP_RUNLOG_MAX_SIZE=7\nZP_RUNLOG_EN=2\n");
}

TEST_F(EnvDwordTest, EnvironmentVariableWinsOverTheFile) {
    ASSERT_TRUE(write_env_dword("ZP_RUNLOG_MAX_SIZE", 5));
    mirevo::test::ScopedEnv variable("ZP_RUNLOG_MAX_SIZE", "9");
    EXPECT_EQ(read_env_dword("ZP_RUNLOG_MAX_SIZE"), 9u);
}

TEST_F(EnvDwordTest, NegativeValuesKeepTheir32BitPattern) {
    ASSERT_TRUE(write_env_dword("ZP_RUNLOG_MAX_SIZE", -1));
    EXPECT_EQ(read_env_dword("ZP_RUNLOG_MAX_SIZE"), 0xFFFFFFFFu);
}

struct TextCase {
    const char* text;
    uint32_t expected;
};

class EnvDwordTextTest : public EnvDwordTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(EnvDwordTextTest, ParsesTheStoredText) {
    mirevo::test::ScopedEnv variable("ZP_RUNLOG_MAX_SIZE", GetParam().text);
    EXPECT_EQ(read_env_dword("ZP_RUNLOG_MAX_SIZE"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, EnvDwordTextTest,
                         ::testing::Values(TextCase{"0", 0}, TextCase{"42", 42},
                                           TextCase{"0x10", 16}, TextCase{"010", 10},
                                           TextCase{"4294967295", 0xFFFFFFFFu},
                                           TextCase{"-2", 0xFFFFFFFEu}, TextCase{"", 1},
                                           TextCase{"two", 1}, TextCase{"3x", 1},
                                           TextCase{"4294967296", 1}),
                         [](const ::testing::TestParamInfo<TextCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

TEST_F(EnvDwordTest, FileEntriesToleratesSpacesCommentsAndCrLf) {
    const auto path = mirevo::platform::envStorePath();
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "# run log\r\n  ZP_RUNLOG_MAX_SIZE = 3 \r\n";
    EXPECT_EQ(read_env_dword("ZP_RUNLOG_MAX_SIZE"), 3u);
    ASSERT_TRUE(write_env_dword("ZP_RUNLOG_EN", 1));
    EXPECT_EQ(read_env_dword("ZP_RUNLOG_MAX_SIZE"), 3u);
}

TEST_F(EnvDwordTest, ReportsFailureWhenTheValueCannotBeStored) {
    // A file where the settings folder should be.
    std::ofstream(environment.root() / "blocked") << "x";
    mirevo::test::ScopedEnv config("XDG_CONFIG_HOME", (environment.root() / "blocked").string());
    EXPECT_FALSE(write_env_dword("ZP_RUNLOG_MAX_SIZE", 4));
    EXPECT_FALSE(write_env_dword(nullptr, 4));
    EXPECT_FALSE(mirevo::platform::writeEnvValue("A=B", "1"));
}

TEST(EnvStorePathTest, DefaultsToTheHomeConfigFolder) {
    ScopedUnsetEnv config("XDG_CONFIG_HOME");
    mirevo::test::ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(mirevo::platform::envStorePath(), "/home/someone/.config/mirevo/environment");
}
