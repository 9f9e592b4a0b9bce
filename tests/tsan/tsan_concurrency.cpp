// Threads run the fuzz targets' checkers (tests/fuzz) on their corpus and seeded inputs at once,
// each starting at another target: no check may break and every target's digest must equal the
// single-threaded one. Run under ThreadSanitizer by scripts/tsan.sh.
#include <TavLog/TavLog.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "FuzzInput.h"

CTavLog& tavfuzzFitLog();                                 // fuzz_fit.cpp
std::vector<std::vector<std::vector<uint8_t>>> g_inputs;  // per target
std::atomic<int> g_broken{0}, g_mismatches{0};

std::map<std::string, uint64_t> digest(size_t t) {  // of target t's families, on this thread
  std::map<std::string, uint64_t> families;
  g_families = &families;
  for (const auto& bytes : g_inputs[t]) g_broken += !runOne(g_targets[t], bytes).empty();
  g_families = nullptr;
  return families;
}

int main(int argc, char** argv) {
  const int threads = argc > 1 ? std::atoi(argv[1]) : 8, rounds = argc > 2 ? std::atoi(argv[2]) : 2;
  const size_t targets = g_targets.size();
  CTavLog::_log = &tavfuzzFitLog();  // once: the checkers then only read the pointer
  g_inputs.resize(targets);
  std::vector<std::map<std::string, uint64_t>> alone;
  size_t families = 0;
  for (size_t i = 0; i < targets; ++i) {
    forEachInput(g_targets[i], TAVFUZZ_CORPUS_DIR, [&](auto&, auto& bytes) { g_inputs[i].push_back(bytes); });
    families += alone.emplace_back(digest(i)).size();
  }
  for (int r = 0; r < rounds; ++r) {  // fresh threads: fuzz_fit digests a record count kept per thread
    std::vector<std::thread> pool;
    for (int th = 0; th < threads; ++th)  // each starting at another target
      pool.emplace_back([&, th] {
        for (size_t i = th; i < th + targets; ++i) g_mismatches += digest(i % targets) != alone[i % targets];
      });
    for (std::thread& t : pool) t.join();
  }
  const bool ok = families > targets && g_mismatches == 0 && g_broken == 0;
  std::printf("%s: %d threads x %d rounds of %zu targets (%zu families): %d mismatches, %d broken checks\n",
              ok ? "OK" : "FAILED", threads, rounds, targets, families, g_mismatches.load(), g_broken.load());
  return ok ? 0 : 1;
}
