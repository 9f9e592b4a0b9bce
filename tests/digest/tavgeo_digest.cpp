// Determinism digest: runs every fuzz target's checker on its committed corpus
// and its seeded random inputs (tests/fuzz) and folds the bit pattern of every
// output the checkers pass through out() (return values, doubles, floats,
// run-length words, regions, error texts, log messages) into one 64-bit FNV-1a
// digest per family, a part of a target.
//
//   tavgeo_digest                   prints "family digest" lines
//   tavgeo_digest --write F         writes F
//   tavgeo_digest --check F [a,b]   compares with F (only the families a and b);
//                                   exit status 1 and the differing families on a mismatch
#include <TavLog/TavLog.h>

#include <iostream>
#include <sstream>

#include "FuzzInput.h"

namespace {

std::string hex(uint64_t h) {
  char s[17];
  std::snprintf(s, sizeof s, "%016llx", static_cast<unsigned long long>(h));
  return s;
}

// A log record holds the source file and line, which depend on the checkout:
// only its category, quoted message and the code at its end are digested.
void logSink(unsigned int category, const std::string& record) {
  const size_t open = record.find('"'), close = open == std::string::npos ? open : record.find('"', open + 1);
  const size_t paren = record.rfind('(');
  out(category, close == std::string::npos ? "" : record.substr(open + 1, close - open - 1),
      paren == std::string::npos ? "" : record.substr(paren));
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, uint64_t> all;
  g_families = &all;
  CTavLog log(logSink);
  CTavLog::_log = &log;
  for (const Target& t : g_targets)
    forEachInput(t, TAVFUZZ_CORPUS_DIR, [&](const std::string& what, const std::vector<uint8_t>& bytes) {
      const std::string broken = runOne(t, bytes);
      if (!broken.empty()) std::cerr << t.name << " " << what << ": " << broken << "\n";
      out(broken.empty());
    });
  CTavLog::_log = nullptr;
  std::map<std::string, std::string> got;
  uint64_t total = 1469598103934665603ull;
  for (const auto& [name, d] : all)
    if (d != 1469598103934665603ull) total = fnv(total, d), got[name] = hex(d);  // not the targets' own names
  got["total"] = hex(total);

  const std::string mode = argc > 2 ? argv[1] : "";
  if (mode == "--write") {
    std::ofstream f(argv[2]);
    f << "# family digest (tavgeo_digest --write); update with the change that moves a result\n";
    for (const auto& [name, h] : got) f << name << " " << h << "\n";
    return f ? 0 : 2;
  }
  if (mode != "--check") {
    for (const auto& [name, h] : got) std::cout << name << " " << h << "\n";
    return argc == 1 ? 0 : 2;
  }
  std::ifstream f(argv[2]);
  std::map<std::string, std::string> want;
  for (std::string line, name, h; std::getline(f, line);)
    if (!line.empty() && line[0] != '#' && std::istringstream(line) >> name >> h) want[name] = h;
  const std::string only = argc > 3 ? "," + std::string(argv[3]) + "," : "";
  int bad = want.empty() ? 1 : 0;
  for (const auto& [name, h] : got) {
    if (!only.empty() && only.find("," + name + ",") == std::string::npos) continue;
    const auto w = want.find(name);
    if (w != want.end() && w->second == h) continue;
    std::cout << name << ": got " << h << ", recorded " << (w == want.end() ? "nothing" : w->second) << "\n";
    ++bad;
  }
  if (bad == 0) std::cout << "digest matches: " << (only.empty() ? got.at("total") : argv[3]) << "\n";
  return bad == 0 ? 0 : 1;
}
