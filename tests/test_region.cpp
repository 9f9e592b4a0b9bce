// The run-based region. fuzz_region_algebra compares the algebra, translation,
// morphology and hole filling with the pixel-by-pixel references and checks
// that the components partition the region; fuzz_region_parse checks that the
// parsers refuse or give valid regions that read back. Here: the rest.
#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <unordered_set>
#include <vector>

#include "reference/region_reference.h"

using namespace NTavGeometry;
using tavref::Mask;

TEST(Region, MatchesTheMaskReference) {
  std::mt19937 g(16);
  for (int it = 0; it < 1500; ++it) {
    const int w = static_cast<int>(g() % 14), h = static_cast<int>(g() % 14);
    Mask ma(w, h), clipped(w, h), full(w, h);
    const unsigned density = g() % 11;  // 0 empty, 10 full
    for (auto& p : ma.px) p = g() % 10 < density;
    const CTavGeoRegion a = CTavGeoRegion::fromMask(ma.px.data(), w, h, w);
    const TavRegionBox box{static_cast<int>(g() % 16) - 4, static_cast<int>(g() % 16) - 4,
                           static_cast<int>(g() % 16), static_cast<int>(g() % 16)};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const bool in = x >= box.x && y >= box.y && x < box.x + box.width && y < box.y + box.height;
        clipped.set(x, y, in && ma.at(x, y));
        full.set(x, y, 1);
      }
    EXPECT_EQ(a.clip(box).toMask(), clipped.px);
    EXPECT_EQ(a.complement().toMask(), tavref::maskCombine(full, ma, 2).px);
    EXPECT_EQ(a.toCoco().counts, tavref::maskCoco(ma));
    EXPECT_EQ(CTavGeoRegion::fromPixels(w, h, a.pixels()), a);
    EXPECT_EQ(a.iou(a.clip(box)), a.empty() ? 0.0 : double(a.clip(box).area()) / double(a.area()));
    EXPECT_EQ(a.perimeterPoints().size(), CTavGeoRleCalc::calculatePerimiterPoints(a.toRle()).size());
    for (int conn : {4, 8}) {  // the parts in order of their first pixel
      std::vector<int> label;
      const std::vector<CTavGeoRegion> parts = a.components(conn);
      ASSERT_EQ(static_cast<int>(parts.size()), tavref::maskLabel(ma, conn, &label));
      for (size_t k = 0; k < parts.size(); ++k) {
        std::vector<uint8_t> mk(label.size());
        for (size_t i = 0; i < label.size(); ++i) mk[i] = label[i] == static_cast<int>(k);
        EXPECT_EQ(parts[k].toMask(), mk) << "part " << k << " of " << conn;
      }
    }
    double ref[9];
    tavref::maskMoments(ma, ref);
    const TavRegionMoments m = a.moments();
    const double got[9] = {m.m00, m.m10, m.m01, m.m20, m.m11, m.m02, m.mu20, m.mu11, m.mu02};
    for (int i = 0; i < (ref[0] > 0 ? 9 : 6); ++i)
      EXPECT_NEAR(got[i], ref[i], 1e-9 * (1 + std::fabs(ref[i]))) << i;
    if (ref[0] == 0) {
      EXPECT_TRUE(std::isnan(m.mu20) && std::isnan(a.centroid().x));
      EXPECT_EQ(a.bbox(), (TavRegionBox{0, 0, 0, 0}));
    }
    for (int y = -1; y <= h; ++y)
      for (int x = -1; x <= w; ++x) ASSERT_EQ(a.contains(x, y), ma.at(x, y) != 0);
  }
}

TEST(Region, MomentConventions) {
  std::vector<TavIPoint> diag, row;
  for (int i = 0; i < 10; ++i) diag.push_back({i, i});
  for (int i = 2; i < 7; ++i) row.push_back({i, 3});
  const TavRegionMoments d = CTavGeoRegion::fromPixels(20, 20, diag).moments();
  EXPECT_NEAR(d.orientation, M_PI / 4, 1e-12);  // from +x toward +y
  EXPECT_NEAR(d.eccentricity, 1.0, 1e-12);
  const CTavGeoRegion r = CTavGeoRegion::fromPixels(20, 20, row);
  EXPECT_EQ(r.bbox(), (TavRegionBox{2, 3, 5, 1}));
  EXPECT_EQ(r.centroid().x, 4.0);
  EXPECT_EQ(r.moments().mu20, 10.0);  // (-2)^2 + 1 + 0 + 1 + 4
  EXPECT_EQ(r.moments().nu20, 10.0 / 25.0);
  EXPECT_EQ(r.moments().orientation, 0.0);
  const TavRegionMoments one = CTavGeoRegion::fromPixels(5, 5, {{4, 4}}).moments();
  EXPECT_TRUE(one.eccentricity == 0.0 && one.mu20 == 0.0);
}

