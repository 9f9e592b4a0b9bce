// Region algebra on pairs of small regions: every operation is compared with
// the pixel-by-pixel reference, translation and clipping take any int, and
// the components must partition the region.
// needs: TavGeoRegion.h:CTavGeoRegion
// reference: region_reference.cpp
#include <cstring>

#include "FuzzInput.h"
#include "reference/region_reference.h"

using tavref::Mask;

namespace {

std::vector<uint8_t> px(const CTavGeoRegion& r) { return out(r).toMask(); }

// Paints r into rows padded (their padding kept) or not: every byte as
// contains() says.
void checkPainted(const CTavGeoRegion& r, uint8_t value) {
  const int w = r.width(), h = r.height(), stride = w + (w + h) % 2;
  std::vector<uint8_t> painted(static_cast<size_t>(stride) * h, 9);
  r.toMask(painted.data(), stride, value);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < stride; ++x)
      FUZZ_CHECK(painted[static_cast<size_t>(y) * stride + x] == (x == w ? 9 : r.contains(x, y) ? value : 0));
  if (value != 0) FUZZ_CHECK(CTavGeoRegion::fromMask(painted.data(), w, h, stride) == r);  // and read back
}

Mask randomMask(FuzzInput& in, int w, int h) {
  Mask m(w, h);
  if (w == 0 || h == 0) return m;
  const int kind = in.byte() % 3;
  if (kind == 0) {  // pixel bits
    for (auto& p : m.px) p = in.flag() ? 1 : 0;
    return m;
  }
  for (int k = 0, n = in.count(6); k < n; ++k) {  // rectangles, set or cleared
    const int x0 = in.byte() % w, y0 = in.byte() % h;
    const int x1 = x0 + in.byte() % (w - x0 + 1), y1 = y0 + in.byte() % (h - y0 + 1);
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) m.set(x, y, (kind == 2 && k > 0) ? 0 : 1);
  }
  return m;
}

}  // namespace

