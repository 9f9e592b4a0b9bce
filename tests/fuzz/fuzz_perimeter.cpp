// Perimeter points of run-length lists: lists written by the calculators,
// then mutated while staying well-formed (records dropped or inserted, runs
// moved, grown, duplicated, reordered, rows spread apart), compared with the
// pixel-by-pixel walk. Lists with negative words are read from an exactly
// sized buffer, so that a read past the list is caught. The vector form is
// also fed any words at all, of any length.
// needs: TavGeoRleCalc.h:CTavGeoRleCalcPolygon
// reference: perimeter_reference.cpp
#include <TavGeometry/TavGeoRleCalc.h>

#include <memory>

#include "FuzzInput.h"
#include "reference/perimeter_reference.h"

using namespace NTavGeometry;
using tavfuzz::FuzzInput;

namespace {

struct Record {
  int row;
  std::vector<std::pair<int, int>> runs;  // (start, extent)
};

// Parses a list whose words after the header are all >= -1 (walkable).
bool parse(const std::vector<int>& l, std::vector<int>* header, std::vector<Record>* records) {
  if (l.size() < 7) return false;
  header->assign(l.begin(), l.begin() + 6);
  size_t i = 6;
  while (i < l.size() && l[i] >= 0) {
    Record r;
    r.row = l[i++];
    while (i + 1 < l.size() && l[i] >= 0) {
      r.runs.emplace_back(l[i], l[i + 1]);
      i += 2;
    }
    if (i >= l.size() || l[i] != -1) return false;
    ++i;
    records->push_back(r);
  }
  return i == l.size() - 1 && l[i] == -1;
}

std::vector<int> serialize(const std::vector<int>& header, const std::vector<Record>& records) {
  std::vector<int> l = header;
  for (const Record& r : records) {
    if (r.runs.empty()) continue;
    l.push_back(r.row);
    for (const auto& run : r.runs) {
      l.push_back(run.first);
      l.push_back(run.second);
    }
    l.push_back(-1);
  }
  l.push_back(-1);
  return l;
}

bool samePoints(const std::vector<TavIPoint>& a, const std::vector<TavIPoint>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].x != b[i].x || a[i].y != b[i].y) return false;
  return true;
}

std::vector<int> fromCalculator(FuzzInput& in) {
  const uint8_t kind = in.byte() % 3;
  std::vector<TavPoint> pts;
  if (kind == 2) {
    pts.resize(static_cast<size_t>(1 + in.count(20)));
    for (TavPoint& p : pts) p = TavPoint(in.pixel(200), in.pixel(200));
    CTavGeoRleCalcPolygon c;
    c.calculate(256, 256, pts.data(), static_cast<int>(pts.size()));
    return c.rle();
  }
  // Both circles inside the first quadrant: the list has no negative word.
  const double r1 = in.pixel(60);
  const double r2 = in.pixel(60);
  const double room = (r1 > r2 ? r1 : r2) + 1;
  const double cx = room + in.pixel(100);
  const double cy = room + in.pixel(100);
  const TavPoint centre(cx, cy);
  pts = {centre, TavPoint(cx + r1, cy), TavPoint(cx, cy + r2)};
  if (kind == 0) {
    CTavGeoRleCalcDisk c;
    c.calculate(256, 256, pts.data(), 2);
    return c.rle();
  }
  CTavGeoRleCalcTorus c;
  c.calculate(256, 256, pts.data(), 3);
  return c.rle();
}

