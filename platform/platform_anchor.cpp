// Keeps the platform library non-empty while its services arrive one by one.
namespace mirevo::platform { void anchor() {} }
