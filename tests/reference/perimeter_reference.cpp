#include "reference/perimeter_reference.h"

#include <climits>
#include <cstddef>

namespace tavref {

// True when some pair (first, last) of segments has first <= x <= last.
static bool isInSegmentsLiteral(int x, const std::vector<int>& segments) {
  for (std::size_t i = 0; i + 1 < segments.size(); i += 2)
    if (segments[i] <= x && x <= segments[i + 1]) return true;
  return false;
}

static void findPoints(std::vector<TavIPoint>* result, const std::vector<int>& previous,
                       const std::vector<int>& current, const std::vector<int>& next, int y) {
  for (std::size_t s = 0; s + 1 < current.size(); s += 2) {
    const int first = current[s], last = current[s + 1];
    result->emplace_back(first, y);
    for (long long x = static_cast<long long>(first) + 1; x <= static_cast<long long>(last) - 1; ++x) {
      const int xi = static_cast<int>(x);  // interior: on the outline unless covered above and below
      if (!(isInSegmentsLiteral(xi, previous) && isInSegmentsLiteral(xi, next))) result->emplace_back(xi, y);
    }
    result->emplace_back(last, y);
  }
}

std::vector<TavIPoint> perimeterPointsLiteral(const int* rle) {
  std::vector<TavIPoint> result;
  std::vector<int> previous, current, next;
  std::size_t i = 6;
  int currentY = -1;  // no current record yet
  for (int y = rle[i++]; y >= 0; y = rle[i++]) {
    next.clear();
    for (; rle[i] >= 0; i += 2) {
      const long long last = static_cast<long long>(rle[i]) + rle[i + 1];
      next.push_back(rle[i]);
      next.push_back(last > INT_MAX ? INT_MAX : static_cast<int>(last));
    }
    ++i;  // the record's terminator
    if (currentY >= 0) findPoints(&result, previous, current, next, currentY);
    previous.swap(current);  // previous <- current <- next
    current.swap(next);
    currentY = y;
  }
  next.clear();
  if (currentY >= 0) findPoints(&result, previous, current, next, currentY);
  return result;
}

}  // namespace tavref