TEST(Region, RefusesBadArguments) {
  const CTavGeoRegion a(4, 4), b(4, 5);
  const uint8_t px[4] = {1, 1, 1, 1};
  EXPECT_THROW((void)(a | b), CTavGeoRegionError);
  EXPECT_THROW(a.iou(b), CTavGeoRegionError);
  EXPECT_THROW(a.intersectionArea(b), CTavGeoRegionError);
  EXPECT_THROW(a.components(6), CTavGeoRegionError);
  EXPECT_THROW(a.dilateDisk(-1), CTavGeoRegionError);
  EXPECT_THROW(a.erodeSquare(-1), CTavGeoRegionError);
  EXPECT_THROW(CTavGeoRegion::fromPixels(4, 4, {{4, 0}}), CTavGeoRegionError);
  EXPECT_THROW(CTavGeoRegion::fromMask(px, 4, 1, 3), CTavGeoRegionError);
  EXPECT_THROW(CTavGeoRegion::fromCoco({70000, 70000, {0}}), CTavGeoRegionError);
  EXPECT_THROW(CTavGeoRegion::fromCocoString(6, 10, "oooooooooooooo"), CTavGeoRegionError);
  EXPECT_THROW(CTavGeoRegion::fromRle({5, 5, 0, 0, 0, 0, 2, 0, 1, -1, 1, 0, 1, -1, -1}), CTavGeoRegionError);
}

// COCO counts worked out by hand: deltas from counts[i-2] for i > 2, 5-bit
// groups with continuation and sign bits, column-major pixels.
TEST(Region, CocoStringKnownValue) {
  const std::vector<int64_t> counts = {5, 3, 40, 2, 10};
  EXPECT_EQ(CTavGeoRegion::cocoCountsToString(counts), "53X1ORO");
  EXPECT_EQ(CTavGeoRegion::cocoStringToCounts("53X1ORO"), counts);
  const CTavGeoRegion r = CTavGeoRegion::fromCocoString(6, 10, "53X1ORO");
  EXPECT_EQ(r.runs(), (std::vector<TavRun>{{0, 1, 2}, {0, 8, 9}, {1, 1, 2}, {1, 8, 9}, {5, 0, 1}}));
  EXPECT_EQ(r.toCocoString(), "53X1ORO");
  std::unordered_set<CTavGeoRegion> set{r, CTavGeoRegion::fromCocoString(6, 10, "53X1ORO"),
                                        CTavGeoRegion(10, 6)};
  EXPECT_EQ(set.size(), 2u);  // equal regions hash alike
}

TEST(Region, StridesRunsAndBoxes) {
  const uint8_t rows[3][6] = {
      {0, 7, 7, 0, 9, 9}, {0, 0, 0, 0, 9, 9}, {5, 0, 0, 0, 0, 9}};  // last column: padding
  const CTavGeoRegion r = CTavGeoRegion::fromMask(&rows[0][0], 5, 3, 6);
  EXPECT_EQ(r.runs(), (std::vector<TavRun>{{0, 1, 3}, {0, 4, 5}, {1, 4, 5}, {2, 0, 1}}));
  std::vector<uint8_t> out(3 * 7, 42);
  r.toMask(out.data(), 7, 255);
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 8),
            (std::vector<uint8_t>{0, 255, 255, 0, 255, 42, 42, 0}));
  EXPECT_EQ(out[14], 255);
  // merged, sorted, clipped: row 7 and columns past 5 dropped
  EXPECT_EQ(CTavGeoRegion::fromRuns(5, 3, {{2, 0, 1}, {1, 4, 9}, {0, 4, 5}, {0, 2, 3}, {0, 1, 2}, {7, 0, 5}}),
            r);
  EXPECT_EQ(CTavGeoRegion::fromBox(5, 3, {-2, 1, 4, 9}).runs(), (std::vector<TavRun>{{1, 0, 2}, {2, 0, 2}}));
  EXPECT_EQ(r.contains({{1, 0}, {3, 0}, {0, 2}, {-1, 2}, {4, 3}}), (std::vector<uint8_t>{1, 0, 1, 0, 0}));
  EXPECT_EQ(CTavGeoRegion::full(5, 3).area(), 15);
  EXPECT_TRUE(CTavGeoRegion::full(0, 3).empty());
}
