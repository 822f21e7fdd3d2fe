#pragma once
// A name for the calling thread, as tools that list a process's threads show
// it (at most 15 characters are kept). Best effort: a refusal is silent.
namespace mirevo::platform {

void nameCurrentThread(const char* name);

}  // namespace mirevo::platform
