#include "reference/polygon_area_reference.h"

namespace tavref {

double polygonAreaLiteral(const TavPoint* vertices, unsigned int count) {
  if (vertices == nullptr || count < 3) return 0.0;
  double a = 0.0;
  for (unsigned int i = 0; i < count; ++i) {
    const unsigned int j = (i + 1 == count) ? 0 : i + 1;
    a += vertices[i].x * vertices[j].y;
    a -= vertices[i].y * vertices[j].x;
  }
  a = a * 0.5;
  return a < 0.0 ? -a : a;
}

}  // namespace tavref
