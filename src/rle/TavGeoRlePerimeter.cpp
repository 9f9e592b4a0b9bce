// Perimeter pixels of a run-length list.
//
// The walk reads one record ahead, like a reader that keeps the previous, the
// current and the next record. Instead of testing every interior pixel of a run
// against the three records, each record's runs are merged once into a sorted
// list of disjoint column intervals; a record's covered set is the intersection
// of its two neighbours' merged lists, and the interior pixels of each run are
// emitted as the gaps between the covered intervals. The output is the same,
// point for point and in the same order, as the pixel-by-pixel test.
//
// Reading rules (see docs/DECISIONS.md, "Perimeter points"):
//  - a negative number where a row number is expected ends the list;
//  - a negative number where a run start is expected ends the record, except
//    when the header's first column (word 2) is negative: then a negative start
//    followed by an extent is a run reaching left of the image and is clipped
//    to column 0 (dropped when it ends left of column 0); see isRunLeftOfImage
//    for how a -1 is told apart from the record's terminator.
//  - the last column of a run, start + extent, saturates at INT_MAX.
#include <TavGeometry/TavGeoRleCalc.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <utility>

namespace NTavGeometry {

namespace {

// Last column of a run, start + extent, without overflow.
int runLast(int start, int extent) {
  const long long last = static_cast<long long>(start) + extent;
  return last > INT_MAX ? INT_MAX : static_cast<int>(last);
}

// Whether the negative word at p, where a run start is expected in record y,
// starts a run left of the image rather than ending the record. Rows of such
// lists are taken to follow each other without gaps, as the calculators write
// them:
//  - followed by a negative word: the record's end (that word ends the list);
//  - the record's first run, or a start other than -1: a run (records hold at
//    least one run, and only -1 terminates);
//  - a -1 after the first run: the record's end when the next word is the next
//    row, y + 1; otherwise a run. (A run at -1 whose extent is y + 1 is
//    therefore read as the record's end: the format cannot tell them apart.)
// The word after p exists whichever reading is right: an extent or a row.
bool isRunLeftOfImage(const int* p, int y, bool firstRun) {
  const int extent = p[1];
  if (extent < 0) return false;
  if (firstRun || p[0] != -1) return true;
  return static_cast<long long>(extent) != static_cast<long long>(y) + 1;
}

// Where and how a walk reads its list.
struct ListReader {
  const int* pos;     // next word to read
  const int* end;     // one past the list's last word, or null: read up to the terminators
  bool clipLeft;      // negative run starts may be runs left of the image (header word 2 < 0)
  bool negativeRows;  // a negative row is a row unless it is the list's last word (word 4 < 0)

