// Determinism digest: runs every fuzz target's checker on its committed corpus
// and its seeded random inputs (tests/fuzz) and folds the bit pattern of every
// output the checkers pass through out() (return values, doubles, floats,
// run-length words, regions, error texts, log messages) into one 64-bit FNV-1a
// digest per family, a part of a target.
//
//   tavgeo_digest [--write F]       prints "family digest" lines (to F: tests/digest/digest.txt)
//   tavgeo_digest --check F [a,b]   compares with F (only the families a and b);
//                                   exit status 1 and the differing families on a mismatch
#include <TavLog/TavLog.h>

#include <iostream>
#include <sstream>

#include "FuzzInput.h"

int main(int argc, char** argv) {
  // A log record holds the source file and line, which depend on the checkout:
  // only its category, quoted message and the code at its end are digested.
  CTavLog log([](unsigned int category, const std::string& record) {
    const size_t open = record.find('"'),
                 close = open == std::string::npos ? open : record.find('"', open + 1);
    out(category, close == std::string::npos ? "" : record.substr(open + 1, close - open - 1),
        record.substr(std::min(record.size(), record.rfind('('))));
  });
  std::map<std::string, uint64_t> all, got, want;
  int brokenCount = 0;
  g_families = &all, CTavLog::_log = &log;
  for (const Target& t : g_targets)
    forEachInput(t, TAVFUZZ_CORPUS_DIR, [&](const std::string& what, const std::vector<uint8_t>& bytes) {
      const std::string broken = runOne(t, bytes);
      if (!out(broken.empty()) && ++brokenCount == 1)
        std::cerr << t.name << " " << what << ": " << broken << "\n";
    });
  g_families = nullptr, CTavLog::_log = nullptr;
  if (brokenCount > 1) std::cerr << "(and " << brokenCount - 1 << " more inputs with a broken check)\n";
  const uint64_t empty = 1469598103934665603ull;  // the targets' own names, when parts digest their outputs
  uint64_t total = empty;
  for (const auto& [name, h] : all)
    if (h != empty) got[name] = h, total = fnv(total, h);
  got["total"] = total;
  if (argc == 3 && std::string(argv[1]) == "--write" && !std::freopen(argv[2], "w", stdout)) return 2;
  if (argc < 3 || std::string(argv[1]) != "--check") {
    std::cout << "# family digest (tavgeo_digest --write); update with the change that moves a result\n";
    for (const auto& [name, h] : got) std::cout << name << " " << std::hex << h << "\n";
    return argc == 1 || std::string(argv[1]) == "--write" ? 0 : 2;
  }
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
