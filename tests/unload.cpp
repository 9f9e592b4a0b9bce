// Loads the library named, unloads it, and fails while it is still mapped: a
// library that cannot be unloaded stays in every process that once loaded it
// (a plugin host, an interpreter that imports and drops a module).
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (lib == nullptr || dlclose(lib) != 0) {
    std::fprintf(stderr, "%s\n", dlerror());
    return 1;
  }
  const char* slash = std::strrchr(argv[1], '/');
  const std::string name = slash != nullptr ? slash + 1 : argv[1];
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);)
    if (line.find(name) != std::string::npos) {
      std::fprintf(stderr, "still mapped after dlclose: %s\n", line.c_str());
      return 1;
    }
  return 0;
}
