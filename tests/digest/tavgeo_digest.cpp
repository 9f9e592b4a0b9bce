// Determinism digest: runs every fuzz target's checker on its committed corpus
// and its seeded random inputs (tests/fuzz) and folds the bit pattern of every
// output the checkers pass through out() (return values, doubles, floats,
// run-length words, regions, error texts, log messages) into one 64-bit FNV-1a
// digest per family, a part of a target.
//
//   tavgeo_digest [--write F]       prints "family digest" lines (to F: tests/digest/digest.txt)
//   tavgeo_digest --check F [a,b]   compares with F (only the families a and b);
//                                   exit status 1 and the differing families on a mismatch
//   tavgeo_digest --threads N       N threads at once, each starting at another target, must each get
//                                   the single-threaded digests with no broken check (run under
//                                   ThreadSanitizer by scripts/tsan.sh)
#include <TavLog/TavLog.h>

#include <atomic>
#include <iostream>
#include <sstream>
#include <thread>

#include "FuzzInput.h"

CTavLog& tavfuzzFitLog();  // fuzz_fit.cpp: the only checker whose calls write log records

// Every family's digest over the targets' inputs, on this thread, starting at target `first`.
std::map<std::string, uint64_t> digestAll(size_t first, std::atomic<int>* broken) {
  std::map<std::string, uint64_t> all, got;
  g_families = &all;
  for (size_t i = first; i < first + g_targets.size(); ++i) {
    const Target& t = g_targets[i % g_targets.size()];
    forEachInput(t, TAVFUZZ_CORPUS_DIR, [&](const std::string& what, const std::vector<uint8_t>& bytes) {
      const std::string why = runOne(t, bytes);
      if (!why.empty() && ++*broken == 1) std::cerr << t.name << " " << what << ": " << why << "\n";
      out(why.empty());
    });
  }
  g_families = nullptr;
  const uint64_t empty = 1469598103934665603ull;  // the targets' own names, when parts digest their outputs
  uint64_t total = empty;
  for (const auto& [name, h] : all)
    if (h != empty) got[name] = h, total = fnv(total, h);
  got["total"] = total;
  return got;
}

int main(int argc, char** argv) {
  CTavLog::_log = &tavfuzzFitLog();  // set once: the checkers then only read it
  std::atomic<int> broken{0};
  const std::map<std::string, uint64_t> got = digestAll(0, &broken);
  if (argc == 3 && std::string(argv[1]) == "--threads") {  // each thread starting at another target
    std::atomic<int> differ{0};
    std::vector<std::thread> pool;
    for (int th = 0; th < std::atoi(argv[2]); ++th)
      pool.emplace_back([&, th] { differ += digestAll(static_cast<size_t>(th), &broken) != got; });
    for (std::thread& t : pool) t.join();
    std::cout << argv[2] << " threads: " << differ << " digests differ, " << broken << " broken checks\n";
    return differ == 0 && broken == 0 ? 0 : 1;
  }
  if (broken > 1) std::cerr << "(and " << broken - 1 << " more inputs with a broken check)\n";
  if (argc == 3 && std::string(argv[1]) == "--write" && !std::freopen(argv[2], "w", stdout)) return 2;
  if (argc < 3 || std::string(argv[1]) != "--check") {
    std::cout << "# family digest (tavgeo_digest --write); update with the change that moves a result\n";
    for (const auto& [name, h] : got) std::cout << name << " " << std::hex << h << "\n";
    return argc == 1 || std::string(argv[1]) == "--write" ? 0 : 2;
  }
  std::map<std::string, uint64_t> want;
  std::ifstream f(argv[2]);
  std::string line, name;
  for (uint64_t h; std::getline(f, line);)
    if (line[0] != '#' && std::istringstream(line) >> name >> std::hex >> h) want[name] = h;
  const std::string only = argc > 3 ? "," + std::string(argv[3]) + "," : "";
  int bad = want.empty();
  for (const auto& [name, h] : got)
    if ((only.empty() || only.find("," + name + ",") != std::string::npos) && want[name] != h)
      ++bad, std::cout << name << ": got " << std::hex << h << ", recorded " << want[name] << "\n";
  if (bad == 0) std::cout << "digest matches: " << (only.empty() ? "all" : argv[3]) << "\n";
  return bad == 0 ? 0 : 1;
}
