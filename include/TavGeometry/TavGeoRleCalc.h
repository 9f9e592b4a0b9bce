/// \file
/// \brief Region calculators: a disk, an annulus or a polygon on a width x height
/// image turned into a run-length list, and the perimeter pixels of such a list.
/// \ingroup rlecalc
#pragma once

#include <TavGeometry/TavGeoRegion.h>
#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

#include <list>
#include <memory>
#include <vector>

namespace NTavGeometry {

/// \defgroup rlecalc Run-length calculators
/// \brief Disks, annuli and polygons rasterised into run-length lists, and the
/// perimeter pixels of a list.
///
/// Run-length list (`std::vector<int>`, drawn out in \ref rle-format):
/// - header: [0] image width, [1] image height, [2] first column, [3] last
///   column, [4] first row, [5] last row (of the bounding box, last ones
///   included);
/// - records: row y, then runs (x, extent) covering columns x .. x + extent,
///   then -1; records in strictly ascending row order;
/// - end: a final -1 (so a list with rows ends in -1, -1).
///
/// A run may start left of column 0 (x negative, -1 included), so a -1 inside a
/// record can be a run start as well as a terminator; recordRuns() and region()
/// read the list without that ambiguity. A calculator keeps a cache of its last
/// call and is not meant to be shared between threads: use one per thread.
/// @{

/// \brief Base of the region calculators: holds the last list, its bounding box
/// and a cache of the last computed call.
///
/// The base itself computes nothing.
class TAVGEOMETRY_EXPORT CTavGeoRleCalc {
 public:
  /// \brief A calculator with no result yet: empty list, zero box, no cached call.
  CTavGeoRleCalc();
  /// \brief Destroys the calculator.
  virtual ~CTavGeoRleCalc();
  /// \brief Not copyable.
  CTavGeoRleCalc(const CTavGeoRleCalc&) = delete;
  /// \brief Not copyable.
  CTavGeoRleCalc& operator=(const CTavGeoRleCalc&) = delete;

  /// \brief Computes the region of the first `count` points on a width x height
  /// image, unless the call equals the cached last one byte for byte.
  ///
  /// The meaning of the points is the derived calculator's. A fresh
  /// calculator's cache holds the call (0, 0, no points), so that first call
  /// returns at once and leaves the list empty. A call that throws part-way
  /// (std::bad_alloc) leaves a half-written list but no cached key: the next
  /// call computes again, whatever its arguments.
  /// \return Concrete calculators always return true; the base returns false
  ///         and changes nothing.
  virtual bool calculate(int width, int height, const TavPoint* points, int count);

  /// \brief The run-length list of the last computation (empty before the first).
  const std::vector<int>& rle() const { return m_rle; }
  /// \brief The bounding box of the last computed region, in pixels.
  ///
  /// It is the shape's box, taken from its geometry, not from the runs: where
  /// runs start left of column 0, their starts are truncated toward zero, so
  /// such a run may reach one column past the box's right edge (see rle-format).
  const TavRect& boundingBox() const { return m_boundingBox; }
  /// \brief The number of runs of each record of rle(), in list order, written
  /// while calculating.
  ///
  /// It makes the list unambiguous (a run may start at column -1).
  const std::vector<int>& recordRuns() const { return m_recordRuns; }
  /// \brief The last result as a region on the width x height canvas.
  ///
  /// The list's runs are read by recordRuns() (one pass over the runs, never the
  /// ambiguous list reader), clipped to the canvas, and each record's runs sorted
  /// and merged where they touch or overlap. O(runs) for records in ascending
  /// rows, as the calculators write them (a record's few runs are sorted); a list
  /// a derived calculator wrote out of that order is sorted as a whole. A
  /// negative width or height (which calculate() accepts) counts as 0. The
  /// counts of recordRuns() are trusted: counts out of step with the list (a
  /// derived calculator's) read other words as runs, or stop where the list
  /// ends, without an error.
  /// \throws CTavGeoRegionError for a canvas beyond the region limits and for
  ///         more than kRegionMaxRuns runs.
  CTavGeoRegion region() const;

  /// \brief True when width, height, count and the bytes of the points equal the
  /// cached last call (0.0 and -0.0 differ; an identical NaN matches).
  bool compareWithLastComputedCoords(int width, int height, const TavPoint* points, int count);
  /// \brief Records the call as the cache key.
  void storeComputedCoords(int width, int height, const TavPoint* points, int count);

