// Regions on a width x height canvas held as sorted, merged horizontal runs:
// conversions (run-length lists, 8-bit masks, pixel sets, COCO RLE), measurements,
// set algebra, morphology and connected components, each working run by run.
//
// Conventions
// - Pixel (x, y) is column x, row y; the canvas holds 0 <= x < width, 0 <= y < height.
// - A run {y, x0, x1} covers the pixels x0 <= x < x1 of row y (x1 is one past the
//   last column). A region's runs are sorted by (y, x0), lie inside the canvas, have
//   x1 > x0 and neither touch nor overlap within a row (x1 < next x0).
// - Errors: every refused input or size throws CTavGeoRegionError (derived from
//   std::invalid_argument) whose what() names the problem, e.g. "region list:
//   record of row 4 has a negative extent (-3) at word 9". Nothing else is thrown
//   except std::bad_alloc for an allocation the limits below allow but the system
//   cannot give. A binding maps CTavGeoRegionError to ValueError. A call that
//   throws leaves its operands unchanged.
// - Limits: width and height are 0 .. kRegionMaxSide and width * height is at most
//   kRegionMaxPixels (so COCO counts fit 32 bits); no region holds more than
//   kRegionMaxRuns runs (an operation whose result would is refused);
//   toMask() without a buffer is refused above kRegionMaxMaskBytes pixels.
// - Canvases: operations with two regions (|, &, -, ^, iou) need the same width and
//   height and refuse different canvases. Results never leave the canvas: translate,
//   dilate and lists whose runs reach outside are clipped to it.
// - Empty regions (area 0, also on a 0 x 0 canvas) are valid everywhere: bbox {0,0,0,0},
//   centroid, central and normalised moments, orientation and eccentricity NaN, iou
//   of two empty regions 0.
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace NTavGeometry {

constexpr int kRegionMaxSide = 1 << 24;
constexpr int64_t kRegionMaxPixels = 4294967295LL;  // 2^32 - 1
constexpr int64_t kRegionMaxRuns = 1LL << 25;       // 33,554,432 runs (384 MiB)
constexpr int64_t kRegionMaxMaskBytes = 1LL << 30;

// The one error type of this header (see Conventions).
class TAVGEOMETRY_EXPORT CTavGeoRegionError : public std::invalid_argument {
 public:
  explicit CTavGeoRegionError(const std::string& what);
  ~CTavGeoRegionError() override;
};

// One run: pixels x0 <= x < x1 of row y.
struct TavRun {
  int y;
  int x0;
  int x1;
  bool operator==(const TavRun& o) const { return y == o.y && x0 == o.x0 && x1 == o.x1; }
  bool operator!=(const TavRun& o) const { return !(*this == o); }
};

// An integer rectangle: columns x .. x + width - 1, rows y .. y + height - 1.
struct TavRegionBox {
  int x;
  int y;
  int width;
  int height;
  bool operator==(const TavRegionBox& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
};

// Image moments of the pixel set, each pixel a unit mass at its integer
// coordinates (x, y): m_pq = sum x^p y^q, mu_pq about the centroid
// (m10/m00, m01/m00), nu_pq = mu_pq / m00^(1 + (p+q)/2). Central moments are
// summed about the centroid run by run (not derived from the raw ones), so
// regions far from the origin keep their precision.
// orientation = 0.5 * atan2(2 mu11, mu20 - mu02): the angle of the major axis in
// radians, in [-pi/2, pi/2], measured from the +x axis toward +y (rows grow
// downward, so a positive angle turns clockwise on screen).
// eccentricity = sqrt(1 - l2 / l1) with l1 >= l2 the eigenvalues of
// [[mu20, mu11], [mu11, mu02]]; 0 when l1 == 0 (one pixel).
struct TavRegionMoments {
  double m00, m10, m01, m20, m11, m02;
  double mu20, mu11, mu02;
  double nu20, nu11, nu02;
  double orientation;
  double eccentricity;
};

// COCO RLE of a region: size [height, width] and counts over the pixels in
// column-major order (index x * height + y), alternating background and
// foreground and starting with background (a leading 0 when pixel (0, 0) is in).
struct TavCocoRle {
  int height;
  int width;
  std::vector<int64_t> counts;
};

class TAVGEOMETRY_EXPORT CTavGeoRegion {
 public:
  // The empty region on a 0 x 0 canvas.
  CTavGeoRegion();
  // The empty region on a width x height canvas (limits checked).
  CTavGeoRegion(int width, int height);
  // From runs in any order, possibly touching or overlapping; runs with
  // x1 <= x0 are ignored, parts outside the canvas are clipped.
  static CTavGeoRegion fromRuns(int width, int height, std::vector<TavRun> runs);
  // The whole canvas, or the rectangle box clipped to it.
  static CTavGeoRegion full(int width, int height);
  static CTavGeoRegion fromBox(int width, int height, const TavRegionBox& box);

  // ---- conversions
  // From a calculator's run-length list (format in TavGeoRleCalc.h); the canvas is
  // header words 0 and 1, words 2 to 5 (the box) are not used. Runs of a record may
  // touch, overlap or come in any order; they are merged. Rows and columns outside
  // the canvas are clipped away. The list is read with its length:
  // - a row is expected after a record's -1; the last word is the list's final -1
  //   (a -1 anywhere else where a row is expected is row -1); rows ascend strictly;
  // - when header word 2 (the first column) is 0 or more, every -1 in a record
  //   ends it (a record whose first word is -1 has no run and is refused);
  // - when word 2 is negative (the calculators then have runs left of column 0),
  //   the first word after a row always starts a run, so a record with no run
  //   (row, -1, then a negative word or the list's last word) is refused; later
  //   in the record, a -1 followed by a negative word, by the list's last word or
  //   by y + 1 (the next row: the calculators write rows without gaps) ends the
  //   record, any other -1 starts a run (its extent the next word). Starts below
  //   -1 are always runs.
  // So, with word 2 negative, a later run at column -1 whose extent equals the
  // next row number reads as a terminator. The calculators' region() never goes
  // through this reader.
  // Refused: fewer than 7 words, a negative width or height, rows not ascending,
  // a record with no run, a negative extent, a run cut short, a missing record
  // terminator or final -1 (the last word must be -1).
  static CTavGeoRegion fromRle(const std::vector<int>& list);
  static CTavGeoRegion fromRle(const int* list, size_t size);
  // The list: header (width, height, first column, last column, first row, last
  // row; all 0 for an empty region), one record per row, final -1.
  std::vector<int> toRle() const;

  // From a row-major 8-bit mask (nonzero is inside); row y starts at
  // data + y * stride, stride >= width. data may be null only for an empty canvas.
  static CTavGeoRegion fromMask(const uint8_t* data, int width, int height, ptrdiff_t stride);
  // Writes every canvas pixel: value inside, 0 outside (stride >= width).
  void toMask(uint8_t* data, ptrdiff_t stride, uint8_t value = 1) const;
  // height * width bytes, row-major, 1 inside and 0 outside.
  std::vector<uint8_t> toMask() const;

  // From pixels; duplicates allowed, a pixel outside the canvas is refused.
  static CTavGeoRegion fromPixels(int width, int height, const std::vector<TavIPoint>& pixels);
  std::vector<TavIPoint> pixels() const;  // row-major order

  // COCO RLE. fromCoco refuses a negative count, sizes out of range, and counts
  // that do not add up to height * width (an empty counts list is the empty
  // region of a canvas with no pixels only).
  static CTavGeoRegion fromCoco(const TavCocoRle& rle);
  TavCocoRle toCoco() const;
  // The compressed string form of the counts (as written in COCO annotation
  // files): counts[i] minus counts[i-2] for i > 2, each value in 5-bit groups,
  // least significant first, as characters 48 + group, 0x20 marking that more
  // groups follow and the last group's 0x10 bit the sign. Refused: a character
  // outside '0' .. 'o', a value cut off at the string's end, a value of more than
  // 13 groups, and the count checks of fromCoco.
  static CTavGeoRegion fromCocoString(int height, int width, const std::string& counts);
  std::string toCocoString() const;
  static std::string cocoCountsToString(const std::vector<int64_t>& counts);
  static std::vector<int64_t> cocoStringToCounts(const std::string& s);

  // ---- access
  int width() const { return m_width; }
  int height() const { return m_height; }
  const std::vector<TavRun>& runs() const { return m_runs; }
  size_t runCount() const { return m_runs.size(); }
  bool empty() const { return m_runs.empty(); }
  bool operator==(const CTavGeoRegion& o) const;
  bool operator!=(const CTavGeoRegion& o) const { return !(*this == o); }
  size_t hash() const;

  // ---- measurements, O(runs)
  int64_t area() const;
  TavRegionBox bbox() const;
  TavPoint centroid() const;  // (m10 / m00, m01 / m00)
  TavRegionMoments moments() const;
  // The perimeter pixels of CTavGeoRleCalc::calculatePerimiterPoints on toRle().
  std::vector<TavIPoint> perimeterPoints() const;
  bool contains(int x, int y) const;  // O(log runs)
  std::vector<uint8_t> contains(const std::vector<TavIPoint>& points) const;  // 1 inside, 0 outside

  // ---- algebra, O(runs of both)
  CTavGeoRegion operator|(const CTavGeoRegion& o) const;
  CTavGeoRegion operator&(const CTavGeoRegion& o) const;
  CTavGeoRegion operator-(const CTavGeoRegion& o) const;
  CTavGeoRegion operator^(const CTavGeoRegion& o) const;
  int64_t intersectionArea(const CTavGeoRegion& o) const;
  double iou(const CTavGeoRegion& o) const;  // |a & b| / |a | b|, 0 when both are empty
  CTavGeoRegion complement() const;
  CTavGeoRegion translate(int dx, int dy) const;  // clipped to the canvas
  CTavGeoRegion clip(const TavRegionBox& box) const;

  // ---- morphology, O(runs x rows of the element)
  // Square element: offsets |dx| <= r, |dy| <= r. Disk element: offsets with
  // dx^2 + dy^2 <= r^2. r < 0 is refused, r = 0 is the identity. Dilation is
  // clipped to the canvas; erosion keeps p when p + every offset is in the region,
  // so pixels outside the canvas count as outside (a region on the canvas edge
  // erodes from the edge).
  CTavGeoRegion dilateSquare(int r) const;
  CTavGeoRegion erodeSquare(int r) const;
  CTavGeoRegion dilateDisk(int r) const;
  CTavGeoRegion erodeDisk(int r) const;
  // Adds the holes: 4-connected parts of the complement that touch no canvas
  // edge. O(runs + height).
  CTavGeoRegion fillHoles() const;
  // Connected parts (connectivity 4 or 8, anything else refused), ordered by their
  // first pixel in row-major order. O(runs) with union-find over runs of adjacent
  // rows that overlap (4) or overlap or touch diagonally (8).
  std::vector<CTavGeoRegion> components(int connectivity) const;

 private:
  int m_width;
  int m_height;
  std::vector<TavRun> m_runs;

  friend struct CTavGeoRegionAccess;
};

}  // namespace NTavGeometry

namespace std {
template <>
struct hash<NTavGeometry::CTavGeoRegion> {
  size_t operator()(const NTavGeometry::CTavGeoRegion& r) const { return r.hash(); }
};
}  // namespace std
