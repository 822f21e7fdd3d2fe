// The 3D view drawing a batch-like cloud of 10000 profiles x 3200 points (a
// gently tilted plane with a raised block, its shadow without heights, 300
// patches of dropouts, 0.01 % single dropouts and 5 um of noise) as points
// and as a mesh at xy scales 1.0, 0.5 and 0.25, in a 640 x 560 view under
// Xvfb with Mesa's software renderer; then once more at scale 0.5 with 0.2 %
// single dropouts, which make most of the mesh fine.
// Each case runs in a process of its own (peak memory is the process's) and
// reports:
//   build        our part alone, seconds: the view points or the adaptive
//                mesh, in fresh memory
//   warm         the same again, in the memory the first build gave back
//   kfaults      thousands of page faults of the first build; on virtual
//                machines a fault of fresh memory can cost tens of microseconds
//   first        seconds from the call that draws the cloud until its first
//                picture is rendered (our build, PCL's hand-over to VTK,
//                VTK's first render with its uploads), and its page faults;
//                split into
//   hand         PCL's hand-over: the drawing call (renderPointCloud or
//                renderMesh) less the warm build
//   render       VTK's first render after it, of which one turning frame
//                (1 / still) is drawing and the rest is preparing: colours
//                through the look-up table, level-of-detail copies, uploads
//   still        frames per second while the camera turns 3 degrees a frame
//                at full detail
//   moving       the same at the update rate a mouse drag asks for (PCL's
//                level-of-detail actors may draw a tenth of the points)
//   peak MB      the process's peak resident memory
// CLOUD_VIEW_NO_MSAA=1 draws without VTK's default 8x multisampling.
// Run it as:  xvfb-run -a bench/cloud_view_timing [rows cols]
// or one case: cloud_view_timing --case points|mesh --scale S [rows cols]
#include <QApplication>

#include <opencv2/imgproc.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <pcl/PolygonMesh.h>
#include <pcl/visualization/pcl_visualizer.h>
#include <vtkCamera.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>

#include "views/height/cloud/kx_common.h"
#include "views/height/denoise_params.h"
#include "views/height/view3d/adaptive_mesh_builder.h"
#include "views/height/view3d/cloud_render.h"
#include "views/height/view3d/cloud_view.h"
#include "views/height/view3d/view_points.h"

namespace {

using Clock = std::chrono::steady_clock;
using kx::common::kxCloud;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double peakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

constexpr float kNull = -9999.0f;

// scatter: the share of single cells without a height besides the holes
// (each one meshes a 17 x 17 patch finely).
kxCloud batchLikeCloud(int rows, int cols, float scatter) {
    cv::Mat z(rows, cols, CV_32FC1);
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 0.005f);
    std::uniform_real_distribution<float> chance(0.0f, 1.0f);
    const int blockTop = rows / 4, blockBottom = rows * 3 / 4;
    const int blockLeft = cols * 3 / 8, blockRight = cols * 5 / 8;
    for (int r = 0; r < rows; ++r) {
        float* row = z.ptr<float>(r);
        for (int c = 0; c < cols; ++c) {
            float h = 0.0002f * c + 0.0001f * r + noise(random);
            const bool inBlock = r >= blockTop && r < blockBottom && c >= blockLeft && c < blockRight;
            if (inBlock) h += 2.0f;
            const bool shadow = r >= blockTop && r < blockBottom && c >= blockRight && c < blockRight + 40;
            if (shadow || chance(random) < scatter) h = kNull;
            row[c] = h;
        }
    }
    // Dropouts come in patches: 300 holes of 2 to 6 cells radius.
    std::uniform_int_distribution<int> atRow(0, rows - 1), atCol(0, cols - 1), radius(2, 6);
    for (int i = 0; i < 300; ++i) cv::circle(z, cv::Point(atCol(random), atRow(random)), radius(random), cv::Scalar(kNull), -1);
    return kxCloud(z, 0.01f, 0.01f, -1.0f, 4.0f, kNull);
}

struct Result {
    double build = 0;       // first time: fresh memory
    double buildWarm = 0;   // second time: memory the first build gave back
    long buildFaults = 0;   // page faults of the first build
    double firstFrame = 0;
    double handOver = 0;    // PCL's part of the drawing call
    double render = 0;      // VTK's first render
    long frameFaults = 0;   // page faults until the first frame
    double fpsStill = 0;
    double fpsMoving = 0;
    double peak = 0;
    size_t elements = 0;  // points or triangles
};

long pageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

// Frames per second over `frames` turns of the camera.
double turningFps(CloudView& view, int frames, double desiredUpdateRate) {
    vtkRenderWindow* window = view.renderWindow();
    const double still = window->GetDesiredUpdateRate();
    window->SetDesiredUpdateRate(desiredUpdateRate);
    vtkCamera* camera = view.renderer()->GetActiveCamera();
    const auto start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        camera->Azimuth(3.0);
        window->Render();
        view.repaint();
        window->WaitForCompletion();
    }
    const double seconds = secondsSince(start);
    window->SetDesiredUpdateRate(still);
    return frames / seconds;
}