  /// \brief Boundary pixels of a run-length list, in list order.
  ///
  /// Both end pixels of every run and each interior pixel whose column the
  /// record above or below leaves uncovered. See DECISIONS.md for lists with
  /// negative rows or columns: a negative header word 2 (first column) makes a
  /// -1 after a record's first run a terminator only when the next row is y + 1,
  /// so such a list must not skip rows (the calculators' lists never do). A null
  /// pointer gives an empty result; a negative row ends the list. A perimeter
  /// of more than kRleMaxPerimeterPoints points gives an empty result as well.
  /// O(words + points).
  static std::vector<TavIPoint> calculatePerimiterPoints(const int* rle);
  /// \brief Boundary pixels of a list held whole in a vector (its last word is the
  /// final -1), never reading past it.
  ///
  /// When header word 4 (first row) is negative, records of negative rows are
  /// passed over, so a region reaching above row 0 gives the outline of its part
  /// in rows 0 and up. Shorter than 7 words, or a perimeter of more than
  /// kRleMaxPerimeterPoints points: empty result. O(words + points).
  static std::vector<TavIPoint> calculatePerimiterPoints(const std::vector<int>& rle);

 protected:
  int m_width;                         ///< Image width of the last computation.
  int m_height;                        ///< Image height of the last computation.
  std::vector<int> m_rle;              ///< The list rle() returns.
  std::vector<int> m_recordRuns;       ///< Runs per record, as recordRuns() returns.
  TavRect m_boundingBox;               ///< The box boundingBox() returns.
  int m_lastWidth;                     ///< Cache key: width of the last call.
  int m_lastHeight;                    ///< Cache key: height of the last call.
  std::vector<TavPoint> m_lastCoords;  ///< Cache key: points of the last call.
  /// False from the start of a computation until its key is stored: a call that
  /// throws part-way (std::bad_alloc) leaves no key that a later call could
  /// match against its half-written list.
  bool m_lastKeyValid;

 private:
  static bool findPerimiterPoints(std::vector<TavIPoint>* result, std::vector<int>* previous,
                                  std::vector<int>* current, std::vector<int>* next, int y);
  static bool isInSegments(int x, std::vector<int>* segments);
};

/// \brief Largest radius of a disk or annulus, pixels; a larger one gives an
/// empty list.
///
/// One of the limits that keep every list bounded (see DECISIONS.md, Regions;
/// the documents are installed beside the README in share/doc/TavGeometry).
constexpr int kRleMaxRadius = 1000000;
/// \brief Rows the polygon calculator scans at most (0 .. kRleMaxRows - 1).
constexpr int kRleMaxRows = 2 * kRleMaxRadius + 1;
/// \brief Most words of a polygon's list (512 MiB).
///
/// A polygon whose list would be longer gives the header and terminator only
/// (its box words and box still from the vertices). Disk and annulus lists stay
/// below 7 * kRleMaxRows.
constexpr size_t kRleMaxWords = size_t{1} << 27;
/// \brief Most points calculatePerimiterPoints() returns (2^27 points, 1 GiB).
///
/// The perimeter of a list grows with its run extents, not its word count: one
/// run of 2^31 pixels on a wide image would need 16 GiB. A longer perimeter
/// gives an empty result.
constexpr size_t kRleMaxPerimeterPoints = size_t{1} << 27;

/// \brief Disk calculator: points[0] is the centre, points[1] a point on the rim.
///
/// The centre and the radius are truncated toward zero; each row y = cy + dy
/// (dy from -r to r) gets the single run trunc(cx - h + 0.5), extent
/// trunc(2h + 0.5) with h = sqrt(r^2 - dy^2). Rows and columns are not clipped
/// to the image. Header words 0 and 1 hold width and height. An empty list
/// (header words 2 to 5 all 0, no rows) and a zero box come from count < 2
/// (negative included), a null array, a centre that is not finite or does not
/// truncate to an int, a centre +- radius outside the int range, or a radius
/// above kRleMaxRadius or NaN. calculate() always returns true; O(r).
class TAVGEOMETRY_EXPORT CTavGeoRleCalcDisk : public CTavGeoRleCalc {
 public:
  /// \brief A disk calculator with no result yet.
  CTavGeoRleCalcDisk();
  /// \brief Destroys the calculator.
  ~CTavGeoRleCalcDisk() override;
  /// \brief Computes the disk of points[0] and points[1] (see the class); always true.
  bool calculate(int width, int height, const TavPoint* points, int count) override;

