// Region parsers: the run-length list reader, COCO counts and the COCO string,
// on words and bytes of every kind. A parse either throws CTavGeoRegionError or
// gives a region whose runs are sorted, merged and on the canvas, and whose
// list, counts and string forms read back to the same region.
// needs: TavGeoRegion.h:cocoStringToCounts
#include <TavGeometry/TavGeoRegion.h>

#include <string>
#include <vector>

#include "FuzzInput.h"

using namespace NTavGeometry;
using tavfuzz::FuzzInput;

namespace {

void checkRegion(const CTavGeoRegion& r) {
  const auto& runs = r.runs();
  for (size_t i = 0; i < runs.size(); ++i) {
    const TavRun& t = runs[i];
    FUZZ_CHECK(t.y >= 0 && t.y < r.height() && t.x0 >= 0 && t.x1 <= r.width() && t.x0 < t.x1);
    if (i > 0) FUZZ_CHECK(runs[i - 1].y < t.y || (runs[i - 1].y == t.y && runs[i - 1].x1 < t.x0));
  }
  FUZZ_CHECK(CTavGeoRegion::fromRle(r.toRle()) == r);
  if (static_cast<int64_t>(r.width()) * r.height() <= (1 << 22)) {
    const TavCocoRle c = r.toCoco();
    FUZZ_CHECK(CTavGeoRegion::fromCoco(c) == r);
    FUZZ_CHECK(CTavGeoRegion::fromCocoString(r.height(), r.width(), r.toCocoString()) == r);
    int64_t fg = 0;
    for (size_t i = 1; i < c.counts.size(); i += 2) fg += c.counts[i];
    FUZZ_CHECK(fg == r.area());
  }
}

// A side that is usually small, sometimes any int.
int side(FuzzInput& in) { return in.flag() ? in.count(64) : in.anyInt(); }

void parseList(FuzzInput& in) {
  std::vector<int> l;
  const int n = in.count(400);
  for (int i = 0; i < n; ++i) {
    switch (in.byte() % 4) {
      case 0: l.push_back(-1); break;
      case 1: l.push_back(in.anyInt()); break;
      default: l.push_back(static_cast<int>(in.byte() % 40) - 8); break;
    }
  }
  if (l.size() >= 2 && in.flag()) {
    l[0] = in.count(64);
    l[1] = in.count(64);
  }
  const std::vector<int> exact(l.begin(), l.end());  // capacity == size, so ASan sees overreads
  try {
    checkRegion(CTavGeoRegion::fromRle(exact));
  } catch (const CTavGeoRegionError&) {
  }
}

void parseCounts(FuzzInput& in) {
  TavCocoRle c{side(in), side(in), {}};
  const int n = in.count(300);
  for (int i = 0; i < n; ++i) c.counts.push_back(in.flag() ? in.byte() % 20 : static_cast<int64_t>(in.u64()));
  try {
    const CTavGeoRegion r = CTavGeoRegion::fromCoco(c);
    checkRegion(r);
  } catch (const CTavGeoRegionError&) {
  }
}

void parseString(FuzzInput& in) {
  const int h = side(in), w = side(in);
  std::string s;
  while (!in.empty()) s.push_back(static_cast<char>(in.flag() ? 48 + in.byte() % 64 : in.byte()));
  try {
    const std::vector<int64_t> counts = CTavGeoRegion::cocoStringToCounts(s);
    FUZZ_CHECK(CTavGeoRegion::cocoStringToCounts(CTavGeoRegion::cocoCountsToString(counts)) == counts);
    checkRegion(CTavGeoRegion::fromCocoString(h, w, s));
  } catch (const CTavGeoRegionError&) {
  }
}

}  // namespace

TAVFUZZ_TARGET(fuzz_region_parse) {
  switch (in.byte() % 3) {
    case 0: parseList(in); break;
    case 1: parseCounts(in); break;
    default: parseString(in); break;
  }
}
