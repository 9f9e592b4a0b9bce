// A small SVG writer for the tool's pictures: image coordinates (x to the
// right, y downward) with axes, a pixel grid when zoomed in, and a legend.
#pragma once

#include <TavGeometry/TavTypes.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tavgeo {

// A horizontal run of pixels: columns x .. x + extent of row y.
struct PixelRun {
  int y;
  int x;
  int extent;
};

class SvgPicture {
 public:
  explicit SvgPicture(std::string title);

  // Widens the drawn area so that it shows this point or box.
  void include(const TavPoint& p);
  void includeBox(double x0, double y0, double x1, double y1);

  void addPoints(const std::vector<TavPoint>& points, const std::string& color, const std::string& label);
  void addCrosses(const std::vector<TavPoint>& points, const std::string& color, const std::string& label);
  // The infinite line through line.p1 and line.p2, clipped to the picture.
  void addInfiniteLine(const TavLine& line, const std::string& color, const std::string& label,
                       bool dashed = false);
  void addCircle(const TavCircle& circle, const std::string& color, const std::string& label,
                 bool dashed = false);
  void addPolyline(const std::vector<TavPoint>& points, bool closed, const std::string& color,
                   const std::string& label, bool dashed = false);
  // Scan lines coloured from blue (first) to red (last); a dot marks each p1.
  void addScanLines(const std::vector<TavLine>& lines, const std::string& label);
  // Pixel cells [x, x+1) x [y, y+1).
  void addRuns(const std::vector<PixelRun>& runs, const std::string& color, const std::string& label);
  void addPixels(const std::vector<TavIPoint>& pixels, const std::string& color, const std::string& label);
  // widenView false: drawn where it falls inside the picture, but the picture
  // is not widened to show all of it.
  void addRect(double x, double y, double width, double height, const std::string& color,
               const std::string& label, bool dashed = false, bool widenView = true);
  // A line of text under the legend (a figure of the result).
  void addNote(const std::string& text);

  std::string render() const;

  // Items beyond this count in one layer are not drawn (the legend says so).
  static constexpr std::size_t kMaxDrawn = 200000;

 private:
  enum class Kind { Points, Crosses, InfiniteLine, Circle, Polyline, ScanLines, Runs, Pixels, Rect };
  struct Layer {
    Kind kind;
    std::string color;
    std::string label;
    bool dashed = false;
    bool closed = false;
    std::vector<double> values;  // kind-specific coordinates
    std::size_t total = 0;       // items given (may exceed those kept)
  };
  Layer& newLayer(Kind kind, const std::string& color, const std::string& label);

  std::string m_title;
  std::vector<Layer> m_layers;
  std::vector<std::string> m_notes;
  bool m_hasBox = false;
  double m_x0 = 0, m_y0 = 0, m_x1 = 0, m_y1 = 0;
};

// Escapes text for XML element content and attribute values; bytes that are
// not printable ASCII become '?', so the document is always well-formed.
std::string xmlEscape(const std::string& text);

// Writes `content` to `path` through a temporary file and a rename, so that the
// file is either complete or untouched; a file replaced keeps its mode, one the
// user may not write is refused. A path that exists as something other than a
// plain file (a symbolic link, a pipe, a device) is written through instead.
// beforeReplacing, when given, runs once the content is written and before the
// file is replaced (after the write, for a path written through); what it
// throws leaves a plain file as it was. Throws ToolFailure.
void writeFileAtomically(const std::string& path, const std::string& content,
                         const std::function<void()>& beforeReplacing = {});

}  // namespace tavgeo
