/// \file
/// \brief Regions on a width x height canvas held as sorted, merged horizontal
/// runs: conversions, measurements, set algebra, morphology and connected
/// components.
/// \ingroup regions
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace NTavGeometry {

/// \defgroup regions Regions
/// \brief Pixel sets on a canvas held as runs: conversions (run-length lists,
/// 8-bit masks, pixel sets, COCO RLE), measurements, set algebra, morphology
/// and connected components, each working run by run.
///
/// **Conventions**
/// - Pixel (x, y) is column x, row y; the canvas holds 0 <= x < width,
///   0 <= y < height.
/// - A run {y, x0, x1} covers the pixels x0 <= x < x1 of row y (x1 is one past
///   the last column). A region's runs are sorted by (y, x0), lie inside the
///   canvas, have x1 > x0 and neither touch nor overlap within a row
///   (x1 < next x0).
/// - Errors: every refused input or size throws CTavGeoRegionError (derived
///   from std::invalid_argument) whose what() names the problem, e.g. "region
///   list: record of row 4 has a negative extent (-3) at word 9". Nothing else
///   is thrown except std::bad_alloc for an allocation the limits below allow
///   but the system cannot give. The Python binding maps CTavGeoRegionError to
///   ValueError. A call that throws leaves its operands unchanged.
/// - Limits: width and height are 0 .. kRegionMaxSide and width * height is at
///   most kRegionMaxPixels (so COCO counts fit 32 bits); no region holds more
///   than kRegionMaxRuns runs (an operation whose result would exceed it is
///   refused, its message giving the limit as a number);
///   toMask() without a buffer is refused above kRegionMaxMaskBytes pixels.
/// - Canvases: operations with two regions (|, &, -, ^, iou) need the same
///   width and height and refuse different canvases. Results never leave the
///   canvas: translate, dilate and lists whose runs reach outside are clipped
///   to it.
/// - Empty regions (area 0, also on a 0 x 0 canvas) are valid everywhere: bbox
///   {0,0,0,0}; centroid, central and normalised moments, orientation and
///   eccentricity NaN; iou of two empty regions 0.
/// @{

/// \brief Largest canvas width or height (2^24).
constexpr int kRegionMaxSide = 1 << 24;
/// \brief Largest canvas pixel count width * height (2^32 - 1).
constexpr int64_t kRegionMaxPixels = 4294967295LL;  // 2^32 - 1
/// \brief Most runs of one region (2^25 = 33,554,432 runs, 384 MiB).
constexpr int64_t kRegionMaxRuns = 1LL << 25;  // 33,554,432 runs (384 MiB)
/// \brief Largest canvas (in pixels) that toMask() without a buffer paints (2^30).
constexpr int64_t kRegionMaxMaskBytes = 1LL << 30;
/// \brief Most entries of one CTavGeoRegion::iouMatrix result (2^28, 2 GiB).
constexpr int64_t kRegionMaxIouPairs = 1LL << 28;

/// \brief The one error type of the regions: a refused input or size.
///
/// what() names the problem (see \ref regions, Conventions).
class TAVGEOMETRY_EXPORT CTavGeoRegionError : public std::invalid_argument {
 public:
  /// \brief An error with the message what.
  explicit CTavGeoRegionError(const std::string& what);
  /// \brief Destroys the error.
  ~CTavGeoRegionError() override;
};

/// \brief One run: pixels x0 <= x < x1 of row y.
struct TavRun {
  int y;   ///< Row.
  int x0;  ///< First column.
  int x1;  ///< One past the last column.
  /// \brief Same row and columns.
  bool operator==(const TavRun& o) const { return y == o.y && x0 == o.x0 && x1 == o.x1; }
  /// \brief Not operator==.
  bool operator!=(const TavRun& o) const { return !(*this == o); }
};

/// \brief An integer rectangle: columns x .. x + width - 1, rows y .. y + height - 1.
struct TavRegionBox {
  int x;       ///< First column.
  int y;       ///< First row.
  int width;   ///< Number of columns.
  int height;  ///< Number of rows.
  /// \brief Same position and size.
  bool operator==(const TavRegionBox& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
  /// \brief Not operator==.
  bool operator!=(const TavRegionBox& o) const { return !(*this == o); }
};

/// \brief Image moments of the pixel set, each pixel a unit mass at its integer
/// coordinates (x, y).
///
/// m_pq = sum x^p y^q, mu_pq about the centroid (m10/m00, m01/m00),
/// nu_pq = mu_pq / m00^(1 + (p+q)/2). The sums are exact integers: each raw
/// moment is its exact sum rounded once to the nearest double, and each central
/// moment (m00 m_pq - m_p0 m_0q, exact, divided by m00) is within two roundings
/// of the exact value, wherever the region lies on the canvas: the same pixels
/// moved give the same central and normalised moments, orientation and
/// eccentricity, to the bit. For an empty region the central and normalised
/// moments, orientation and eccentricity are NaN.
struct TavRegionMoments {
  /// \name Raw moments
  /// @{

  /// \brief m_pq = sum of x^p y^q over the pixels; m00 is the area.
  double m00, m10, m01, m20, m11, m02;
  /// @}
  /// \name Central moments
  /// @{

  /// \brief mu_pq = sum of (x - cx)^p (y - cy)^q about the centroid (cx, cy).
  double mu20, mu11, mu02;
  /// @}
  /// \name Normalised central moments
  /// @{

  /// \brief nu_pq = mu_pq / m00^2 (p + q = 2).
  double nu20, nu11, nu02;
  /// @}
  /// \brief Angle of the major axis, 0.5 * atan2(2 mu11, mu20 - mu02), in
  /// radians in [-pi/2, pi/2], measured from the +x axis toward +y (rows grow
  /// downward, so a positive angle turns clockwise on screen). A vertical line
  /// gives +pi/2; a region without a major axis (mu11 = 0 and mu20 = mu02: one
  /// pixel, a square) gives 0.
  double orientation;
  /// \brief sqrt(1 - l2 / l1) with l1 >= l2 the eigenvalues of
  /// [[mu20, mu11], [mu11, mu02]]; 0 when l1 == 0 (one pixel).
  double eccentricity;
};

/// \brief The measurements of one connected part (CTavGeoRegion::componentStats):
/// what area(), bbox(), centroid() and moments() of the part give, the same
/// values to the bit.
struct TavRegionPartStats {
  int64_t area;              ///< Pixels.
  TavRegionBox box;          ///< The smallest box holding the part.
  TavPoint centroid;         ///< (m10 / m00, m01 / m00).
  TavRegionMoments moments;  ///< Raw, central and normalised moments.
};

/// \brief COCO RLE of a region: size [height, width] and counts over the pixels
/// in column-major order.
///
/// The pixel index is x * height + y; the counts alternate background and
/// foreground and start with background (a leading 0 when pixel (0, 0) is in).
struct TavCocoRle {
  int height;                   ///< Canvas height (rows).
  int width;                    ///< Canvas width (columns).
  std::vector<int64_t> counts;  ///< Alternating background and foreground counts.
};

/// \brief A set of pixels on a width x height canvas, held as sorted, merged runs.
///
/// See \ref regions for the conventions on runs, errors, limits and empty
/// regions. Regions are values: operations return new regions and leave their
/// operands unchanged; const members may run on many threads at once.
class TAVGEOMETRY_EXPORT CTavGeoRegion {
 public:
  /// \brief The empty region on a 0 x 0 canvas.
  CTavGeoRegion();
  /// \brief The empty region on a width x height canvas (limits checked).
  /// \throws CTavGeoRegionError for a canvas beyond the limits.
  CTavGeoRegion(int width, int height);
  /// \brief A copy.
  CTavGeoRegion(const CTavGeoRegion&) = default;
  /// \brief Takes o's runs; o is left empty on its canvas.
  CTavGeoRegion(CTavGeoRegion&& o) noexcept = default;
  /// \brief A copy of o; one that throws (std::bad_alloc) leaves this region as it was.
  CTavGeoRegion& operator=(const CTavGeoRegion& o) {
    // The runs first: assigned member by member, a failed copy of the runs
    // would leave the new canvas with the old runs, which may lie outside it.
    std::vector<TavRun> runs(o.m_runs);
    m_runs.swap(runs);
    m_width = o.m_width;
    m_height = o.m_height;
    return *this;
  }
  /// \brief Takes o's canvas and runs; o is left empty on its canvas.
  CTavGeoRegion& operator=(CTavGeoRegion&& o) noexcept = default;
  /// \brief From runs in any order, possibly touching or overlapping.
  ///
  /// Runs with x1 <= x0 are ignored, parts outside the canvas are clipped.
  /// O(runs log runs).
  static CTavGeoRegion fromRuns(int width, int height, std::vector<TavRun> runs);
  /// \brief The whole canvas. O(height).
  static CTavGeoRegion full(int width, int height);
  /// \brief The rectangle box clipped to the canvas. O(box height).
  static CTavGeoRegion fromBox(int width, int height, const TavRegionBox& box);

  /// \name Conversions
  /// @{

  /// \brief From a calculator's run-length list (format in TavGeoRleCalc.h and
  /// \ref rle-format).
  ///
  /// The canvas is header words 0 and 1; the box in words 2 to 5 is not used
  /// as a box, but the sign of word 2 decides how records are read (below).
  /// Runs of a record may touch, overlap or come in any order; they are merged.
  /// Rows and columns outside the canvas are clipped away. The list is read with
  /// its length:
  /// - a row is expected after a record's -1; the last word is the list's final
  ///   -1 (a -1 anywhere else where a row is expected is row -1); rows ascend
  ///   strictly;
  /// - when header word 2 (the first column) is 0 or more, every -1 in a record
  ///   ends it (a record whose first word is -1 has no run and is refused);
  /// - when word 2 is negative (the calculators then have runs left of column
  ///   0), the first word after a row always starts a run, so a record with no
  ///   run (row, -1, then a negative word or the list's last word) is refused;
  ///   later in the record, a -1 followed by a negative word, by the list's last
  ///   word or by y + 1 (the next row: the calculators write rows without gaps)
  ///   ends the record, any other -1 starts a run (its extent the next word).
  ///   Starts below -1 are always runs.
  ///
  /// So, with word 2 negative, a later run at column -1 whose extent equals the
  /// next row number reads as a terminator, and a list with a gap between two
  /// rows is misread without an error: the record's -1 before the gap starts a
  /// run at column -1, whose extent is the next row's number. The calculators'
  /// region() never goes through this reader. O(words + runs log runs).
  /// \throws CTavGeoRegionError for fewer than 7 words, a negative width or
  ///         height, rows not ascending, a record with no run, a negative
  ///         extent, a run cut short, a missing record terminator or final -1
  ///         (the last word must be -1), and a canvas beyond the limits.
  static CTavGeoRegion fromRle(const std::vector<int>& list);
  /// \brief From a run-length list of size words at list; as the vector form.
  static CTavGeoRegion fromRle(const int* list, size_t size);
  /// \brief The run-length list of the region.
  ///
  /// Header (width, height, first column, last column, first row, last row; all
  /// 0 for an empty region), one record per row, final -1. O(runs).
  std::vector<int> toRle() const;

  /// \brief From a row-major 8-bit mask (nonzero is inside).
  ///
  /// Row y starts at data + y * stride, stride >= width. data may be null only
  /// for an empty canvas. O(width * height).
  static CTavGeoRegion fromMask(const uint8_t* data, int width, int height, ptrdiff_t stride);
  /// \brief Writes every canvas pixel: value inside, 0 outside (stride >= width).
  ///
  /// Row y starts at data + y * stride; the bytes of a row past its width are
  /// left as they are. O(width * height).
  void toMask(uint8_t* data, ptrdiff_t stride, uint8_t value = 1) const;
  /// \brief height * width bytes, row-major, 1 inside and 0 outside.
  /// \throws CTavGeoRegionError above kRegionMaxMaskBytes pixels.
  std::vector<uint8_t> toMask() const;

  /// \brief From pixels; duplicates allowed.
  /// \throws CTavGeoRegionError for a pixel outside the canvas and for more
  ///         than kRegionMaxRuns pixels (duplicates counted).
  static CTavGeoRegion fromPixels(int width, int height, const std::vector<TavIPoint>& pixels);
  /// \brief Every pixel of the region, in row-major order. O(area).
  /// \throws CTavGeoRegionError for an area above 2^27 pixels (1 GiB), the
  ///         perimeter's limit (kRleMaxPerimeterPoints of TavGeoRleCalc.h).
  std::vector<TavIPoint> pixels() const;  // row-major order

  /// \brief From COCO RLE.
  ///
  /// An empty counts list is the empty region of a canvas with no pixels only.
  /// \throws CTavGeoRegionError for a negative count, sizes out of range,
  ///         counts that do not add up to height * width, and counts whose
  ///         column runs (or the region's row runs) number more than
  ///         kRegionMaxRuns.
  static CTavGeoRegion fromCoco(const TavCocoRle& rle);
  /// \brief The COCO RLE of the region.
  ///
  /// A canvas with no pixels gives the counts {0}. O(runs + width): the column
  /// runs are gathered per column, so a wide canvas costs its width even for an
  /// empty region (fromCoco likewise costs the canvas height).
  /// \throws CTavGeoRegionError when the region's column runs (its form in
  ///         COCO's column-major order) would number more than kRegionMaxRuns,
  ///         as long rows on a tall canvas can: full rows of 2^24 pixels on a
  ///         canvas of 5 rows, rows 0, 2 and 4, make 3 * 2^24 column runs.
  TavCocoRle toCoco() const;
  /// \brief From the compressed string form of COCO counts (as written in COCO
  /// annotation files).
  ///
  /// The string holds counts[i] minus counts[i-2] for i > 2, each value in 5-bit
  /// groups, least significant first, as characters 48 + group, 0x20 marking
  /// that more groups follow and the last group's 0x10 bit the sign.
  /// \throws CTavGeoRegionError for a character outside '0' .. 'o', a value cut
  ///         off at the string's end, a value of more than 13 groups, and the
  ///         count checks of fromCoco.
  static CTavGeoRegion fromCocoString(int height, int width, const std::string& counts);
  /// \brief The compressed string form of toCoco()'s counts.
  std::string toCocoString() const;
  /// \brief Encodes counts in the compressed string form (see fromCocoString).
  /// \throws CTavGeoRegionError for a count that is negative or above
  ///         kRegionMaxPixels.
  static std::string cocoCountsToString(const std::vector<int64_t>& counts);
  /// \brief Decodes the compressed string form into counts (see fromCocoString).
  /// \throws CTavGeoRegionError for a malformed string, a value outside 64
  ///         bits, or a count that is negative or above kRegionMaxPixels.
  static std::vector<int64_t> cocoStringToCounts(const std::string& s);

  /// @}
  /// \name Access
  /// @{

  /// \brief Canvas width.
  int width() const { return m_width; }
  /// \brief Canvas height.
  int height() const { return m_height; }
  /// \brief The runs, sorted by (y, x0), merged, inside the canvas.
  ///
  /// Of a temporary region the list itself is returned, moved out of a
  /// non-const one and copied from a const one, so that
  /// `for (const TavRun& r : calc.region().runs())` iterates a list that lives
  /// as long as the loop (a reference into the temporary would not). The
  /// member's address names one of the three:
  /// `static_cast<const std::vector<TavRun>& (CTavGeoRegion::*)() const&>(&CTavGeoRegion::runs)`.
  const std::vector<TavRun>& runs() const& { return m_runs; }
  /// \brief The runs of a temporary region, moved out of it.
  std::vector<TavRun> runs() && { return std::move(m_runs); }
  /// \brief The runs of a const temporary region, copied.
  std::vector<TavRun> runs() const&& { return m_runs; }
  /// \brief Number of runs.
  size_t runCount() const { return m_runs.size(); }
  /// \brief True when the region has no pixel.
  bool empty() const { return m_runs.empty(); }
  /// \brief Same canvas and same pixels. O(runs).
  bool operator==(const CTavGeoRegion& o) const;
  /// \brief Not operator==.
  bool operator!=(const CTavGeoRegion& o) const { return !(*this == o); }
  /// \brief A hash of the canvas and the runs (equal regions hash equal). O(runs).
  size_t hash() const;

  /// @}
  /// \name Measurements, O(runs)
  /// @{

  /// \brief Number of pixels.
  int64_t area() const;
  /// \brief The smallest box holding every pixel; {0, 0, 0, 0} when empty.
  TavRegionBox bbox() const;
  /// \brief (m10 / m00, m01 / m00), in pixels; NaN when empty.
  TavPoint centroid() const;  // (m10 / m00, m01 / m00)
  /// \brief Raw, central and normalised moments, orientation and eccentricity.
  TavRegionMoments moments() const;
  /// \brief The outline pixels, in row-major order: both end pixels of every
  /// run (a one-pixel run's twice) and each pixel between them that has no
  /// pixel of the region above it or none below it.
  ///
  /// That is CTavGeoRleCalc::calculatePerimiterPoints on toRle() taken one
  /// stretch of consecutive rows at a time: on a whole list it would take the
  /// record before an empty row as the neighbour of the record after it.
  /// \throws CTavGeoRegionError when the perimeter has more than 2^27 points
  /// (kRleMaxPerimeterPoints of TavGeoRleCalc.h, 1 GiB).
  std::vector<TavIPoint> perimeterPoints() const;
  /// \brief True when pixel (x, y) is in the region (false outside the canvas). O(log runs).
  bool contains(int x, int y) const;  // O(log runs)
  /// \brief For each point 1 inside, 0 outside. O(points x log runs).
  std::vector<uint8_t> contains(const std::vector<TavIPoint>& points) const;  // 1 inside, 0 outside

  /// @}
  /// \name Algebra, O(runs of both)
  /// Two-region operations refuse different canvases (CTavGeoRegionError).
  /// @{

  /// \brief Union.
  CTavGeoRegion operator|(const CTavGeoRegion& o) const;
  /// \brief Intersection.
  CTavGeoRegion operator&(const CTavGeoRegion& o) const;
  /// \brief Difference: the pixels of this region not in o.
  CTavGeoRegion operator-(const CTavGeoRegion& o) const;
  /// \brief Symmetric difference.
  CTavGeoRegion operator^(const CTavGeoRegion& o) const;
  /// \brief Area of the intersection, without building it.
  int64_t intersectionArea(const CTavGeoRegion& o) const;
  /// \brief |a & b| / |a | b|, 0 when both are empty.
  double iou(const CTavGeoRegion& o) const;  // |a & b| / |a | b|, 0 when both are empty
  /// \brief The IoU of every region of a with every region of b: entry
  /// i * b.size() + j is a[i]->iou(*b[j]), the same double.
  ///
  /// Each region's area and box are found once; a pair whose boxes do not
  /// meet is 0 without a walk, and a walk covers only the rows both boxes
  /// hold. O(runs of all regions + pairs + runs in the common rows of the
  /// pairs whose boxes meet).
  /// \throws CTavGeoRegionError for a null pointer, regions on different
  ///         canvases, or more than kRegionMaxIouPairs pairs.
  static std::vector<double> iouMatrix(const std::vector<const CTavGeoRegion*>& a,
                                       const std::vector<const CTavGeoRegion*>& b);
  /// \brief iouMatrix with crowd regions among b, scored as COCO evaluation
  /// scores them: where crowd[j] is true, entry i * b.size() + j is
  /// |a[i] & b[j]| / |a[i]| (0 when a[i] is empty), the share of a[i] that
  /// lies in the crowd; the other entries are as iouMatrix(a, b) gives them.
  /// \throws CTavGeoRegionError as iouMatrix(a, b), and when crowd does not
  ///         hold one flag for each region of b.
  static std::vector<double> iouMatrix(const std::vector<const CTavGeoRegion*>& a,
                                       const std::vector<const CTavGeoRegion*>& b,
                                       const std::vector<bool>& crowd);
  /// \brief The union of all the regions: pairs of them, then pairs of
  /// those, and so on, O(runs x log(count)) where a left fold of | would take
  /// O(runs x count). One region gives a copy of it.
  /// \throws CTavGeoRegionError for no regions (a region needs its canvas),
  ///         a null pointer, regions on different canvases, or a result of
  ///         more than kRegionMaxRuns runs (the unions on the way to it may
  ///         hold more, as columns that interleave to fill the canvas do).
  static CTavGeoRegion unionOf(const std::vector<const CTavGeoRegion*>& regions);
  /// \brief The canvas pixels not in the region. O(runs + height).
  CTavGeoRegion complement() const;
  /// \brief The region moved by (dx, dy), clipped to the canvas. O(runs).
  CTavGeoRegion translate(int dx, int dy) const;  // clipped to the canvas
  /// \brief The part of the region inside box. O(runs).
  CTavGeoRegion clip(const TavRegionBox& box) const;
  /// \brief The part inside box as a region of its own, on a canvas of
  /// box.width x box.height whose origin is the box's corner (pixels of the box
  /// outside this canvas are outside). O(log runs + runs in the box's rows).
  /// \throws CTavGeoRegionError for a box whose size is not a canvas size.
  CTavGeoRegion crop(const TavRegionBox& box) const;
  /// \brief The region mirrored about the diagonal: pixel (x, y) becomes
  /// (y, x) on a canvas of height x width. O(runs of both) and the canvas
  /// width.
  CTavGeoRegion transposed() const;

  /// @}
  /// \name Morphology, O(runs x rows of the element)
  /// Square element: offsets |dx| <= r, |dy| <= r. Disk element: offsets with
  /// dx^2 + dy^2 <= r^2. r < 0 and r above kRegionMaxSide are refused, r = 0
  /// is the identity. An element that reaches across the canvas gives the
  /// whole canvas (dilation of a region that is not empty) or the empty region
  /// (erosion, once 2r + 1 exceeds the shorter side) at once. Dilation is
  /// clipped to the canvas; erosion keeps p when p + every offset is in the
  /// region, so pixels outside the canvas count as outside (a region on the
  /// canvas edge erodes from the edge). Regions with many runs per row are
  /// combined as rows of 64-bit words where that is estimated cheaper, at
  /// about (words of the region's column span x rows of the element) per
  /// output row. Long elements (32 rows or more) may go by the columns where
  /// that is estimated cheaper: a square as its rows' runs widened (shrunk)
  /// and then its columns', O(runs of the rows and of the columns + width +
  /// height) whatever r is, and a dilation of the transposed region,
  /// transposed back, which for a region a few columns wide costs about its
  /// column runs x the width. The result is the same either way.
  /// @{

  /// \brief Dilation by the square of half-width r.
  CTavGeoRegion dilateSquare(int r) const;
  /// \brief Erosion by the square of half-width r.
  CTavGeoRegion erodeSquare(int r) const;
  /// \brief Dilation by the disk of radius r.
  CTavGeoRegion dilateDisk(int r) const;
  /// \brief Erosion by the disk of radius r.
  CTavGeoRegion erodeDisk(int r) const;
  /// \brief Closing by the square of half-width r: dilation, then erosion
  /// with the pixels outside the canvas counted as inside (so the result
  /// holds the region, also at the canvas edge). O(runs + height) beyond the
  /// two dilations it makes. The complements it makes between them count
  /// against kRegionMaxRuns as results do (a complement holds up to one run
  /// a row more than its region); radius 0 gives the region itself.
  CTavGeoRegion closingSquare(int r) const;
  /// \brief Closing by the disk of radius r, as closingSquare.
  CTavGeoRegion closingDisk(int r) const;
  /// \brief Opening by the square of half-width r: erosion with the pixels
  /// outside the canvas counted as inside, then dilation (so a part on the
  /// canvas edge is not worn away from the edge; the result lies within the
  /// region).
  CTavGeoRegion openingSquare(int r) const;
  /// \brief Opening by the disk of radius r, as openingSquare.
  CTavGeoRegion openingDisk(int r) const;
  /// \brief Adds the holes: 4-connected parts of the complement that touch no
  /// canvas edge. O(runs + height). The complement counts against
  /// kRegionMaxRuns, as in closingSquare.
  CTavGeoRegion fillHoles() const;
  /// \brief Connected parts, ordered by their first pixel in row-major order.
  ///
  /// O(runs) with union-find over runs of adjacent rows that overlap (4) or
  /// overlap or touch diagonally (8).
  /// \param connectivity 4 or 8; anything else is refused (CTavGeoRegionError).
  std::vector<CTavGeoRegion> components(int connectivity) const;
  /// \brief Number of connected parts, as components(connectivity).size(),
  /// without making them. O(runs).
  /// \param connectivity 4 or 8; anything else is refused (CTavGeoRegionError).
  int componentCount(int connectivity) const;
  /// \brief The measurements of each connected part, in the order of
  /// components(connectivity), without making the parts: entry k holds what
  /// area(), bbox(), centroid() and moments() of components(connectivity)[k]
  /// give. O(runs), one pass over the runs after labelling them.
  /// \param connectivity 4 or 8; anything else is refused (CTavGeoRegionError).
  std::vector<TavRegionPartStats> componentStats(int connectivity) const;
  /// \brief Writes the label image of the connected parts: 0 outside the
  /// region, k at the pixels of the part components(connectivity)[k - 1].
  ///
  /// Row y starts at data + y * stride (stride in int32 elements, >= width:
  /// for an image whose row step is given in bytes, the step divided by 4);
  /// the elements of a row past its width are left as they are.
  /// O(runs + width * height).
  /// \param data the image, height rows of stride elements.
  /// \param stride elements from one row to the next.
  /// \param connectivity 4 or 8; anything else is refused (CTavGeoRegionError).
  /// \return the number of parts.
  int labelImage(int32_t* data, ptrdiff_t stride, int connectivity) const;
  /// \brief The region without its connected parts of fewer than minArea
  /// pixels (minArea of 1 or less keeps every part). O(runs).
  /// \param minArea the smallest area a part keeps.
  /// \param connectivity 4 or 8; anything else is refused (CTavGeoRegionError).
  CTavGeoRegion removeSmallParts(int64_t minArea, int connectivity) const;

  /// @}

 private:
  int m_width;
  int m_height;
  std::vector<TavRun> m_runs;

  friend struct CTavGeoRegionAccess;
};

/// @}

}  // namespace NTavGeometry

namespace std {
/// \brief std::hash of a region: CTavGeoRegion::hash(), so regions can key
/// unordered containers.
/// \ingroup regions
template <>
struct hash<NTavGeometry::CTavGeoRegion> {
  /// \brief r.hash().
  size_t operator()(const NTavGeometry::CTavGeoRegion& r) const { return r.hash(); }
};
}  // namespace std
