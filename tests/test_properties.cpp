// The fuzz targets' checkers, run by the unit test runner: each target replays
// its committed corpus (tests/fuzz/corpus/<target>) and a number of seeded
// random inputs. A broken invariant names the target, the input and the check.
#include <TavLog/TavLog.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"

namespace {

constexpr int kRandomRuns = 300;  // per target, after its corpus

std::string runOne(const tavfuzz::Target& t, const std::vector<uint8_t>& bytes) {
  try {
    tavfuzz::FuzzInput in(bytes.data(), bytes.size());
    t.body(in);
  } catch (const tavfuzz::Broken& b) {
    return std::string(b.file) + ":" + std::to_string(b.line) + ": " + b.what;
  }
  return "";
}

std::vector<std::string> targetNames() {
  std::vector<std::string> names;
  for (const tavfuzz::Target& t : tavfuzz::targets()) names.push_back(t.name);
  std::sort(names.begin(), names.end());
  return names;
}

class FuzzTarget : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzTarget, CorpusAndSeededInputsKeepEveryInvariant) {
  const auto& all = tavfuzz::targets();
  const auto it = std::find_if(all.begin(), all.end(), [](const tavfuzz::Target& t) { return t.name == GetParam(); });
  ASSERT_NE(it, all.end());
  CTavLog* const logBefore = CTavLog::_log;  // a target may route the log, but must put it back
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(TAVFUZZ_CORPUS_DIR) / it->name;
  std::vector<fs::path> files;
  if (fs::is_directory(dir))
    for (const auto& e : fs::directory_iterator(dir)) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  EXPECT_FALSE(files.empty()) << "no corpus in " << dir;
  for (const fs::path& f : files) {
    std::ifstream s(f, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(s)), std::istreambuf_iterator<char>());
    const std::string broken = runOne(*it, bytes);
    EXPECT_EQ(broken, "") << "corpus input " << f.filename();
  }
  uint32_t seed = 2166136261u;  // FNV-1a of the name: the same inputs with every standard library
  for (const char* c = it->name; *c; ++c) seed = (seed ^ static_cast<uint8_t>(*c)) * 16777619u;
  std::mt19937 rng(seed);
  for (int run = 0; run < kRandomRuns; ++run) {
    std::vector<uint8_t> bytes(1 + rng() % 400);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
    const std::string broken = runOne(*it, bytes);
    EXPECT_EQ(broken, "") << "random input " << run;
  }
  EXPECT_EQ(CTavLog::_log, logBefore);
}

INSTANTIATE_TEST_SUITE_P(Fuzz, FuzzTarget, ::testing::ValuesIn(targetNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
