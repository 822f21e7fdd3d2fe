// Keeps the interface object library non-empty while its parts arrive.
namespace mirevo { void interface_anchor() {} }
