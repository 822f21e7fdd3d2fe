// Keeps the simulator library non-empty while its parts arrive.
namespace sensor_sim { void anchor() {} }
