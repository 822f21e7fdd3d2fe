// Keeps the test support library non-empty while its helpers arrive.
namespace mirevo::test { void support_anchor() {} }
