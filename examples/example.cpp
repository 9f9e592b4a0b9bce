// Uses the installed library: a few measurements printed to stdout.
#include <TavGeometry/TavGeometry.h>
#include <TavLog/TavLog.h>

#include <cstdio>

int main() {
  using namespace NTavGeometry;
  std::printf("TavGeometry %s\n", TAVGEOMETRY_VERSION_STRING);
  const TavPoint a(0.0, 0.0), b(3.0, 4.0);
  std::printf("distance (0,0)-(3,4): %g\n", pointPointDist(a, b));
  std::printf("angle    (0,0)->(0,1): %g rad\n", pointPointAngle(a, TavPoint(0.0, 1.0)));
  const TavPoint pts[] = {TavPoint(2.9, 3.1), TavPoint(5.5, 7.9)};
  TavRect box;
  pointsToBBox(pts, 2, &box);
  std::printf("bounding box: x %g y %g w %g h %g\n", box.x, box.y, box.width, box.height);
  std::printf("normalizeAngle0To2Pi(-0.5) = %.15g\n", normalizeAngle0To2Pi(-0.5));
  CTavLog log;  // the logging library is installed alongside
  (void)log;
  return 0;
}
