// The fuzz targets' checkers, run by the unit test runner: each target replays
// its committed corpus (tests/fuzz/corpus/<target>) and 300 seeded random
// inputs. A broken invariant names the target, the input and the check.
#include <TavLog/TavLog.h>
#include <gtest/gtest.h>

#include "fuzz/FuzzInput.h"

namespace {

std::vector<std::string> targetNames() {
  std::vector<std::string> names;
  for (const Target& t : g_targets) names.push_back(t.name);
  std::sort(names.begin(), names.end());
  return names;
}

class FuzzTarget : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzTarget, CorpusAndSeededInputsKeepEveryInvariant) {
  for (const Target& t : g_targets) {
    if (t.name != GetParam()) continue;
    CTavLog* const logBefore = CTavLog::_log;  // a target may route the log, but must put it back
    int corpus = 0;
    forEachInput(t, TAVFUZZ_CORPUS_DIR, [&](const std::string& what, const std::vector<uint8_t>& bytes) {
      corpus += what.compare(0, 6, "corpus") == 0;
      EXPECT_EQ(runOne(t, bytes), "") << what;
    });
    EXPECT_GT(corpus, 0) << "no corpus for " << t.name;
    EXPECT_EQ(CTavLog::_log, logBefore);
  }
}

INSTANTIATE_TEST_SUITE_P(Fuzz, FuzzTarget, ::testing::ValuesIn(targetNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
