// The shoelace area summed term by term in floating point, as first written.
#pragma once

#include <TavGeometry/TavTypes.h>

namespace tavref {

double polygonAreaLiteral(const TavPoint* vertices, unsigned int count);

}  // namespace tavref