void mutate(FuzzInput& in, std::vector<int>* header, std::vector<Record>* recs) {
  const int steps = in.count(8);
  for (int s = 0; s < steps; ++s) {
    const uint8_t op = in.byte();
    const size_t n = recs->size();
    const size_t at = n == 0 ? 0 : in.byte() % n;
    switch (op % 8) {
      case 0:  // drop a record
        if (n > 0) recs->erase(recs->begin() + static_cast<long>(at));
        break;
      case 1: {  // insert a record in a gap between rows, or after the last
        const int prev = at == 0 ? -1 : (*recs)[at - 1].row;
        const int next = n == 0 ? prev + 3 : (*recs)[at].row;
        if (next - prev >= 2) {
          Record r;
          r.row = prev + 1 + in.count(next - prev - 2);
          const int runs = 1 + in.count(3);
          for (int k = 0; k < runs; ++k) r.runs.emplace_back(in.count(300), in.count(40));
          recs->insert(recs->begin() + static_cast<long>(at), r);
        }
        break;
      }
      case 2:  // spread the rows apart from a record on
        for (size_t i = at; i < n; ++i) (*recs)[i].row += 1 + (op >> 4);
        break;
      case 3:
      case 4: {  // move or resize a run
        if (n == 0) break;
        auto& runs = (*recs)[at].runs;
        auto& run = runs[in.byte() % runs.size()];
        if (op & 0x10)
          run.first = in.count(300);
        else
          run.second = in.count(60);
        break;
      }
      case 5: {  // duplicate a run (overlapping runs)
        if (n == 0) break;
        auto& runs = (*recs)[at].runs;
        runs.push_back(runs[in.byte() % runs.size()]);
        break;
      }
      case 6: {  // reverse the runs of a record
        if (n == 0) break;
        auto& runs = (*recs)[at].runs;
        std::vector<std::pair<int, int>> rev(runs.rbegin(), runs.rend());
        runs = rev;
        break;
      }
      default:  // any non-negative header
        (*header)[in.byte() % 6] = in.count(1 << 20);
        break;
    }
  }
}

void checkWellFormed(FuzzInput& in) {
  const std::vector<int> l0 = fromCalculator(in);
  std::vector<int> header;
  std::vector<Record> recs;
  if (tavfuzz::verbose()) {
    for (int v : l0) std::fprintf(stderr, " %d", v);
    std::fprintf(stderr, "\n");
  }
  FUZZ_CHECK(parse(l0, &header, &recs));
  mutate(in, &header, &recs);
  const std::vector<int> l = serialize(header, recs);
  std::unique_ptr<int[]> exact(new int[l.size()]);
  for (size_t i = 0; i < l.size(); ++i) exact[i] = l[i];

  const std::vector<TavIPoint> got = CTavGeoRleCalc::calculatePerimiterPoints(exact.get());
  const std::vector<TavIPoint> ref = tavref::perimeterPointsLiteral(exact.get());
  FUZZ_CHECK(samePoints(got, ref));
  // The vector form reads the same list the same way.
  FUZZ_CHECK(samePoints(CTavGeoRleCalc::calculatePerimiterPoints(l), got));

  // Both ends of every run are perimeter points, and every perimeter point is
  // a pixel of its row's runs.
  size_t total = 0;
  for (const Record& r : recs) {
    for (const auto& run : r.runs) {
      total += 2 + static_cast<size_t>(run.second > 0 ? run.second - 1 : 0);
      bool first = false, last = false;
      for (const TavIPoint& p : got) {
        first |= p.y == r.row && p.x == run.first;
        last |= p.y == r.row && p.x == run.first + run.second;
      }
      FUZZ_CHECK(first && last);
    }
  }
  FUZZ_CHECK(got.size() <= total);
  for (const TavIPoint& p : got) {
    bool covered = false;
    for (const Record& r : recs) {
      if (r.row != p.y) continue;
      for (const auto& run : r.runs) covered |= p.x >= run.first && p.x <= run.first + run.second;
    }
    FUZZ_CHECK(covered);
  }
}

