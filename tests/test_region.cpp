#include <TavGeometry/TavGeometry.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "reference/region_reference.h"

using namespace NTavGeometry;
using tavref::Mask;
using std::size_t;

namespace {

// Random masks of several kinds: empty, full, one pixel, noise of a random
// density, a few rectangles (holes and touching parts come from these).
Mask randomMask(std::mt19937& g, int w, int h) {
  Mask m(w, h);
  if (w == 0 || h == 0) return m;
  const int kind = static_cast<int>(g() % 6);
  auto rnd = [&g](int n) { return static_cast<int>(g() % static_cast<unsigned>(n)); };
  if (kind == 0) return m;
  if (kind == 1) {
    for (auto& p : m.px) p = 1;
  } else if (kind == 2) {
    m.set(rnd(w), rnd(h), 1);
  } else if (kind == 3) {
    const int d = 1 + rnd(9);
    for (auto& p : m.px) p = rnd(10) < d ? 1 : 0;
  } else {
    for (int k = 0, n = 1 + rnd(5); k < n; ++k) {
      const int x0 = rnd(w), y0 = rnd(h), x1 = x0 + rnd(w - x0 + 1), y1 = y0 + rnd(h - y0 + 1);
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) m.set(x, y, kind == 5 && k > 0 ? 0 : 1);
    }
  }
  return m;
}

CTavGeoRegion fromM(const Mask& m) { return CTavGeoRegion::fromMask(m.px.data(), m.w, m.h, m.w); }

Mask toM(const CTavGeoRegion& r) {
  Mask m(r.width(), r.height());
  m.px = r.toMask();
  return m;
}

::testing::AssertionResult valid(const CTavGeoRegion& r) {
  const auto& runs = r.runs();
  for (size_t i = 0; i < runs.size(); ++i) {
    const TavRun& t = runs[i];
    if (t.y < 0 || t.y >= r.height() || t.x0 < 0 || t.x1 > r.width() || t.x1 <= t.x0)
      return ::testing::AssertionFailure() << "run " << i << " outside the canvas or empty";
    if (i > 0 && (runs[i - 1].y > t.y || (runs[i - 1].y == t.y && runs[i - 1].x1 >= t.x0)))
      return ::testing::AssertionFailure() << "run " << i << " not sorted or not merged";
  }
  return ::testing::AssertionSuccess();
}

std::string errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const CTavGeoRegionError& e) {
    return e.what();
  }
  return "<no error>";
}

}  // namespace

