// Frames through the data channel with every processing stage on, for one head
// and for a four-head sensor whose heads stream together, each on its own
// loopback address and data channel. One head runs with pools of 1 (every
// frame on the consumer thread), 2, 4 and 8 workers, the four heads with 1 and
// the default pool; each configuration in a child process of its own so that
// its peak resident memory is its own.
//
// The heads are series '4' heads (2048 camera columns of 32-bit fixed-point
// rows with intensity, 3200-point profiles) set up as processor_bench's "every
// stage": rotation with base zero, mirror and negate, z scale, binning, the
// temporal repair, gamma, stretch and look-up table on the gray, z offsets.
// The simulator sends as fast as the sockets take it, in rounds of batches;
// a round ends when every frame sent has been delivered to the batch handler.
//
// A sensor on gigabit Ethernet sends at most about 125 MB/s per head.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sensor_interface/command/sensor_controller.h"
#include "sensor_interface/data_channel/profile_receiver.h"
#include "sensor_interface/processing/model_geometry.h"
#include "sensor_interface/processing/profile_processor.h"
#include "tools/sensor_sim/batch_stream.h"
#include "tools/sensor_sim/data_channel.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kColumns = 2048;
constexpr int kFramesPerBatch = 1000;
constexpr int kBatchesPerRound = 10;
constexpr double kPhaseSeconds = 4.0;
constexpr double kGigabitMBps = 125.0;

class QuietLog final : public data_channel::ReceiverLog {
public:
    void line(const std::string&, int) override {}
    void reconnection(const std::string&) override {}
    void dump() override {}
};

// Heights of a frame: a plane with a step, a slope and every 97th column
// without peak, shifted by a few columns: the frames of a batch take sixteen
// such shifts in turn.
sensor_sim::DataFrame makeFrame(int points, int shift) {
    sensor_sim::DataFrame frame;
    frame.wideValues = true;
    frame.values.resize(points);
    frame.intensity.resize(points);
    for (int c = 0; c < points; ++c) {
        const int shifted = c + shift;
        const double height = shifted % 97 == 0 ? 0.0 : (shifted < 1024 ? 20.0 : 60.0 + (shifted - 1024) * 0.01);
        frame.values[c] = height == 0.0 ? 0 : static_cast<uint32_t>((1000.0 - height) / 2.0 * 65536.0);
        frame.intensity[c] = static_cast<uint8_t>(60 + c % 150);
    }
    return frame;
}

sensor_sim::BatchPlan roundPlan(uint32_t firstBatch) {
    sensor_sim::BatchPlan plan;
    plan.info.framesPerBatch = kFramesPerBatch;
    plan.info.xPitch = 2000;
    plan.info.intensity = true;
    plan.info.points = kColumns;
    plan.info.wideValues = true;
    plan.batches = kBatchesPerRound;
    plan.firstBatchNumber = firstBatch;
    static const std::vector<sensor_sim::DataFrame> frames = [] {
        std::vector<sensor_sim::DataFrame> made;
        for (int shift = 0; shift < 16; ++shift) made.push_back(makeFrame(kColumns, shift));
        return made;
    }();
    plan.frameVariants = frames;
    return plan;
}

// One head: its simulated data channel and the interface's receiver behind it.
class Head {
public:
    Head(const std::string& address, int workers) : address_(address) {
        configure();
        receiver_.setFrameWorkers(workers);
        receiver_.setOneTimeHandlerObject([this](const HVQ5_2_STR_CALLBACK_INFO* info, _HVQ5_2_Data*) {
            delivered_ += static_cast<uint64_t>(info->frames);
        });
    }

    bool start() {
        if (!channel_->start(address_, 9)) return false;
        if (receiver_.start(1, address_, 9, 0, &controller_) != 0) return false;
        return channel_->waitForConnection(1, 5000);
    }
    void stop() {
        receiver_.stop();
        streamer_->stop();
        channel_->stop();
    }