  bool has(const int* p) const { return end == nullptr || p < end; }
};

// Reads one record into segments (pairs first, last) and its row into *y,
// leaving the reader on the word after the record's terminator. Returns false,
// without moving, at the list's end. A bounded reader never reads at or past
// `end`: a list cut short ends where its words end.
bool readRecord(ListReader* r, int* y, std::vector<int>* segments) {
  const int* p = r->pos;
  segments->clear();
  if (!r->has(p)) return false;
  if (*p < 0 && (!r->negativeRows || !r->has(p + 1))) return false;
  *y = *p++;
  bool firstRun = true;
  for (;;) {
    if (!r->has(p)) break;  // cut short: the record ends with the words
    const int start = *p;
    if (start < 0) {
      if (!r->clipLeft || !r->has(p + 1) || !isRunLeftOfImage(p, *y, firstRun)) {
        ++p;
        break;
      }
      const int extent = p[1];
      p += 2;
      firstRun = false;
      const int last = runLast(start, extent);
      if (last >= 0) {
        segments->push_back(0);
        segments->push_back(last);
      }
      continue;
    }
    if (!r->has(p + 1)) {  // a start without its extent: the list ends here
      p = r->end;
      break;
    }
    const int extent = p[1];
    p += 2;
    firstRun = false;
    segments->push_back(start);
    segments->push_back(runLast(start, extent));
  }
  r->pos = p;
  return true;
}

// Reads the next record whose row is 0 or more; records of negative rows (read
// only by a reader that takes them for rows) are passed over.
bool readImageRecord(ListReader* r, int* y, std::vector<int>* segments) {
  while (readRecord(r, y, segments)) {
    if (*y >= 0) return true;
  }
  return false;
}

// Replaces *out by the union of the segments as sorted, disjoint intervals that
// neither overlap nor touch. Inverted pairs (last < first) cover nothing.
void mergeSegments(const std::vector<int>& segments, std::vector<int>* out) {
  out->clear();
  const std::size_t n = segments.size() / 2;
  if (n == 1) {
    if (segments[0] <= segments[1]) {
      out->push_back(segments[0]);
      out->push_back(segments[1]);
    }
    return;
  }
  bool sorted = true;
  for (std::size_t i = 1; i < n && sorted; ++i) sorted = segments[2 * i - 2] <= segments[2 * i];
  const std::vector<int>* src = &segments;
  std::vector<std::pair<int, int>> pairs;
  std::vector<int> ordered;
  if (!sorted) {
    pairs.reserve(n);
    for (std::size_t i = 0; i < n; ++i) pairs.emplace_back(segments[2 * i], segments[2 * i + 1]);
    std::sort(pairs.begin(), pairs.end());
    ordered.reserve(2 * n);
    for (const auto& pr : pairs) {
      ordered.push_back(pr.first);
      ordered.push_back(pr.second);
    }
    src = &ordered;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const int first = (*src)[2 * i];
    const int last = (*src)[2 * i + 1];
    if (last < first) continue;
    if (!out->empty() && static_cast<long long>(first) <= static_cast<long long>(out->back()) + 1) {
      if (last > out->back()) out->back() = last;
    } else {
      out->push_back(first);
      out->push_back(last);
    }
  }
}

// Index of the first interval of a sorted disjoint list that ends at or after
// column lo (the list's size when there is none).
std::size_t firstEndingFrom(const std::vector<int>& merged, long long lo) {
  std::size_t a = 0;
  std::size_t b = merged.size() / 2;
  if (b <= 8) {
    while (a < b && merged[2 * a + 1] < lo) ++a;
    return 2 * a;
  }
  while (a < b) {
    const std::size_t m = a + (b - a) / 2;
    if (merged[2 * m + 1] < lo) {
      a = m + 1;
    } else {
      b = m;
    }
  }
  return 2 * a;
}

}  // namespace

bool CTavGeoRleCalc::isInSegments(int x, std::vector<int>* segments) {
  if (!segments) return false;
  const std::size_t n = segments->size() & ~static_cast<std::size_t>(1);
  for (std::size_t i = 0; i < n; i += 2) {
    if ((*segments)[i] <= x && x <= (*segments)[i + 1]) return true;
  }
  return false;
}

// Here `previous` and `next` are the neighbours' merged lists (sorted, disjoint
// intervals, as mergeSegments leaves them); `current` holds the record's runs
// in list order. An interior pixel is left out exactly when both neighbours
// cover its column, so the covered intervals are the intersections of the two
// merged lists, walked side by side from each run's second pixel on.
bool CTavGeoRleCalc::findPerimiterPoints(std::vector<TavIPoint>* result, std::vector<int>* previous,
                                         std::vector<int>* current, std::vector<int>* next, int y) {
  // Room left under kRleMaxPerimeterPoints; a run's pixels are counted before
  // they are written, so the vector never grows past the limit.
  const auto fits = [result](long long pixels) {
    return pixels <= static_cast<long long>(kRleMaxPerimeterPoints - result->size());
  };
  const std::vector<int>& above = *previous;
  const std::vector<int>& below = *next;
  for (std::size_t s = 0; s + 1 < current->size(); s += 2) {
    const int first = (*current)[s];
    const int last = (*current)[s + 1];
    if (!fits(2)) return false;
    result->emplace_back(first, y);
    long long lo = static_cast<long long>(first) + 1;
    const long long hi = static_cast<long long>(last) - 1;
    if (lo <= hi) {
      std::size_t i = firstEndingFrom(above, lo);
      std::size_t j = firstEndingFrom(below, lo);
      while (lo <= hi && i < above.size() && j < below.size()) {
        const long long coverLo = std::max(above[i], below[j]);
        const long long coverHi = std::min(above[i + 1], below[j + 1]);
        if (above[i + 1] < below[j + 1]) {
          i += 2;
        } else {
          j += 2;
        }
        if (coverLo > coverHi || coverHi < lo) continue;
        const long long gapEnd = std::min(hi, coverLo - 1);
        if (!fits(gapEnd - lo + 2)) return false;
        for (long long x = lo; x <= gapEnd; ++x) result->emplace_back(static_cast<int>(x), y);
        lo = coverHi + 1;
      }
      if (!fits(hi - lo + 2)) return false;
      for (long long x = lo; x <= hi; ++x) result->emplace_back(static_cast<int>(x), y);
    }
    result->emplace_back(last, y);
  }
  return true;
}

namespace {

// The walk over the records, one record ahead of the one whose points it emits.
std::vector<TavIPoint> walkRecords(ListReader reader,
                                   bool (*find)(std::vector<TavIPoint>*, std::vector<int>*, std::vector<int>*,
                                                std::vector<int>*, int)) {
  std::vector<TavIPoint> result;
  std::vector<int> curSegments;
  std::vector<int> nextSegments;
  std::vector<int> prevMerged;
  std::vector<int> curMerged;
  std::vector<int> nextMerged;
  curSegments.reserve(100);
  nextSegments.reserve(100);

  int curY = 0;
  if (!readImageRecord(&reader, &curY, &curSegments)) return result;
  mergeSegments(curSegments, &curMerged);
  for (;;) {
    int nextY = 0;
    const bool hasNext = readImageRecord(&reader, &nextY, &nextSegments);
    if (hasNext) {
      mergeSegments(nextSegments, &nextMerged);
    } else {
      nextMerged.clear();
    }
    if (!find(&result, &prevMerged, &curSegments, &nextMerged, curY)) return std::vector<TavIPoint>();
    if (!hasNext) break;
    prevMerged.swap(curMerged);
    curMerged.swap(nextMerged);
    curSegments.swap(nextSegments);
    curY = nextY;
  }
  return result;
}

}  // namespace

std::vector<TavIPoint> CTavGeoRleCalc::calculatePerimiterPoints(const int* rle) {
  if (!rle) return std::vector<TavIPoint>();
  return walkRecords(ListReader{rle + 6, nullptr, rle[2] < 0, false}, &findPerimiterPoints);
}

std::vector<TavIPoint> CTavGeoRleCalc::calculatePerimiterPoints(const std::vector<int>& rle) {
  if (rle.size() < 7) return std::vector<TavIPoint>();  // not even the header and the terminator
  const int* words = rle.data();
  return walkRecords(ListReader{words + 6, words + rle.size(), words[2] < 0, words[4] < 0},
                     &findPerimiterPoints);
}

}  // namespace NTavGeometry