// Lists with negative words: the walk must stay inside the list.
void checkHostile(FuzzInput& in) {
  std::vector<int> l;
  if (in.flag()) {
    // A disk or annulus reaching past the top or left edge.
    const TavPoint c(in.anyDouble() / 1e3, in.anyDouble() / 1e3);
    const TavPoint pts[3] = {c, TavPoint(c.x + in.pixel(40), c.y), TavPoint(c.x, c.y + in.pixel(40))};
    if (in.flag()) {
      CTavGeoRleCalcDisk d;
      d.calculate(0, 0, pts, 2);
      l = d.rle();
    } else {
      CTavGeoRleCalcTorus t;
      t.calculate(0, 0, pts, 3);
      l = t.rle();
    }
  } else {
    // Well-formed records (ascending rows, at least one run, extents >= 0, a
    // -1 after each) with any header words and any columns, negative ones
    // included; a negative row ends the list early.
    for (int i = 0; i < 6; ++i) l.push_back(in.byte() < 200 ? in.count(40) - 4 : in.anyInt());
    const int records = in.count(12);
    long long row = in.byte() < 32 ? -in.count(3) : in.count(40);
    for (int r = 0; r < records; ++r) {
      l.push_back(static_cast<int>(row));
      // Rows stay below 2^17: with a negative word 2 a "-1, row" pair can also be
      // read as a run reaching left of the image whose extent is that row, and
      // the output grows with the extents.
      row += 1 + (in.byte() < 240 ? in.count(3) : in.count(1 << 16));
      const int runs = 1 + in.count(3);  // a record holds at least one run
      for (int k = 0; k < runs; ++k) {
        // A run start of -1 reads like a terminator in any walk; -2 and below
        // are starts left of the image.
        const int start = in.byte() < 200 ? in.count(40) - 4 : in.anyInt();
        l.push_back(start == -1 ? -2 : start);
        l.push_back(in.byte() < 200 ? in.count(40) : in.count(1 << 16));  // output grows with extents
      }
      l.push_back(-1);
    }
    l.push_back(-1);  // the final terminator
  }
  if (tavfuzz::verbose()) {
    std::fprintf(stderr, "list:");
    for (int v : l) std::fprintf(stderr, " %d", v);
    std::fprintf(stderr, "\n");
  }
  std::unique_ptr<int[]> exact(new int[l.size()]);
  for (size_t i = 0; i < l.size(); ++i) exact[i] = l[i];
  const std::vector<TavIPoint> got = CTavGeoRleCalc::calculatePerimiterPoints(exact.get());
  if (l[2] < 0)
    for (const TavIPoint& p : got) FUZZ_CHECK(p.x >= 0);
  for (const TavIPoint& p : got) FUZZ_CHECK(p.y >= 0);
  FUZZ_CHECK(CTavGeoRleCalc::calculatePerimiterPoints(nullptr).empty());

  // The vector form on the same list: rows >= 0 and, with a negative first
  // column, columns >= 0 too; without negative rows it equals the pointer form.
  const std::vector<TavIPoint> fromVector = CTavGeoRleCalc::calculatePerimiterPoints(l);
  for (const TavIPoint& p : fromVector) FUZZ_CHECK(p.y >= 0 && (l[2] >= 0 || p.x >= 0));
  if (l[4] >= 0) FUZZ_CHECK(samePoints(fromVector, got));
}

// The vector form knows the list's length: any words at all, cut anywhere,
// must be read without going past the vector. Extents stay small, so that
// whatever reading of the words the walk takes, the output stays small.
void checkAnyWords(FuzzInput& in) {
  const int n = in.count(120);
  std::vector<int> l;
  l.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const uint8_t kind = in.byte();
    if (kind < 48)
      l.push_back(-1);
    else if (kind < 224)
      l.push_back(in.count(60) - 8);
    else
      l.push_back(-in.count(1 << 30));  // large negative words only
  }
  const std::vector<int> exact(l.begin(), l.end());  // capacity == size
  const std::vector<TavIPoint> got = CTavGeoRleCalc::calculatePerimiterPoints(exact);
  if (exact.size() < 7) FUZZ_CHECK(got.empty());
  for (const TavIPoint& p : got) FUZZ_CHECK(p.y >= 0);
}

}  // namespace

TAVFUZZ_TARGET(fuzz_perimeter) {
  switch (in.byte() % 3) {
    case 0:
      checkWellFormed(in);
      break;
    case 1:
      checkHostile(in);
      break;
    default:
      checkAnyWords(in);
      break;
  }
}