    sensor_sim::BatchStreamer& streamer() { return *streamer_; }
    uint64_t delivered() const { return delivered_.load(); }

private:
    void configure() {
        const ModelGeometry geometry = *model_geometry_for_series('4');
        store_last_geometry(geometry);
        controller_.rows = geometry.rows;
        auto& p = controller_.laserParams;
        std::memset(&p, 0, sizeof(p));
        std::memcpy(p.model, "ZP4000", 7);
        const double xScale[3] = {0.0, 0.0, 1.0};
        std::memcpy(reinterpret_cast<unsigned char*>(&p) + 90, xScale, sizeof(xScale));
        p.z_range_reference = 1000;
        p.z_range_lower = -200;
        p.z_range_upper = 200;
        hvq5_settings& s = controller_.settings();
        s.set_regvals(753, 1);  // normal thread priorities
        s.set_regvals(285, 64);
        s.set_regvals(350, 1000 * 256);
        s.set_regvals(353, 65536);
        s.set_regvals(357, 1000 * 256);
        s.set_regvals(355, 1100u << 8);
        s.set_regvals(356, 800u << 8);
        s.set_regvals(358, kColumns);
        s.set_regvals(183, 3);
        s.set_regvals(804, 20 << 4);
        s.set_regvals(805, 30);
        s.set_regvals(324, 1);  // rotation by 1 degree, with base zero
        s.set_regvals(325, 100000);
        s.set_regvals(772, 1);
        s.set_regvals(326, static_cast<uint32_t>(-50000));
        s.set_regvals(327, static_cast<uint32_t>(-40000));
        s.set_regvals(328, 40000);
        s.set_regvals(329, 50000);
        s.set_regvals(330, 1);  // z scale 1.5
        s.set_regvals(331, 150000);
        s.set_regvals(291, 3);  // mirror and negate
        s.set_regvals(740, 1);  // binning by 2
        s.set_regvals(190, 5);  // temporal repair
        s.set_regvals(191, 5);
        s.set_regvals(741, 1);
        s.set_regvals(742, 180);  // gray gamma 1.8
        s.set_regvals(774, 50), s.set_regvals(775, 150), s.set_regvals(776, 200);
        HVQ5_2_EXTEND* extend = s.get_sdk_extend();
        extend->feature_en |= HVQ5_2_EXTEND::gray_correction_en | HVQ5_2_EXTEND::gray_lut_en;
        extend->enable = 1;
        extend->z_offset_count = 4096;
        for (int i = 0; i < 4096; ++i) extend->z_offset[i] = i % 7;
        controller_.processor =
            std::make_shared<ProfileProcessor>(geometry.columns, geometry.points, geometry.pointsPerColumn);
        controller_.processor->bind(&s, &controller_.laserParams);
        std::vector<double> coefficients(10, 0.0);
        coefficients[8] = 2.0;  // distance = 2 x camera row
        controller_.processor->setCalibration(CalibrationTable(kColumns, coefficients));
    }

    std::string address_;
    SensorController controller_;
    ProfileReceiver receiver_{std::make_shared<QuietLog>()};
    std::shared_ptr<sensor_sim::DataChannelService> channel_ = std::make_shared<sensor_sim::DataChannelService>();
    std::shared_ptr<sensor_sim::BatchStreamer> streamer_ = std::make_shared<sensor_sim::BatchStreamer>(channel_);
    std::atomic<uint64_t> delivered_{0};
};

struct HeadFigures {
    uint64_t sent = 0, delivered = 0, bytes = 0;
};

// CPU seconds of the process's threads by their part, from /proc.
struct ThreadCpu {
    double reader = 0.0, consumer = 0.0, workers = 0.0, rest = 0.0;
};

ThreadCpu threadCpu() {
    ThreadCpu cpu;
    const double tick = 1.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream stat(entry.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const size_t open = text.find('('), close = text.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        const std::string name = text.substr(open + 1, close - open - 1);
        std::istringstream fields(text.substr(close + 2));
        std::string field;
        unsigned long long utime = 0, stime = 0;
        // Fields 3 to 15 after the name: utime is the 14th, stime the 15th.
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14) utime = std::stoull(field);
            if (i == 15) stime = std::stoull(field);
        }
        const double seconds = (utime + stime) * tick;
        if (name == "mirevo-reader")
            cpu.reader += seconds;
        else if (name == "mirevo-consumer")
            cpu.consumer += seconds;
        else if (name == "mirevo-frames")
            cpu.workers += seconds;
        else
            cpu.rest += seconds;
    }
    return cpu;
}

