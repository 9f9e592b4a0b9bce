// Perimeter points of run-length lists: lists written by the calculators,
// then mutated while staying well-formed (records dropped or inserted, runs
// moved, grown, duplicated, reordered, rows spread apart), compared with the
// pixel-by-pixel walk. Lists with negative words are read from an exactly
// sized buffer, so that a read past the list is caught. The vector form is
// also fed those lists cut short at any word.
// needs: TavGeoRleCalc.h:CTavGeoRleCalcPolygon
// reference: perimeter_reference.cpp
#include "FuzzInput.h"
#include "reference/perimeter_reference.h"

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
    Record r{l[i++], {}};
    for (; i + 1 < l.size() && l[i] >= 0; i += 2) r.runs.emplace_back(l[i], l[i + 1]);
    if (i >= l.size() || l[i++] != -1) return false;
    records->push_back(r);
  }
  return i == l.size() - 1 && l[i] == -1;
}

std::vector<int> serialize(const std::vector<int>& header, const std::vector<Record>& records) {
  std::vector<int> l = header;
  for (const Record& r : records) {
    if (r.runs.empty()) continue;
    l.push_back(r.row);
    for (const auto& run : r.runs) l.insert(l.end(), {run.first, run.second});
    l.push_back(-1);
  }
  l.push_back(-1);
  return l;
}

std::vector<TavIPoint> walk(const std::vector<int>& l) {  // from an exactly sized buffer
  return out(CTavGeoRleCalc::calculatePerimiterPoints(exactCopy(l).get()));
}

std::vector<int> diskOrTorus(bool isDisk, int w, int h, const TavPoint* pts) {
  CTavGeoRleCalcDisk disk;
  CTavGeoRleCalcTorus torus;
  CTavGeoRleCalc& c = isDisk ? static_cast<CTavGeoRleCalc&>(disk) : torus;
  c.calculate(w, h, pts, isDisk ? 2 : 3);
  return c.rle();
}

std::vector<int> fromCalculator(FuzzInput& in) {
  const uint8_t kind = in.byte() % 3;
  if (kind == 2) {
    std::vector<TavPoint> pts(static_cast<size_t>(1 + in.count(20)));
    for (TavPoint& p : pts) p = TavPoint{in.pixel(200), in.pixel(200)};
    CTavGeoRleCalcPolygon c;
    c.calculate(256, 256, pts.data(), static_cast<int>(pts.size()));
    return c.rle();
  }
  // Both circles inside the first quadrant: the list has no negative word.
  const double r1 = in.pixel(60), r2 = in.pixel(60), room = std::max(r1, r2) + 1;
  const double cx = room + in.pixel(100), cy = room + in.pixel(100);
  const TavPoint pts[3] = {TavPoint(cx, cy), TavPoint(cx + r1, cy), TavPoint(cx, cy + r2)};
  return diskOrTorus(kind == 0, 256, 256, pts);
}

void mutate(FuzzInput& in, std::vector<int>* header, std::vector<Record>* recs) {
  for (int s = 0, steps = in.count(8); s < steps; ++s) {
    const uint8_t op = in.byte();
    const size_t n = recs->size(), at = n == 0 ? 0 : in.byte() % n;
    if (op % 8 == 0 && n > 0) recs->erase(recs->begin() + static_cast<long>(at));  // drop a record
    if (op % 8 == 1) {  // insert a record in a gap between rows, or after the last
      const int prev = at == 0 ? -1 : (*recs)[at - 1].row, next = n == 0 ? prev + 3 : (*recs)[at].row;
      if (next - prev < 2) continue;
      Record r{prev + 1 + in.count(next - prev - 2), {}};
      for (int k = 0, runs = 1 + in.count(3); k < runs; ++k) r.runs.push_back({in.count(300), in.count(40)});
      recs->insert(recs->begin() + static_cast<long>(at), r);
    }
    if (op % 8 == 2)  // spread the rows apart from a record on
      for (size_t i = at; i < n; ++i) (*recs)[i].row += 1 + (op >> 4);
    if (op % 8 == 7) (*header)[in.byte() % 6] = in.count(1 << 20);  // any non-negative header
    if (op % 8 < 3 || op % 8 == 7 || n == 0) continue;
    auto& runs = (*recs)[at].runs;
    if (op % 8 == 3 || op % 8 == 4) {  // move or resize a run
      auto& run = runs[in.byte() % runs.size()];
      (op & 0x10 ? run.first : run.second) = in.count(op & 0x10 ? 300 : 60);
    }
    if (op % 8 == 5) runs.push_back(runs[in.byte() % runs.size()]);  // overlapping runs
    if (op % 8 == 6) std::reverse(runs.begin(), runs.end());
  }
}

void wellFormed(FuzzInput& in, bool) {
  std::vector<int> header;
  std::vector<Record> recs;
  FUZZ_CHECK(parse(fromCalculator(in), &header, &recs));
  mutate(in, &header, &recs);
  const std::vector<int> l = serialize(header, recs);
  const std::vector<TavIPoint> got = walk(l);
  FUZZ_CHECK(sameAll(got, tavref::perimeterPointsLiteral(exactCopy(l).get())));
  FUZZ_CHECK(sameAll(CTavGeoRleCalc::calculatePerimiterPoints(l), got));  // the vector form reads the same
  // A prefix of the list, in a vector of its exact size, read by the vector form no further than its end;
  // closed by a final -1 after a record, it reads as the pointer form does.
  std::vector<int> cut(l.begin(), l.begin() + in.count(static_cast<int>(l.size())));
  out(CTavGeoRleCalc::calculatePerimiterPoints(cut));
  cut.push_back(-1);
  std::vector<Record> kept;
  if (parse(cut, &header, &kept))
    FUZZ_CHECK(sameAll(CTavGeoRleCalc::calculatePerimiterPoints(cut), walk(cut)));
}

// A disk or annulus reaching past the top or left edge: rows and columns of
// the walk stay >= 0 (columns too with a negative first column), and without
// negative rows the vector form reads as the pointer form.
void pastEdges(FuzzInput& in, bool) {
  const double x = in.anyDouble() / 1e3, y = in.anyDouble() / 1e3;
  const TavPoint pts[3] = {TavPoint(x, y), TavPoint(x + in.pixel(40), y), TavPoint(x, y + in.pixel(40))};
  const std::vector<int> l = diskOrTorus(in.flag(), 0, 0, pts);
  const std::vector<TavIPoint> got = walk(l), fromVector = out(CTavGeoRleCalc::calculatePerimiterPoints(l));
  for (const TavIPoint& p : got) FUZZ_CHECK(p.y >= 0 && (l[2] >= 0 || p.x >= 0));
  FUZZ_CHECK(CTavGeoRleCalc::calculatePerimiterPoints(nullptr).empty() &&
             (l[4] < 0 || sameAll(fromVector, got)));
}

}  // namespace

TAVFUZZ_TARGET(fuzz_perimeter) { pick(in, {{"perimeter", wellFormed}, {"perimeterhostile", pastEdges}}); }