// Every operation against the pixel-by-pixel version on random pairs.
TEST(Region, MatchesMaskReference) {
  std::mt19937 g(16);
  for (int it = 0; it < 2000; ++it) {
    const int w = static_cast<int>(g() % 14), h = static_cast<int>(g() % 14);
    const Mask ma = randomMask(g, w, h), mb = randomMask(g, w, h);
    const CTavGeoRegion a = fromM(ma), b = fromM(mb);
    ASSERT_TRUE(valid(a));
    ASSERT_EQ(toM(a).px, ma.px);
    // conversions round trip and match the literal COCO walk
    EXPECT_EQ(CTavGeoRegion::fromRle(a.toRle()), a);
    EXPECT_EQ(a.toCoco().counts, tavref::maskCoco(ma));
    EXPECT_EQ(CTavGeoRegion::fromCoco(a.toCoco()), a);
    EXPECT_EQ(CTavGeoRegion::fromCocoString(h, w, a.toCocoString()), a);
    EXPECT_EQ(CTavGeoRegion::fromPixels(w, h, a.pixels()), a);

    for (int op = 0; op < 4; ++op) {
      const CTavGeoRegion r = op == 0 ? (a | b) : op == 1 ? (a & b) : op == 2 ? (a - b) : (a ^ b);
      ASSERT_TRUE(valid(r));
      EXPECT_EQ(toM(r).px, tavref::maskCombine(ma, mb, op).px) << "op " << op;
    }
    EXPECT_EQ(a | b, b | a);
    EXPECT_EQ(a & b, b & a);
    EXPECT_EQ((a | b).area() + (a & b).area(), a.area() + b.area());
    EXPECT_EQ(a.intersectionArea(b), (a & b).area());
    const int64_t u = (a | b).area();
    EXPECT_EQ(a.iou(b), u == 0 ? 0.0 : static_cast<double>((a & b).area()) / static_cast<double>(u));

    const int dx = static_cast<int>(g() % 31) - 15, dy = static_cast<int>(g() % 31) - 15;
    EXPECT_EQ(toM(a.translate(dx, dy)).px, tavref::maskTranslate(ma, dx, dy).px);
    const TavRegionBox box{dx / 2, dy / 2, static_cast<int>(g() % 16), static_cast<int>(g() % 16)};
    Mask clipped = ma;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (x < box.x || y < box.y || x >= box.x + box.width || y >= box.y + box.height) clipped.set(x, y, 0);
    EXPECT_EQ(toM(a.clip(box)).px, clipped.px);

    const int r = static_cast<int>(g() % 4);
    EXPECT_EQ(toM(a.dilateSquare(r)).px, tavref::maskDilate(ma, r, false).px) << "r " << r;
    EXPECT_EQ(toM(a.erodeSquare(r)).px, tavref::maskErode(ma, r, false).px) << "r " << r;
    EXPECT_EQ(toM(a.dilateDisk(r)).px, tavref::maskDilate(ma, r, true).px) << "r " << r;
    EXPECT_EQ(toM(a.erodeDisk(r)).px, tavref::maskErode(ma, r, true).px) << "r " << r;
    EXPECT_EQ(toM(a.fillHoles()).px, tavref::maskFillHoles(ma).px);

    for (int conn : {4, 8}) {
      std::vector<int> label;
      const int n = tavref::maskLabel(ma, conn, &label);
      const std::vector<CTavGeoRegion> parts = a.components(conn);
      ASSERT_EQ(static_cast<int>(parts.size()), n);
      CTavGeoRegion all(w, h);
      for (int k = 0; k < n; ++k) {
        Mask mk(w, h);
        for (size_t i = 0; i < label.size(); ++i) mk.px[i] = label[i] == k ? 1 : 0;
        EXPECT_EQ(toM(parts[static_cast<size_t>(k)]).px, mk.px) << "part " << k << " of " << conn;
        EXPECT_EQ((all & parts[static_cast<size_t>(k)]).area(), 0);  // disjoint
        all = all | parts[static_cast<size_t>(k)];
      }
      EXPECT_EQ(all, a);
    }

    double ref[9];
    tavref::maskMoments(ma, ref);
    const TavRegionMoments m = a.moments();
    const double got[9] = {m.m00, m.m10, m.m01, m.m20, m.m11, m.m02, m.mu20, m.mu11, m.mu02};
    for (int i = 0; i < 9; ++i)
      if (ref[0] > 0 || i < 6) {
        EXPECT_NEAR(got[i], ref[i], 1e-9 * (1 + std::fabs(ref[i]))) << "moment " << i;
      }
    if (ref[0] == 0) {
      EXPECT_TRUE(std::isnan(m.mu20) && std::isnan(a.centroid().x));
      EXPECT_EQ(a.bbox(), (TavRegionBox{0, 0, 0, 0}));
    }
    for (int y = -1; y <= h; ++y)
      for (int x = -1; x <= w; ++x) ASSERT_EQ(a.contains(x, y), ma.at(x, y) != 0);
  }
}

// Orientation sense, eccentricity, bbox and normalised moments on shapes with
// known values.
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
  EXPECT_EQ(r.moments().mu20, 10.0);           // (-2)^2 + 1 + 0 + 1 + 4
  EXPECT_EQ(r.moments().nu20, 10.0 / 25.0);
  EXPECT_EQ(r.moments().orientation, 0.0);
  const TavRegionMoments one = CTavGeoRegion::fromPixels(5, 5, {{4, 4}}).moments();
  EXPECT_EQ(one.eccentricity, 0.0);
  EXPECT_EQ(one.mu20, 0.0);
}