// Streams rounds on every head at once until the phase time is used.
std::vector<HeadFigures> runHeads(int heads, int workers, double* seconds, ThreadCpu* cpu) {
    std::vector<std::unique_ptr<Head>> all;
    for (int h = 0; h < heads; ++h) {
        all.push_back(std::make_unique<Head>("127.94.0." + std::to_string(1 + h), workers));
        if (!all.back()->start()) {
            std::fprintf(stderr, "head %d did not start\n", h);
            return {};
        }
    }
    const Clock::time_point begin = Clock::now();
    uint32_t batch = 1;
    while (std::chrono::duration<double>(Clock::now() - begin).count() < kPhaseSeconds) {
        for (auto& head : all) {
            head->streamer().setPlan(roundPlan(batch));
            head->streamer().startStream();
        }
        batch += kBatchesPerRound;
        bool complete = true;
        for (auto& head : all) {
            if (!head->streamer().waitIdle(120000)) complete = false;
            const Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
            while (head->delivered() < head->streamer().framesSent() && Clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            if (head->delivered() < head->streamer().framesSent()) complete = false;
        }
        if (!complete) break;
    }
    *seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    *cpu = threadCpu();  // before the threads end with the heads
    std::vector<HeadFigures> figures;
    for (auto& head : all) {
        figures.push_back({head->streamer().framesSent(), head->delivered(), head->streamer().bytesSent()});
        head->stop();
    }
    return figures;
}

void report(const char* name, int workers, const std::vector<HeadFigures>& heads, double seconds,
            long peakKiB, double cpuSeconds, const ThreadCpu& threads) {
    uint64_t sent = 0, delivered = 0, bytes = 0;
    double slowest = 0.0;
    for (size_t h = 0; h < heads.size(); ++h) {
        sent += heads[h].sent;
        delivered += heads[h].delivered;
        bytes += heads[h].bytes;
        const double mbps = heads[h].bytes / seconds / 1e6;
        slowest = h == 0 ? mbps : std::min(slowest, mbps);
    }
    std::printf("%-10s pool %d: %8.0f frames/s %7.1f MB/s in all, slowest head %6.1f MB/s (%.1f x gigabit), "
                "frames lost %llu of %llu, peak RSS %.0f MiB, CPU %.1f us per frame\n",
                name, workers, delivered / seconds, bytes / seconds / 1e6, slowest, slowest / kGigabitMBps,
                static_cast<unsigned long long>(sent - delivered), static_cast<unsigned long long>(sent),
                peakKiB / 1024.0, delivered > 0 ? cpuSeconds * 1e6 / delivered : 0.0);
    if (delivered > 0)
        std::printf("%-10s         of which consumer %.1f, workers %.1f, reader %.1f, the rest %.1f us per frame\n", "",
                    threads.consumer * 1e6 / delivered, threads.workers * 1e6 / delivered,
                    threads.reader * 1e6 / delivered, threads.rest * 1e6 / delivered);
    std::fflush(stdout);
}

// Runs one configuration in a child process and reports it with the child's
// peak resident memory.
void phase(const char* name, int heads, int workers) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        double seconds = 0.0;
        ThreadCpu cpu;
        const std::vector<HeadFigures> figures = runHeads(heads, workers, &seconds, &cpu);
        const size_t count = figures.size();
        if (write(pipeFds[1], &seconds, sizeof seconds) < 0 || write(pipeFds[1], &count, sizeof count) < 0 ||
            (count > 0 && write(pipeFds[1], figures.data(), count * sizeof(HeadFigures)) < 0) ||
            write(pipeFds[1], &cpu, sizeof cpu) < 0)
            _exit(1);
        _exit(0);
    }
    close(pipeFds[1]);
    double seconds = 0.0;
    size_t count = 0;
    std::vector<HeadFigures> figures;
    ThreadCpu threads;
    if (read(pipeFds[0], &seconds, sizeof seconds) == sizeof seconds &&
        read(pipeFds[0], &count, sizeof count) == sizeof count && count > 0 && count <= 16) {
        figures.resize(count);
        if (read(pipeFds[0], figures.data(), count * sizeof(HeadFigures)) != static_cast<ssize_t>(count * sizeof(HeadFigures)) ||
            read(pipeFds[0], &threads, sizeof threads) != sizeof threads)
            figures.clear();
    }
    close(pipeFds[0]);
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    if (figures.empty()) {
        std::printf("%-10s pool %d: failed\n", name, workers);
        return;
    }
    // The CPU time of the whole child: simulator, interface and set-up.
    const double cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
                       usage.ru_stime.tv_usec * 1e-6;
    report(name, workers, figures, seconds, usage.ru_maxrss, cpu, threads);
}

}  // namespace

// Without arguments every configuration runs; "HEADS WORKERS" runs only that
// one (in this process, for a profiler).
int main(int argc, char** argv) {
    if (argc == 3) {
        const int heads = std::atoi(argv[1]), workers = std::atoi(argv[2]);
        double seconds = 0.0;
        ThreadCpu threads;
        const std::vector<HeadFigures> figures = runHeads(heads, workers, &seconds, &threads);
        struct rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        const double cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
                           usage.ru_stime.tv_usec * 1e-6;
        report(heads == 1 ? "one head" : "heads", workers, figures, seconds, usage.ru_maxrss, cpu, threads);
        return figures.empty() ? 1 : 0;
    }
    const int pool = ProfileReceiver::defaultFrameWorkers();
    std::printf("every stage on, %d-column fixed-point frames with intensity, 3200-point profiles, "
                "%d frames per batch; %u cores\n",
                kColumns, kFramesPerBatch, std::thread::hardware_concurrency());
    for (int workers : {1, 2, 4, 8}) phase("one head", 1, workers);
    phase("four heads", 4, 1);
    phase("four heads", 4, pool);
    return 0;
}
