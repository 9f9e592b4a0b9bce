// The fuzz targets' checkers, run by the unit test runner: each target replays
// its committed corpus (tests/fuzz/corpus/<target>) and 300 seeded random
// inputs. A broken invariant names the target, the input and the check.
#include <TavLog/TavLog.h>
#include <gtest/gtest.h>

#include "fuzz/FuzzInput.h"

namespace {

class FuzzTarget : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzTarget, CorpusAndSeededInputsKeepEveryInvariant) {
  const Target& t = GetParam();
  CTavLog* const logBefore = CTavLog::_log;  // a target may route the log, but must put it back
  int corpus = 0;
  forEachInput(t, TAVFUZZ_CORPUS_DIR, [&](const std::string& what, const std::vector<uint8_t>& bytes) {
    corpus += what.compare(0, 6, "corpus") == 0;
    EXPECT_EQ(runOne(t, bytes), "") << what;
  });
  EXPECT_GT(corpus, 0) << "no corpus for " << t.name;
  EXPECT_EQ(CTavLog::_log, logBefore);
}

INSTANTIATE_TEST_SUITE_P(Fuzz, FuzzTarget, ::testing::ValuesIn(g_targets),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