Result runCase(const std::string& kind, float scale, int rows, int cols, float scatter) {
    Result result;
    const kxCloud cloud = batchLikeCloud(rows, cols, scatter);
    auto build = [&] {
        if (kind == "points") return buildViewPoints(cloud, scale)->size();
        AdaptiveMeshBuilder builder(refinementRate);
        pcl::PolygonMesh mesh;
        builder.build(cloud, scale, mesh);
        return mesh.polygons.size();
    };
    long faults = pageFaults();
    auto start = Clock::now();
    result.elements = build();
    result.build = secondsSince(start);
    result.buildFaults = pageFaults() - faults;
    start = Clock::now();
    build();
    result.buildWarm = secondsSince(start);

    CloudView view;
    if (std::getenv("CLOUD_VIEW_NO_MSAA")) view.renderWindow()->SetMultiSamples(0);
    view.resize(640, 560);
    view.addAxesMarker();
    view.show();
    QApplication::processEvents();
    view.renderWindow()->Render();
    view.renderWindow()->WaitForCompletion();

    // What CloudView::showPointCloud and showMesh do, timed step by step.
    faults = pageFaults();
    start = Clock::now();
    if (kind == "points")
        renderPointCloud(cloud, view.viewer(), scale);
    else
        renderMesh(cloud, view.viewer(), scale);
    const double drawn = secondsSince(start);
    view.viewer()->resetCamera();
    view.renderWindow()->Render();
    view.repaint();
    view.renderWindow()->WaitForCompletion();
    result.firstFrame = secondsSince(start);
    result.handOver = drawn - result.buildWarm;
    result.render = result.firstFrame - drawn;
    result.frameFaults = pageFaults() - faults;

    const int frames = result.elements > 10000000 ? 5 : 20;
    result.fpsStill = turningFps(view, frames, 0.0001);
    result.fpsMoving = turningFps(view, frames, 15.0);
    result.peak = peakMb();
    return result;
}

int runOne(int argc, char** argv) {
    std::string kind = "points";
    float scale = 0.5f;
    float scatter = 0.0001f;
    int rows = 10000, cols = 3200;
    std::vector<std::string> rest;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--case") && i + 1 < argc)
            kind = argv[++i];
        else if (!std::strcmp(argv[i], "--scale") && i + 1 < argc)
            scale = std::strtof(argv[++i], nullptr);
        else if (!std::strcmp(argv[i], "--scatter") && i + 1 < argc)
            scatter = std::strtof(argv[++i], nullptr);
        else
            rest.push_back(argv[i]);
    }
    if (rest.size() == 2) {
        rows = std::atoi(rest[0].c_str());
        cols = std::atoi(rest[1].c_str());
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    useVtkSurfaceFormat();
    QApplication app(argc, argv);
    const Result r = runCase(kind, scale, rows, cols, scatter);
    std::printf("RESULT %-6s %5.2f %7.4f %9zu %7.3f %7.3f %7ld %7.3f %7ld %6.3f %6.3f %6.2f %6.2f %7.0f\n",
                kind.c_str(), scale, scatter, r.elements, r.build, r.buildWarm, r.buildFaults / 1000, r.firstFrame,
                r.frameFaults / 1000, r.handOver, r.render, r.fpsStill, r.fpsMoving, r.peak);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--case")) return runOne(argc, argv);

    struct Case {
        const char* kind;
        const char* scale;
        const char* scatter;
    } cases[] = {
        {"points", "1.0", "0.0001"}, {"points", "0.5", "0.0001"}, {"points", "0.25", "0.0001"},
        {"mesh", "1.0", "0.0001"},   {"mesh", "0.5", "0.0001"},   {"mesh", "0.25", "0.0001"},
        {"points", "0.5", "0.002"},  {"mesh", "0.5", "0.002"},
    };
    std::printf("cloud %s x %s, view 640 x 560\n", argc == 3 ? argv[1] : "10000", argc == 3 ? argv[2] : "3200");
    std::printf("%-6s %5s %7s %9s %7s %7s %7s %7s %7s %6s %6s %6s %6s %7s\n", "case", "scale", "scatter", "elements",
                "build", "warm", "kfaults", "first", "kfaults", "hand", "render", "still", "moving", "peak MB");
    std::fflush(stdout);
    for (const Case& c : cases) {
        std::vector<std::string> args = {"/proc/self/exe", "--case", c.kind, "--scale", c.scale, "--scatter", c.scatter};
        if (argc == 3) {
            args.push_back(argv[1]);
            args.push_back(argv[2]);
        }
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return 1;
        const pid_t child = fork();
        if (child == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            close(pipeFds[0]);
            std::vector<char*> raw;
            for (std::string& a : args) raw.push_back(a.data());
            raw.push_back(nullptr);
            execv("/proc/self/exe", raw.data());
            _exit(127);
        }
        close(pipeFds[1]);
        std::string output;
        char buffer[4096];
        ssize_t got;
        while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(got));
        close(pipeFds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        const size_t at = output.find("RESULT ");
        if (at == std::string::npos) {
            std::printf("%-6s %5s %8s failed (status %d)\n", c.kind, c.scale, c.scatter, status);
        } else {
            const size_t end = output.find('\n', at);
            std::printf("%s\n", output.substr(at + 7, end - at - 7).c_str());
        }
        std::fflush(stdout);
    }
    return 0;
}
