// Cost of one run-log line: formatted, written and flushed (level within the
// threshold), or only remembered (level above it).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "sensor_interface/log/log_manager.h"

namespace {

class BenchFolder {
public:
    BenchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "mirevo-bench-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
        else path_ = std::filesystem::temp_directory_path() / "mirevo-bench";
        setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
        setenv("ZP_RUNLOG_EN", "1", 1);
    }
    ~BenchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

void BM_RunLogLineWritten(benchmark::State& state) {
    BenchFolder folder;
    LogManager manager(folder.path() / "zpsdk");
    const std::string message = "received frame[0] of batch 12345";
    for (auto _ : state) manager.log(message, 0);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RunLogLineWritten);

void BM_RunLogLineAboveThreshold(benchmark::State& state) {
    BenchFolder folder;
    LogManager manager(folder.path() / "zpsdk");
    const std::string message = "processed data 3";
    for (auto _ : state) manager.log(message, 2);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RunLogLineAboveThreshold);

}  // namespace