// Calculator lists, negative columns and rows above 0 included, read by
// fromRle and region() equal their runs painted and clipped to the canvas.
TEST(Region, CalculatorListsAndRegion) {
  CTavGeoRleCalcDisk disk;
  CTavGeoRleCalcTorus torus;
  CTavGeoRleCalcPolygon poly;
  std::mt19937 g(7);
  for (int it = 0; it < 300; ++it) {
    const double cx = static_cast<int>(g() % 40) - 10, cy = static_cast<int>(g() % 40) - 10;
    const TavPoint pts[3] = {{cx, cy}, {cx + 1 + g() % 12, cy}, {cx + g() % 6, cy}};
    TavPoint star[7];
    for (auto& p : star) p = TavPoint{static_cast<double>(g() % 50) - 15, static_cast<double>(g() % 50) - 15};
    CTavGeoRleCalc* calcs[3] = {&disk, &torus, &poly};
    calcs[0]->calculate(30, 25, pts, 2);
    calcs[1]->calculate(30, 25, pts, 3);
    calcs[2]->calculate(30, 25, star, 7);
    for (CTavGeoRleCalc* c : calcs) {
      const std::vector<int>& l = c->rle();
      Mask m(30, 25);
      const CTavGeoRegion reg = c->region();
      ASSERT_TRUE(valid(reg));
      // the list reader agrees where no record has a later run at column -1
      if (c == &disk) {
        EXPECT_EQ(CTavGeoRegion::fromRle(l), reg);
      }
      // paint the list's runs by the calculator's record structure
      size_t i = 6;
      const std::vector<int>& counts = c->recordRuns();
      for (size_t k = 0; k < counts.size(); ++k) {
        const int y = l[i++];
        for (int j = 0; j < counts[k]; ++j, i += 2)
          for (int64_t x = l[i]; x <= int64_t{l[i]} + l[i + 1]; ++x)
            if (x >= 0 && x < 30 && y >= 0 && y < 25) m.set(static_cast<int>(x), y, 1);
        ASSERT_EQ(l[i++], -1);
      }
      ASSERT_EQ(i + 1, l.size());
      EXPECT_EQ(toM(reg).px, m.px);
    }
  }
}

// Malformed input is refused with a message naming the fault.
TEST(Region, RefusesMalformedInput) {
  using L = std::vector<int>;
  const struct {
    L list;
    const char* message;
  } lists[] = {
      {{5, 5, 0, 0, 0, 0}, "shorter"},
      {{-5, 5, 0, 0, 0, 0, -1}, "negative canvas"},
      {{5, 5, 0, 0, 0, 0, 1, 0, 1, -1, 2}, "final -1"},
      {{5, 5, 0, 0, 0, 0, 2, 0, 1, -1, 1, 0, 1, -1, -1}, "not ascending"},
      {{5, 5, 0, 0, 0, 0, 1, -1, -1, -1}, "no run"},
      {{5, 5, 0, 0, 0, 0, 1, 0, -3, -1, -1}, "negative extent"},
      {{5, 5, 0, 0, 0, 0, 1, 0, 1, 2, -1}, "cut short"},
      {{5, 5, 0, 0, 0, 0, 1, 0, 1, -1}, "no terminator"},
  };
  for (const auto& c : lists)
    EXPECT_NE(errorOf([&] { CTavGeoRegion::fromRle(c.list); }).find(c.message), std::string::npos) << c.message;

  const struct {
    TavCocoRle rle;
    const char* message;
  } cocos[] = {
      {{2, 2, {1, -1, 4}}, "negative"},
      {{2, 2, {1, 2}}, "not height * width"},
      {{2, 2, {3, 2}}, "more than"},
      {{2, 2, {}}, "no counts"},
      {{-2, 2, {0}}, "negative canvas"},
      {{70000, 70000, {0}}, "exceeds the limits"},
  };
  for (const auto& c : cocos)
    EXPECT_NE(errorOf([&] { CTavGeoRegion::fromCoco(c.rle); }).find(c.message), std::string::npos) << c.message;
  const struct {
    const char* s;
    const char* message;
  } strings[] = {{"5 3", "bad character"}, {"53X", "cut off"}, {"oooooooooooooo", "more than 13"},
                 {"5O", "negative"}};
  for (const auto& c : strings)
    EXPECT_NE(errorOf([&] { CTavGeoRegion::fromCocoString(6, 10, c.s); }).find(c.message), std::string::npos)
        << c.message;

  const CTavGeoRegion a(4, 4), b(4, 5);
  EXPECT_NE(errorOf([&] { (void)(a | b); }).find("canvases differ"), std::string::npos);
  EXPECT_NE(errorOf([&] { a.iou(b); }).find("canvases differ"), std::string::npos);
  EXPECT_NE(errorOf([&] { a.components(6); }).find("4 or 8"), std::string::npos);
  EXPECT_NE(errorOf([&] { a.dilateDisk(-1); }).find("negative radius"), std::string::npos);
  EXPECT_NE(errorOf([&] { CTavGeoRegion::fromPixels(4, 4, {{4, 0}}); }).find("outside"), std::string::npos);
  uint8_t px[4] = {1, 1, 1, 1};
  EXPECT_NE(errorOf([&] { CTavGeoRegion::fromMask(px, 4, 1, 3); }).find("stride"), std::string::npos);
}

