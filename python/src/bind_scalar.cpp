// Angle and scalar helpers.
#include <TavGeometry/TavGeoScalar.h>

#include <vector>

#include "common.h"

namespace tgpy {

using namespace NTavGeometry;

void bindScalar(py::module_& m) {
  defReal(m, "deg_to_rad", &degToRad, "Degrees times pi/180.", "angle");
  defReal(m, "rad_to_deg", &radToDeg, "Radians times 180/pi.", "angle");
  defReal(m, "normalize_angle_minus_pi_to_pi", &normalizeAngleMinusPiToPi,
          "Folds an angle into [-pi, pi); an angle already inside comes back unchanged; NaN and\n"
          "infinities give NaN.",
          "angle");
  defReal(m, "normalize_angle_minus_2pi_to_2pi", &normalizeAngleMinus2PiTo2Pi,
          "Brings an angle into [-2 pi, 2 pi) (not unique). NaN and infinities give NaN.", "angle");
  defReal(m, "normalize_angle_0_to_2pi", &normalizeAngle0To2Pi,
          "Folds an angle into [0, 2 pi). NaN and infinities give NaN.", "angle");
  defReal(m, "normalize_angle_0_to_pi", &normalizeAngle0ToPi,
          "Folds an angle into [0, pi): an undirected orientation. NaN and infinities give NaN.", "angle");
  defReal(m, "normalize_angle_minus_piby2_to_piby2", &normalizeAngleMinusPiby2ToPiby2,
          "Folds an angle into [-pi/2, pi/2), modulo pi. NaN and infinities give NaN.", "angle");
  m.def(
      "solve_quadratic_abc_formula",
      [](RealArg a, RealArg b, RealArg c) {
        double roots[2] = {0.0, 0.0};
        int count = 0;
        solveQuadraticAbcFormula(toReal(a, "a"), toReal(b, "b"), toReal(c, "c"), roots, &count);
        py::tuple out(count);
        for (int i = 0; i < count; ++i) out[i] = py::float_(roots[i]);
        return out;
      },
      py::arg("a"), py::arg("b"), py::arg("c"),
      "Real roots of a*x^2 + b*x + c = 0 as a tuple of 0, 1 or 2 floats: (-b + sqrt D)/2a first;\n"
      "|D| < 1e-5 gives the one root -b/2a; a = 0 solves b*x + c = 0.");
  m.def(
      "average_angles",
      [](ArrayArg angles) {
        // Held to a 1-D array of a real dtype: an object array is a TypeError too
        // (None had been read as NaN).
        const char* expected = "a 1-D sequence of real numbers";
        py::array raw = arrayArgument(angles, "angles", expected);
        const char kind = raw.dtype().kind();
        if (kind != 'f' && kind != 'i' && kind != 'u') throwType("angles", expected, angles);
        if (raw.ndim() != 1) throwValue(std::string("angles must be ") + expected);
        refuseCopyOver(raw, "angles", kMaxResultElements);
        refuseBeyondDouble(raw, "angles");
        auto a = ensureArray<double>(raw);
        std::vector<double> copy(a.data(), a.data() + a.size());
        GilRelease release;
        return averageAngles(copy.data(), static_cast<int>(copy.size()));
      },
      py::arg("angles"),
      "Mean direction atan2(sum sin, sum cos) in [-pi, pi], radians; a single angle comes back unchanged\n"
      "(not folded: [7.0] gives 7.0), no angles give 0.");
  defReal(m, "parabola_fit", &parabolaFit,
          "Offset of the vertex of the parabola through (-1, s0), (0, s1), (1, s2) from the middle\n"
          "sample; 0 for collinear samples. Not clamped.",
          "s0", "s1", "s2");
  defReal(m, "bilinear_interpolate", &bilinearInterpolate,
          "Bilinear interpolation at fractions (fx, fy) between c00 (x0, y0), c10 (x1, y0), c01 (x0, y1)\n"
          "and c11 (x1, y1); fractions outside 0..1 extrapolate.", "fx", "fy", "c00", "c10", "c01", "c11");
}

}  // namespace tgpy
