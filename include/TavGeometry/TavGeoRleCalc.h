// Region calculators: a disk, an annulus or a polygon on a width x height image
// turned into a run-length list, and the perimeter pixels of such a list.
//
// Run-length list (std::vector<int>):
//   header  [0] image width, [1] image height, [2] first column, [3] last column,
//           [4] first row, [5] last row (of the bounding box, last ones included);
//   records row y, then runs (x, extent) covering columns x .. x + extent, then -1;
//           records in strictly ascending row order;
//   end     a final -1 (so a list with rows ends in -1, -1).
#pragma once

#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavTypes.h>

#include <vector>

namespace NTavGeometry {

// Base of the region calculators: holds the last list, its bounding box and a
// cache of the last computed call. The base itself computes nothing.
class TAVGEOMETRY_EXPORT CTavGeoRleCalc {
 public:
  CTavGeoRleCalc();
  virtual ~CTavGeoRleCalc();
  CTavGeoRleCalc(const CTavGeoRleCalc&) = delete;
  CTavGeoRleCalc& operator=(const CTavGeoRleCalc&) = delete;

  // Computes the region of the first `count` points on a width x height image,
  // unless the call equals the cached last one byte for byte. Concrete
  // calculators always return true; the base returns false and changes nothing.
  virtual bool calculate(int width, int height, const TavPoint* points, int count);

  // The run-length list of the last computation (empty before the first).
  const std::vector<int>& rle() { return m_rle; }
  // The bounding box of the last computed region.
  const TavRect& boundingBox() { return m_boundingBox; }

  // True when width, height, count and the bytes of the points equal the cached
  // last call (0.0 and -0.0 differ; an identical NaN matches).
  bool compareWithLastComputedCoords(int width, int height, const TavPoint* points, int count);
  // Records the call as the cache key.
  void storeComputedCoords(int width, int height, const TavPoint* points, int count);

  // Boundary pixels of a run-length list in list order: both end pixels of every
  // run and each interior pixel whose column the record above or below leaves
  // uncovered. See docs/DECISIONS.md for lists with negative rows or columns.
  static std::vector<TavIPoint> calculatePerimiterPoints(const int* rle);

 protected:
  int m_width;
  int m_height;
  std::vector<int> m_rle;
  TavRect m_boundingBox;
  int m_lastWidth;
  int m_lastHeight;
  std::vector<TavPoint> m_lastCoords;

 private:
  static void findPerimiterPoints(std::vector<TavIPoint>* result, std::vector<int>* previous,
                                  std::vector<int>* current, std::vector<int>* next, int y);
  static bool isInSegments(int x, std::vector<int>* segments);
};

}  // namespace NTavGeometry