TAVFUZZ_TARGET(fuzz_region_algebra) {
  family("region");
  const int w = in.count(24), h = in.count(24);
  const Mask ma = randomMask(in, w, h), mb = randomMask(in, w, h);
  const CTavGeoRegion a = CTavGeoRegion::fromMask(ma.px.data(), w, h, w);
  const CTavGeoRegion b = CTavGeoRegion::fromMask(mb.px.data(), w, h, w);
  std::vector<uint8_t> loud(ma.px);  // any nonzero byte is inside
  for (size_t i = 0; i < loud.size(); ++i) loud[i] = loud[i] ? uint8_t(1 + i * 97 % 255) : 0;
  FUZZ_CHECK(px(a) == ma.px && CTavGeoRegion::fromMask(loud.data(), w, h, w) == a);
  const CTavGeoRegion combined[4] = {a | b, a & b, a - b, a ^ b};
  for (int op = 0; op < 4; ++op)  // the pixels, and the runs merged (fromRuns merges them, drops empty ones)
    FUZZ_CHECK(px(combined[op]) == tavref::maskCombine(ma, mb, op).px &&
               CTavGeoRegion::fromRuns(w, h, combined[op].runs()) == combined[op]);
  FUZZ_CHECK(combined[0].area() + combined[1].area() == a.area() + b.area());
  for (int op = 0; op < 2; ++op)  // union and intersection give back the room they did not use
    FUZZ_CHECK(combined[op].runs().capacity() <= 4 * combined[op].runs().size() + 3);
  FUZZ_CHECK(out(a.intersectionArea(b)) == combined[1].area());
  FUZZ_CHECK(b.iou(a) == (combined[0].empty() ? 0.0 : double(combined[1].area()) / double(combined[0].area())));
  const int dx = in.anyInt(), dy = in.anyInt();
  const CTavGeoRegion t = out(a.translate(dx, dy));
  if (dx > -64 && dx < 64 && dy > -64 && dy < 64) FUZZ_CHECK(px(t) == tavref::maskTranslate(ma, dx, dy).px);
  const TavRegionBox box{in.anyInt(), in.anyInt(), in.anyInt(), in.anyInt()};
  const CTavGeoRegion c = out(a.clip(box));
  const TavRegionBox near{box.x % 16 - 4, box.y % 16 - 4, box.width % 16, box.height % 16};  // edges on the runs
  FUZZ_CHECK(c == (a & CTavGeoRegion::fromBox(w, h, box)) && a.clip(near) == (a & CTavGeoRegion::fromBox(w, h, near)));
  if (near.width >= 0 && near.height >= 0) {  // the box as a canvas of its own, its corner the origin
    tavref::Mask cut(near.width, near.height);
    for (int y = 0; y < near.height; ++y)
      for (int x = 0; x < near.width; ++x) cut.set(x, y, ma.at(near.x + x, near.y + y));
    FUZZ_CHECK(px(a.crop(near)) == cut.px);
  }
  // Every entry of the matrix is its pair's iou, the same double (boxes apart, boxes sharing some rows).
  const CTavGeoRegion none(w, h);
  const std::vector<const CTavGeoRegion*> firsts = {&a, &b, &t, &c, &none}, seconds = {&b, &t, &combined[1]};
  const std::vector<double> ious = CTavGeoRegion::iouMatrix(firsts, seconds);
  // With crowd flags, a crowd entry is the share of the first region in the second.
  const std::vector<bool> crowd = {true, false, true};
  const std::vector<double> crowds = CTavGeoRegion::iouMatrix(firsts, seconds, crowd);
  for (size_t i = 0; i < firsts.size(); ++i) {
    for (size_t j = 0; j < seconds.size(); ++j) {
      FUZZ_CHECK(ious[i * seconds.size() + j] == firsts[i]->iou(*seconds[j]));
      const int64_t area = firsts[i]->area();
      const double share = area == 0 ? 0.0 : double(firsts[i]->intersectionArea(*seconds[j])) / double(area);
      FUZZ_CHECK(crowds[i * seconds.size() + j] == (crowd[j] ? share : ious[i * seconds.size() + j]));
    }
  }
  // The union of many as the fold of | it replaces, of one to six regions: with five, a is left over in
  // the first two rounds, with six the union of a and the intersection in the second.
  const std::vector<const CTavGeoRegion*> many = {&none, &b, &t, &c, &a, &combined[1]};
  CTavGeoRegion fold = none;
  for (size_t n = 1; n <= many.size(); ++n) {
    fold = fold | *many[n - 1];
    FUZZ_CHECK(CTavGeoRegion::unionOf(std::vector<const CTavGeoRegion*>(many.begin(), many.begin() + n)) == fold);
  }
  const int rad = in.count(5);
  const bool disk = in.flag();
  FUZZ_CHECK(px(disk ? a.dilateDisk(rad) : a.dilateSquare(rad)) == tavref::maskDilate(ma, rad, disk).px);
  FUZZ_CHECK(px(disk ? a.erodeDisk(rad) : a.erodeSquare(rad)) == tavref::maskErode(ma, rad, disk).px);
  // Closing and opening erode with the outside set: the closing holds a, the opening lies in it.
  const tavref::Mask closed = tavref::maskErodeInsideOut(tavref::maskDilate(ma, rad, disk), rad, disk);
  const CTavGeoRegion closing = disk ? a.closingDisk(rad) : a.closingSquare(rad);
  FUZZ_CHECK(px(closing) == closed.px && (a - closing).empty());
  const CTavGeoRegion opening = disk ? a.openingDisk(rad) : a.openingSquare(rad);
  FUZZ_CHECK(px(opening) == tavref::maskDilate(tavref::maskErodeInsideOut(ma, rad, disk), rad, disk).px &&
             (opening - a).empty());
  FUZZ_CHECK(px(a.fillHoles()) == tavref::maskFillHoles(ma).px);
  tavref::Mask mt(h, w);  // a's mask mirrored about the diagonal
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) mt.set(y, x, ma.at(x, y));
  FUZZ_CHECK(px(a.transposed()) == mt.px && a.transposed().width() == h);
  const int conn = in.flag() ? 8 : 4;
  std::vector<int> label;
  const std::vector<CTavGeoRegion> parts = out(a.components(conn));
  FUZZ_CHECK(static_cast<int>(parts.size()) == tavref::maskLabel(ma, conn, &label) &&
             a.componentCount(conn) == static_cast<int>(parts.size()));
  std::vector<int> seen(ma.px.size(), -1);  // the parts, in the order of their first pixel
  int64_t total = 0;
  for (size_t k = 0; k < parts.size(); ++k) {
    total += parts[k].area();
    for (const TavIPoint& p : parts[k].pixels()) seen[size_t(p.y) * w + p.x] = int(k);
  }
  FUZZ_CHECK(seen == label && total == a.area());
  // Each part's measurements without making it: the part's own values, to the bit (a part is never empty).
  const std::vector<TavRegionPartStats> stats = a.componentStats(conn);
  FUZZ_CHECK(stats.size() == parts.size());
  const auto same = [](const TavRegionMoments& p, const TavRegionMoments& q) {
    return std::memcmp(&p, &q, sizeof p) == 0;
  };
  for (size_t k = 0; k < std::min(stats.size(), parts.size()); ++k) {
    const TavPoint c = parts[k].centroid();
    FUZZ_CHECK(stats[k].area == parts[k].area() && stats[k].box == parts[k].bbox() && stats[k].centroid.x == c.x &&
               stats[k].centroid.y == c.y && same(stats[k].moments, parts[k].moments()));
  }
  std::vector<int32_t> image(ma.px.size() + 1, 7);  // one element past the rows stays
  FUZZ_CHECK(a.labelImage(image.data(), w, conn) == int(parts.size()) && image.back() == 7);
  for (size_t i = 0; i < label.size(); ++i) FUZZ_CHECK(image[i] == label[i] + 1);
  // Parts under a threshold removed: the area of one part, or one more (that part kept or removed too).
  std::vector<int64_t> partArea(parts.size(), 0);
  for (const int l : label)
    if (l >= 0) ++partArea[size_t(l)];
  const uint64_t pick = a.hash();
  const int64_t minArea = parts.empty() ? int64_t(pick % 3) : partArea[pick % parts.size()] + int64_t(pick >> 40 & 1);
  tavref::Mask kept = ma;
  for (size_t i = 0; i < kept.px.size(); ++i)
    if (label[i] >= 0 && partArea[size_t(label[i])] < minArea) kept.px[i] = 0;
  FUZZ_CHECK(px(a.removeSmallParts(minArea, conn)) == kept.px);

  // Measures and the other constructors and conversions.
  double ref[9];
  tavref::maskMoments(ma, ref);
  const TavRegionMoments m = a.moments();
  out(m.m00, m.m10, m.m01, m.m20, m.m11, m.m02, m.mu20, m.mu11, m.mu02, m.nu20, m.nu11, m.nu02,
      m.orientation);
  out(m.eccentricity, a.centroid(), a.iou(b), a.hash(), a.runCount(), a.perimeterPoints());
  FUZZ_CHECK(sameAll(a.perimeterPoints(), tavref::maskPerimeter(ma)));
  FUZZ_CHECK(m.m00 == ref[0] && m.m10 == ref[1] && m.m01 == ref[2] && m.m20 == ref[3] && m.m11 == ref[4] &&
             m.m02 == ref[5]);
  const double mu[3] = {m.mu20, m.mu11, m.mu02},
               tol = 1e-9 * (1 + ref[3] + ref[5]);  // central: no pixel, NaN
  for (int i = 0; i < 3; ++i)
    FUZZ_CHECK(ref[0] > 0 ? std::fabs(mu[i] - ref[6 + i]) <= tol : std::isnan(mu[i]));
  FUZZ_CHECK(ref[0] > 0 || (std::isnan(a.centroid().x) && a.bbox() == TavRegionBox{0, 0, 0, 0}));
  FUZZ_CHECK(a.toCoco().counts == tavref::maskCoco(ma) && CTavGeoRegion::fromCoco(a.toCoco()) == a &&
             (a == b) == (ma.px == mb.px));
  FUZZ_CHECK((out(a.complement()) | a) == CTavGeoRegion::full(w, h) && (a.complement() & a).empty());
  FUZZ_CHECK(CTavGeoRegion::fromPixels(w, h, out(a.pixels())) == a &&
             CTavGeoRegion::fromRuns(w, h, a.runs()) == a);
  // A default region takes a copy; temporaries, const ones too, give their runs by value.
  CTavGeoRegion copy;
  FUZZ_CHECK(copy.width() == 0 && copy.empty() && (copy = b) == b && !(copy != b) && (copy != a) != (a == b));
  FUZZ_CHECK(CTavGeoRegion(a).runs() == a.runs() && std::hash<CTavGeoRegion>()(a) == a.hash() &&
             std::move(static_cast<const CTavGeoRegion&>(CTavGeoRegion(b))).runs() == b.runs());
  FUZZ_CHECK((a.bbox() != b.bbox()) != (a.bbox() == b.bbox()) &&
             (a.empty() || (a.runs().front() != a.runs().back()) == (a.runCount() > 1)));
  const TavRegionBox bb = a.bbox();
  out(bb.x, bb.y, bb.width, bb.height);
  FUZZ_CHECK(a.empty() || CTavGeoRegion::fromBox(w, h, bb).area() >= a.area());
  std::vector<TavIPoint> probes;
  for (int y = -1; y <= h; ++y) probes.push_back(TavIPoint{in.count(w + 2) - 1, y});
  const std::vector<uint8_t> inside = out(a.contains(probes));
  for (size_t i = 0; i < probes.size(); ++i) FUZZ_CHECK(inside[i] == ma.at(probes[i].x, probes[i].y));
  if (!a.empty()) {  // the probes above start and end outside: the first and last point inside, too
    const TavRun &f = a.runs().front(), &l = a.runs().back();
    FUZZ_CHECK(a.contains({{f.x0, f.y}, {l.x1 - 1, l.y}}) == std::vector<uint8_t>({1, 1}));
  }
  for (int y = 0; y <= h; ++y)
    for (int x = 0; x <= w; ++x) FUZZ_CHECK(a.contains(x, y) == (x < w && y < h && ma.at(x, y)));
  checkPainted(a, 200);

  // Morphology on wider rows: a's pixels become runs of `len` columns every
  // `f` columns from `off` on (so rows span up to 25 words, densely or
  // sparsely), checked against the union (intersection) of its translations
  // by the element's offsets; the translation clips, which is the empty border.
  // The spreading comes from a's hash, since the input is often used up here.
  const uint64_t hash = a.hash();
  const int f = 1 << (hash % 7), len = (hash >> 8) % 2 ? f : std::max(1, f >> ((hash >> 9) % 7)),
            off = static_cast<int>((hash >> 16) % 65);
  const int sw = w * f + off;
  std::vector<TavRun> spread;
  for (const TavRun& run : a.runs())
    for (int x = run.x0; x < run.x1; ++x) spread.push_back(TavRun{run.y, off + x * f, off + x * f + len});
  const CTavGeoRegion s = CTavGeoRegion::fromRuns(sw, h, spread);
  CTavGeoRegion grown(sw, h), shrunk = CTavGeoRegion::full(sw, h);
  for (int ey = -rad; ey <= rad; ++ey)
    for (int ex = -rad; ex <= rad; ++ex)
      if (!disk || ex * ex + ey * ey <= rad * rad) {
        grown = grown | s.translate(ex, ey);
        shrunk = shrunk & s.translate(-ex, -ey);
      }
  checkPainted(s, static_cast<uint8_t>(hash >> 24));
  FUZZ_CHECK((disk ? s.dilateDisk(rad) : s.dilateSquare(rad)) == grown);
  FUZZ_CHECK((disk ? s.erodeDisk(rad) : s.erodeSquare(rad)) == shrunk);

  // Long elements, which may go by the columns: a's pixels laid out down a canvas 1 to 4 columns wide
  // and up to 2,400 rows tall, one every `gap` rows, dilated by a radius of 12 to 51 (translations
  // by more than the width are empty); and a scaled by 5 on a 120 x 120 canvas, dilated, and its
  // complement (long runs) eroded, by 12 or 13, against the rows' translations stacked by the
  // columns'. One input in eight, as the references take most of an input's time.
  if ((hash >> 44) % 8 == 0) {
    const int tw = 1 + static_cast<int>((hash >> 32) % 4), gap = 1 + static_cast<int>((hash >> 36) % 4);
    const int th = (w * h + tw - 1) / tw * gap + 1, lr = 12 + static_cast<int>((hash >> 48) % 40);
    std::vector<TavIPoint> laid;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (ma.at(x, y)) laid.push_back({(y * w + x) % tw, (y * w + x) / tw * gap});
    const CTavGeoRegion tall = CTavGeoRegion::fromPixels(tw, th, laid);
    CTavGeoRegion tallGrown(tw, th);
    for (int ey = -lr; ey <= lr; ++ey)
      for (int ex = 1 - tw; ex < tw; ++ex)
        if (!disk || ex * ex + ey * ey <= lr * lr) tallGrown = tallGrown | tall.translate(ex, ey);
    FUZZ_CHECK((disk ? tall.dilateDisk(lr) : tall.dilateSquare(lr)) == tallGrown);
    std::vector<TavRun> scaled;
    for (const TavRun& run : a.runs())
      for (int k = 0; k < 5; ++k) scaled.push_back(TavRun{5 * run.y + k, 5 * run.x0, 5 * run.x1});
    std::sort(scaled.begin(), scaled.end(), [](const TavRun& p, const TavRun& q) {
      return p.y != q.y ? p.y < q.y : p.x0 < q.x0;
    });
    const CTavGeoRegion big = CTavGeoRegion::fromRuns(120, 120, scaled), gaps = big.complement();
    const int sr = 12 + static_cast<int>((hash >> 40) % 2);
    CTavGeoRegion rowsGrown(120, 120), rowsShrunk = CTavGeoRegion::full(120, 120);
    for (int e = -sr; e <= sr; ++e) {
      rowsGrown = rowsGrown | big.translate(e, 0);
      rowsShrunk = rowsShrunk & gaps.translate(e, 0);
    }
    CTavGeoRegion bigGrown(120, 120), bigShrunk = CTavGeoRegion::full(120, 120);
    for (int e = -sr; e <= sr; ++e) {
      bigGrown = bigGrown | rowsGrown.translate(0, e);
      bigShrunk = bigShrunk & rowsShrunk.translate(0, e);
    }
    FUZZ_CHECK(big.dilateSquare(sr) == bigGrown && gaps.erodeSquare(sr) == bigShrunk);
  }

  // a and b with every column g wide, at the origin and moved by (mx, my) on a canvas of more than 2^31
  // pixels: there the moments take the 128-bit sums and the overlaps the walk of runs one at a time.
  // The central moments are the same doubles (their numerators are exact integers that the move leaves
  // as they are), the raw ones the moved sums rounded once, the overlaps g times those of a and b.
  const int g = 1 << in.byte() % 11, bigH = 256 << in.byte() % 9;
  const int bigW = std::min(kRegionMaxSide - 1, INT32_MAX / bigH * 2);
  const int mx = static_cast<int>(in.u32() % uint32_t(bigW - w * g + 1)),
            my = static_cast<int>(in.u32() % uint32_t(bigH - h + 1));
  const auto widen = [&](const CTavGeoRegion& r, int dx, int dy, int cw, int ch) {
    std::vector<TavRun> wide;
    for (const TavRun& run : r.runs()) wide.push_back(TavRun{run.y + dy, dx + run.x0 * g, dx + run.x1 * g});
    return CTavGeoRegion::fromRuns(cw, ch, wide);
  };
  const auto moved = [&](const TavRegionMoments& o, const TavRegionMoments& f) {
#if defined(__SIZEOF_INT128__)
    using U = unsigned __int128;
    const U n = U(o.m00), sx = U(o.m10), sy = U(o.m01), x = U(mx), y = U(my);
    const double rx[3] = {double(U(o.m20) + 2 * x * sx + x * x * n),
                          double(U(o.m11) + y * sx + x * sy + x * y * n),
                          double(U(o.m02) + 2 * y * sy + y * y * n)};
    const bool raw = f.m10 == double(sx + x * n) && f.m01 == double(sy + y * n) && f.m20 == rx[0] &&
                     f.m11 == rx[1] && f.m02 == rx[2];
#else
    const bool raw = true;  // the moved sums need more than 64 bits: checked where the compiler has them
#endif
    return f.m00 == o.m00 && raw && sameValue(f.mu20, o.mu20) && sameValue(f.mu11, o.mu11) &&
           sameValue(f.mu02, o.mu02) && sameValue(f.orientation, o.orientation) &&
           sameValue(f.eccentricity, o.eccentricity) && sameValue(f.nu11, o.nu11);
  };
  const CTavGeoRegion wa = widen(a, 0, 0, w * g, h), fa = widen(a, mx, my, bigW, bigH),
                      fb = widen(b, mx, my, bigW, bigH);
  FUZZ_CHECK(moved(wa.moments(), out(fa.moments())));
  FUZZ_CHECK(fa.intersectionArea(fb) == g * combined[1].area() && fa.iou(fb) == b.iou(a));
  const std::vector<TavRegionPartStats> ws = wa.componentStats(conn), fs = fa.componentStats(conn);
  FUZZ_CHECK(ws.size() == fs.size() && ws.size() == parts.size());
  for (size_t k = 0; k < std::min(ws.size(), fs.size()); ++k) {
    const TavRegionBox& o = ws[k].box;
    FUZZ_CHECK(fs[k].area == ws[k].area && moved(ws[k].moments, fs[k].moments) &&
               fs[k].box == (TavRegionBox{o.x + mx, o.y + my, o.width, o.height}));
  }

  // Arguments out of range are refused with a region error, whichever call takes them.
  const int bad = in.byte() % 8, wrong = in.anyInt();
  uint8_t cell[4] = {1, 1, 1, 1};
  int32_t labels[4];
  bool refused = false;
  try {
    if (bad == 0) (void)(a | CTavGeoRegion(w, h + 1 + in.count(8)));
    if (bad == 1) (void)a.components(wrong == 4 || wrong == 8 ? wrong + 1 : wrong);
    if (bad == 2) (void)a.dilateDisk(wrong > kRegionMaxSide ? wrong : wrong < 0 ? wrong : kRegionMaxSide + 1);
    if (bad == 3) (void)CTavGeoRegion::fromMask(cell, w, h, std::min(wrong, w - 1));
    if (bad == 4) a.toMask(cell, std::min(wrong, w - 1));
    if (bad == 5) (void)a.labelImage(labels, std::min(wrong, w - 1), conn);
    if (bad == 6) (void)CTavGeoRegion::iouMatrix(firsts, seconds, std::vector<bool>(4 + in.count(3)));
    if (bad == 7) (void)CTavGeoRegion::fromPixels(w, h, {TavIPoint{in.count(w) - 1, wrong % 2 ? h : -1}});
  } catch (const CTavGeoRegionError& e) {
    refused = out(std::string(e.what())).find("region") == 0;
  }
  FUZZ_CHECK(refused);
}
