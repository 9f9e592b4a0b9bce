/// \file
/// \brief TavGeometry: plane geometry for raster-image applications.
///
/// Including this header gives every type, function and class of the library.
#pragma once

// The family headers in the order they build on each other.
// clang-format off
#include <TavGeometry/TavGeometryExport.h>
#include <TavGeometry/TavGeometryVersion.h>
#include <TavGeometry/TavTypes.h>
#include <TavGeometry/TavGeoScalar.h>
#include <TavGeometry/TavGeoPoint.h>
#include <TavGeometry/TavGeoLine.h>
#include <TavGeometry/TavGeoRect.h>
#include <TavGeometry/TavRotator.h>
#include <TavGeometry/TavGeoCircle.h>
#include <TavGeometry/TavGeoArc.h>
#include <TavGeometry/TavGeoPolygon.h>
#include <TavGeometry/TavGeoScan.h>
#include <TavGeometry/TavGeoFit.h>
#include <TavGeometry/TavGeoRleCalc.h>
#include <TavGeometry/TavGeoRegion.h>
// clang-format on

/// \namespace NTavGeometry
/// \brief Every function, class and constant of TavGeometry (the plain value
/// types of TavTypes.h are global).
///
/// Coordinates are pixels (x the column, y the row, growing downward); angles
/// are radians, positive from +x toward +y (clockwise on screen). Every call
/// returns on any input, NaN and infinities included; what a failed call writes
/// is stated with each function.
