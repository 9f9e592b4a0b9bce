// Region parsers: the run-length list reader, COCO counts and the COCO string,
// on words and bytes of every kind. A parse either throws CTavGeoRegionError or
// gives a region whose runs are sorted, merged and on the canvas, and whose
// list, counts and string forms read back to the same region.
// needs: TavGeoRegion.h:cocoStringToCounts
#include "FuzzInput.h"

namespace {

void checkRegion(const CTavGeoRegion& r) {
  const auto& runs = out(r).runs();
  for (size_t i = 0; i < runs.size(); ++i) {
    const TavRun& t = runs[i];
    FUZZ_CHECK(t.y >= 0 && t.y < r.height() && t.x0 >= 0 && t.x1 <= r.width() && t.x0 < t.x1);
    if (i > 0) FUZZ_CHECK(runs[i - 1].y < t.y || (runs[i - 1].y == t.y && runs[i - 1].x1 < t.x0));
  }
  FUZZ_CHECK(CTavGeoRegion::fromRle(r.toRle()) == r);
  if (static_cast<int64_t>(r.width()) * r.height() > (1 << 22)) return;
  const TavCocoRle c = r.toCoco();
  FUZZ_CHECK(CTavGeoRegion::fromCoco(c) == r);
  FUZZ_CHECK(CTavGeoRegion::fromCocoString(r.height(), r.width(), out(r.toCocoString())) == r);
  int64_t fg = 0;
  for (size_t i = 1; i < c.counts.size(); i += 2) fg += c.counts[i];
  FUZZ_CHECK(fg == r.area());
}

// A side that is usually small, sometimes any int.
int side(FuzzInput& in) { return in.flag() ? in.count(64) : in.anyInt(); }

// Half the inputs are built well formed (ascending rows of runs; counts that
// add up to h * w, sometimes one off; their string), so that most of those
// parse and the read-back checks run: random words and bytes are almost
// always refused.
std::vector<int> wellFormedList(FuzzInput& in) {
  const int w = in.count(40), h = in.count(40);
  std::vector<int> l = {w, h, in.flag() ? -1 - in.count(3) : 0, 0, 0, 0};
  for (int y = in.count(3) - 1; y <= h && in.flag(); y += 1 + in.count(2)) {
    l.push_back(y);
    for (int k = 1 + in.count(3); k > 0; --k)
      l.push_back(static_cast<int>(in.byte() % 48) - 4), l.push_back(in.count(12));
    l.push_back(-1);
  }
  l.push_back(-1);
  return l;
}

// A canvas small enough for well-formed counts (side() can give any int).
bool smallCanvas(int h, int w) { return h >= 0 && h <= 64 && w >= 0 && w <= 64; }

std::vector<int64_t> wellFormedCounts(FuzzInput& in, int h, int w) {
  std::vector<int64_t> counts;
  int64_t left = int64_t{h} * w;
  while (left > 0 && in.flag()) {
    const int64_t n = std::min<int64_t>(in.count(30), left);
    counts.push_back(n), left -= n;
  }
  counts.push_back(left + (in.byte() < 16 ? 1 : 0));
  return counts;
}

void parseList(FuzzInput& in, bool) {
  std::vector<int> l;
  if (in.flag()) {
    l = wellFormedList(in);
  } else {
    l.resize(static_cast<size_t>(in.count(400)));
    for (int& w : l) {
      const int k = in.byte() % 4;
      w = k == 0 ? -1 : k == 1 ? in.anyInt() : static_cast<int>(in.byte() % 40) - 8;
    }
    if (l.size() >= 2 && in.flag()) l[0] = in.count(64), l[1] = in.count(64);
  }
  orError([&] { checkRegion(CTavGeoRegion::fromRle(l)); });  // capacity == size, so ASan sees overreads
  orError([&] { checkRegion(CTavGeoRegion::fromRle(exactCopy(l).get(), l.size())); });
}

void parseCounts(FuzzInput& in, bool) {
  TavCocoRle c{side(in), side(in), {}};
  if (in.flag() && smallCanvas(c.height, c.width)) {
    c.counts = wellFormedCounts(in, c.height, c.width);
  } else {
    c.counts.resize(static_cast<size_t>(in.count(300)));
    for (int64_t& n : c.counts) n = in.flag() ? in.byte() % 20 : static_cast<int64_t>(in.u64());
  }
  orError([&] { checkRegion(CTavGeoRegion::fromCoco(c)); });
  // The string form takes any counts in 0 .. kRegionMaxPixels, canvas or not, and reads back to them.
  bool encoded = false;
  orError([&] {
    const std::string s = out(CTavGeoRegion::cocoCountsToString(c.counts));
    FUZZ_CHECK(CTavGeoRegion::cocoStringToCounts(s) == c.counts);
    encoded = true;
  });
  FUZZ_CHECK(encoded == std::all_of(c.counts.begin(), c.counts.end(),
                                    [](int64_t n) { return n >= 0 && n <= kRegionMaxPixels; }));
}

void parseString(FuzzInput& in, bool) {
  const int h = side(in), w = side(in);
  std::string s;
  if (in.flag() && smallCanvas(h, w)) {
    orError([&] { s = CTavGeoRegion::cocoCountsToString(wellFormedCounts(in, h, w)); });
    if (!s.empty() && in.byte() < 32) s[in.byte() % s.size()] = static_cast<char>(in.byte());
  } else {
    while (!in.empty()) s.push_back(static_cast<char>(in.flag() ? 48 + in.byte() % 64 : in.byte()));
  }
  orError([&] {
    const std::vector<int64_t> counts = out(CTavGeoRegion::cocoStringToCounts(s));
    FUZZ_CHECK(CTavGeoRegion::cocoStringToCounts(CTavGeoRegion::cocoCountsToString(counts)) == counts);
    checkRegion(CTavGeoRegion::fromCocoString(h, w, s));
  });
}

}  // namespace

TAVFUZZ_TARGET(fuzz_region_parse) {
  pick(in, {{"parselist", parseList}, {"parsecounts", parseCounts}, {"parsestring", parseString}});
}
