#include "tests/support/test_network.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace search_test {
namespace {

bool run(const std::string& command, std::string* error) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) == 0) return true;
    *error = "test network: \"" + command + "\" failed (needs root and iproute2)";
    return false;
}

// A namespace fresh from unshare -n has nothing but its loopback device; any
// other interface may lead onto a real network.
// Names the first other interface in *other.
bool hasOnlyLoopback(std::string* other) {
    struct if_nameindex* interfaces = if_nameindex();
    if (!interfaces) return false;
    bool onlyLoopback = true;
    for (const struct if_nameindex* item = interfaces; item->if_index != 0; ++item) {
        if (onlyLoopback && std::string(item->if_name) != "lo") {
            onlyLoopback = false;
            *other = item->if_name;
        }
    }
    if_freenameindex(interfaces);
    return onlyLoopback;
}

constexpr char kNamePrefix[] = "mirevo-search-";

// When a process started, in clock ticks since boot ("" when it is gone).
std::string startTime(const std::string& pid) {
    std::ifstream file("/proc/" + pid + "/stat");
    std::string stat;
    std::getline(file, stat);
    const size_t commandEnd = stat.rfind(')');
    if (commandEnd == std::string::npos) return {};
    // The fields after the command, from the third (state) on: the start is the 22nd.
    std::istringstream fields(stat.substr(commandEnd + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    return field;
}

// The sensors' namespace is named by the test process's id and start time:
// a namespace that a killed test left behind never stands in the way of a
// later process that gets the same id.
std::string namespaceName() {
    const std::string pid = std::to_string(getpid());
    return kNamePrefix + pid + "-" + startTime(pid);
}

// Removes the namespaces of test processes that are gone ("<prefix><pid>" or
// "<prefix><pid>-<start>"): a test killed before its end leaves its own.
void removeLeftovers() {
    std::error_code failed;
    for (const auto& entry : std::filesystem::directory_iterator("/run/netns", failed)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kNamePrefix, 0) != 0) continue;
        const std::string rest = name.substr(sizeof kNamePrefix - 1);
        // Only names this code makes: the name goes into a shell command.
        if (rest.find_first_not_of("0123456789-") != std::string::npos) continue;
        const size_t dash = rest.find('-');
        const std::string pid = rest.substr(0, dash);
        if (pid.empty()) continue;
        const std::string started = startTime(pid);
        const bool gone = started.empty() || (dash != std::string::npos && rest.substr(dash + 1) != started);
        if (gone) std::system(("ip netns del " + name + " >/dev/null 2>&1").c_str());
    }
}

}  // namespace

std::unique_ptr<TestNetwork> TestNetwork::create(std::string* error) {
    std::string other;
    if (!hasOnlyLoopback(&other)) {
        *error = "refusing to broadcast: run this program in a private network namespace "
                 "(unshare -n), as its CTest entry does (interface \"" + other + "\" is there)";
        return nullptr;
    }
    removeLeftovers();
    const std::string name = namespaceName();
    if (!run("ip netns add " + name, error)) return nullptr;
    std::unique_ptr<TestNetwork> network(new TestNetwork(name));  // removes the namespace from now on
    const std::string inSensor = "ip netns exec " + name + " ";
    if (!run("ip link add mvs-host type veth peer name mvs-sensor netns " + name, error) ||
        !run("ip addr add " + std::string(kHostAddress) + "/24 brd + dev mvs-host", error) ||
        !run("ip link set mvs-host up", error) ||
        !run(inSensor + "ip addr add " + kSensorAddress + "/24 brd + dev mvs-sensor", error) ||
        !run(inSensor + "ip link set mvs-sensor up", error)) {
        return nullptr;
    }
    return network;
}

TestNetwork::~TestNetwork() {
    // The veth pair goes with the namespace only once the kernel dismantles
    // it, which may be later (or never, while anything still holds it); the
    // next test of the same process then finds the host end and refuses.
    // Deleting the host end removes both ends at once.
    std::system("ip link del mvs-host >/dev/null 2>&1");
    std::system(("ip netns del " + sensorNamespace_ + " >/dev/null 2>&1").c_str());
}

uint32_t TestNetwork::hostAddress() const {
    in_addr address{};
    inet_pton(AF_INET, kHostAddress, &address);
    return address.s_addr;
}

}  // namespace search_test