// The compressed COCO string of counts worked out by hand: deltas from
// counts[i-2] for i > 2, 5-bit groups with continuation and sign bits.
TEST(Region, CocoStringKnownValue) {
  const std::vector<int64_t> counts = {5, 3, 40, 2, 10};
  EXPECT_EQ(CTavGeoRegion::cocoCountsToString(counts), "53X1ORO");
  EXPECT_EQ(CTavGeoRegion::cocoStringToCounts("53X1ORO"), counts);
  const CTavGeoRegion r = CTavGeoRegion::fromCocoString(6, 10, "53X1ORO");
  EXPECT_EQ(r.area(), 5);
  EXPECT_TRUE(r.contains(0, 5) && r.contains(1, 0) && r.contains(1, 1) && !r.contains(1, 2));
  EXPECT_TRUE(r.contains(8, 0) && r.contains(8, 1));  // pixels 48, 49
  EXPECT_EQ(r.toCocoString(), "53X1ORO");
  // equal regions hash alike; the unordered set sees two distinct regions
  std::unordered_set<CTavGeoRegion> set{r, CTavGeoRegion::fromCocoString(6, 10, "53X1ORO"), CTavGeoRegion(10, 6)};
  EXPECT_EQ(set.size(), 2u);
}

// Strided masks in and out, runs given unsorted and overlapping, boxes and
// the many-point contains.
TEST(Region, StridesRunsAndBoxes) {
  const uint8_t rows[3][6] = {{0, 7, 7, 0, 9, 9}, {0, 0, 0, 0, 9, 9}, {5, 0, 0, 0, 0, 9}};  // last column: padding
  const CTavGeoRegion r = CTavGeoRegion::fromMask(&rows[0][0], 5, 3, 6);
  EXPECT_EQ(r.runs(), (std::vector<TavRun>{{0, 1, 3}, {0, 4, 5}, {1, 4, 5}, {2, 0, 1}}));
  std::vector<uint8_t> out(3 * 7, 42);
  r.toMask(out.data(), 7, 255);
  EXPECT_EQ(out[7 * 0 + 1], 255);
  EXPECT_EQ(out[7 * 0 + 3], 0);
  EXPECT_EQ(out[7 * 0 + 5], 42);  // padding untouched
  EXPECT_EQ(out[7 * 2 + 0], 255);
  const CTavGeoRegion u = CTavGeoRegion::fromRuns(5, 3, {{2, 0, 1}, {1, 4, 9}, {0, 4, 5}, {0, 2, 3}, {0, 1, 2}, {7, 0, 5}});
  EXPECT_EQ(u, r);  // merged, sorted, clipped (row 7 and columns past 5 dropped)
  EXPECT_EQ(CTavGeoRegion::fromBox(5, 3, {-2, 1, 4, 9}).runs(), (std::vector<TavRun>{{1, 0, 2}, {2, 0, 2}}));
  EXPECT_EQ(r.contains({{1, 0}, {3, 0}, {0, 2}, {-1, 2}, {4, 3}}), (std::vector<uint8_t>{1, 0, 1, 0, 0}));
  EXPECT_EQ(CTavGeoRegion::full(5, 3).area(), 15);
  EXPECT_TRUE(CTavGeoRegion::full(0, 3).empty());
}