 private:
  void fillCircle(int cx, int cy, int radius);
};

/// \brief Annulus calculator: points[0] is the centre, points[1] and points[2]
/// one point on each circle (either order).
///
/// Rows with |dy| <= inner radius get two runs of equal extent
/// trunc(ho - hi + 0.5): the left from trunc(cx - ho + 0.5), the right from
/// trunc(cx + 0.5 + hi); other rows get the disk's run. The runs may touch or
/// overlap. Empty list and zero box as for the disk (count < 3, etc.).
/// calculate() always returns true; O(outer radius).
class TAVGEOMETRY_EXPORT CTavGeoRleCalcTorus : public CTavGeoRleCalc {
 public:
  /// \brief An annulus calculator with no result yet.
  CTavGeoRleCalcTorus();
  /// \brief Destroys the calculator.
  ~CTavGeoRleCalcTorus() override;
  /// \brief Computes the annulus of points[0..2] (see the class); always true.
  bool calculate(int width, int height, const TavPoint* points, int count) override;

 private:
  void fillTorus(int cx, int cy, int radius1, int radius2);
};

/// \brief Polygon calculator: the closed polygon points[0 .. count-1], filled
/// even-odd.
///
/// Vertices are truncated toward zero and the polygon is filled on rows
/// 0 .. height - 1: an edge is present on the rows from its upper end to the row
/// above its lower end, its x stepped row by row in float; each row's edges,
/// sorted by x, pair off into runs (x, extent) with x = trunc(x1 + 0.5) and
/// extent = trunc(x2 - x1 + 0.5). Columns are not clipped; a run whose start or
/// extent would leave the int range (vertices about 2^31 columns off the image)
/// keeps its last column, at most INT_MAX, and starts at its first column or as
/// far left as an extent of INT_MAX reaches. Edges reaching above
/// row 0 enter at row 0; edges whose ends lie on one row are horizontal; rows
/// from kRleMaxRows on are not scanned. count <= 0 or height <= 0: header and
/// terminator only. The box is that of the truncated vertices (zero for no
/// points). A NaN coordinate counts as no points. A list beyond kRleMaxWords
/// words: header and terminator only. calculate() always returns true; cost
/// O(count log count + rows scanned x edges per row + words).
class TAVGEOMETRY_EXPORT CTavGeoRleCalcPolygon : public CTavGeoRleCalc {
 public:
  /// \brief A polygon calculator with no result yet.
  CTavGeoRleCalcPolygon();
  /// \brief Destroys the calculator.
  ~CTavGeoRleCalcPolygon() override;
  /// \brief Computes the polygon of points[0 .. count-1] (see the class); always true.
  bool calculate(int width, int height, const TavPoint* points, int count) override;

 private:
  // One edge: its x on the current row, x step per row, and the row of its
  // lower end (the edge is present on rows below yEnd only).
  struct Edge {
    float xIntersect = 0.0f;
    float dxPerScan = 0.0f;
    int yEnd = 0;
    Edge* next = nullptr;
  };

  // Hands out and takes back Edge records; grows in blocks and never shrinks,
  // so a reused calculator stops allocating once it is large enough.
  class EdgePool {
   public:
    EdgePool() = default;
    EdgePool(const EdgePool&) = delete;
    EdgePool& operator=(const EdgePool&) = delete;
    Edge* take();
    void giveBack(Edge* edge);
    void grow(int n);
    // Makes sure at least n records are free, growing once if needed.
    void reserveFree(int n);
    void recycleAll();

   private:
    int m_blockSize = 100;
    std::list<std::unique_ptr<Edge[]>> m_blocks;
    int m_total = 0;
    std::vector<Edge*> m_all;
    int m_free = 0;
    std::vector<Edge*> m_freeStack;
  };

  // An edge of the current row in the sorted active array.
  struct ActiveEdge {
    float x;
    float dx;
    int yEnd;
  };

  void reset(int width, int height);
  void buildEdgeList(const TavPoint* points, int count);
  void makeEdgeRec(const TavPoint& p1, const TavPoint& p2);
  void updateActiveList(int scan);
  void processScan(int scan);

  EdgePool m_edgePool;
  std::vector<Edge*> m_edgeTable;
  std::vector<ActiveEdge> m_active;    // edges of the current row, in row order
  std::vector<ActiveEdge> m_incoming;  // edges that begin on the current row
  // An edge waiting to be filed under its first row; seq is its build order.
  struct PendingEdge {
    int row;
    float x;
    int seq;
    Edge* edge;
  };
  std::vector<PendingEdge> m_pending;
  int m_scanRows = 0;      // rows 0 .. m_scanRows - 1 are scanned
  bool m_tooLong = false;  // the list would pass kRleMaxWords
};

/// @}

}  // namespace NTavGeometry
