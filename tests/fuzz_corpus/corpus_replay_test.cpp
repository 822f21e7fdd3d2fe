// Every input of every seed corpus goes once through its fuzz target. A
// target checks its own invariants and aborts on a broken one, which fails the
// test with the target's message.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#define REPLAY_TARGET(name) extern "C" int fuzz_replay_##name(const uint8_t* data, size_t size);
REPLAY_TARGETS
#undef REPLAY_TARGET

namespace {

struct ReplayTarget {
    std::string name;
    int (*run)(const uint8_t*, size_t);
};

void PrintTo(const ReplayTarget& target, std::ostream* out) { *out << target.name; }

std::vector<ReplayTarget> replayTargets() {
    return {
#define REPLAY_TARGET(name) ReplayTarget{#name, &fuzz_replay_##name},
        REPLAY_TARGETS
#undef REPLAY_TARGET
    };
}

std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CorpusReplay : public ::testing::TestWithParam<ReplayTarget> {};

TEST_P(CorpusReplay, EverySeedKeepsTheTargetsInvariants) {
    const std::filesystem::path folder = std::filesystem::path(FUZZ_CORPUS_DIR) / GetParam().name;
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        SCOPED_TRACE(entry.path().filename().string());
        const std::vector<uint8_t> bytes = readBytes(entry.path());
        EXPECT_EQ(GetParam().run(bytes.data(), bytes.size()), 0);
        ++inputs;
    }
    EXPECT_GT(inputs, 0) << "empty corpus " << folder;
}

TEST(CorpusReplay, EmptyInputIsHandledByEveryTarget) {
    for (const ReplayTarget& target : replayTargets()) {
        SCOPED_TRACE(target.name);
        const uint8_t none = 0;
        EXPECT_EQ(target.run(&none, 0), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(FuzzTargets, CorpusReplay, ::testing::ValuesIn(replayTargets()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
