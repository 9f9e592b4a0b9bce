#include "Svg.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>

#include "Common.h"

namespace tavgeo {
namespace {

constexpr double kPlotMax = 760.0;  // longest side of the plot area, SVG pixels
constexpr double kLeft = 70.0;
constexpr double kTop = 56.0;
constexpr double kBottom = 24.0;
constexpr double kLegendWidth = 300.0;

// Coordinates written to the document: two decimals, always finite.
std::string num(double v) {
  if (!std::isfinite(v)) v = 0.0;
  v = std::max(-1e7, std::min(1e7, v));
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string s = buf;
  // Drop trailing zeros for a smaller file.
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

bool finitePoint(const TavPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Tick step of about `span` / 8, a 1, 2 or 5 times a power of ten.
double niceStep(double span) {
  const double raw = span / 8.0;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  const double m = raw / p;
  return (m < 1.5 ? 1.0 : m < 3.5 ? 2.0 : m < 7.5 ? 5.0 : 10.0) * p;
}

std::string tickLabel(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.10g", std::fabs(v) < 1e-12 ? 0.0 : v);
  return buf;
}

// Colour of scan line i of n: blue to red through purple.
std::string rampColor(std::size_t i, std::size_t n) {
  const double t = n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0;
  const int r = static_cast<int>(30 + t * 200);
  const int g = static_cast<int>(90 - t * 60);
  const int b = static_cast<int>(220 - t * 190);
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", r, g, b);
  return buf;
}

// Clips the infinite line through a and b to the box; false if it misses.
bool clipInfiniteLine(const TavPoint& a, const TavPoint& b, double x0, double y0, double x1, double y1,
                      TavPoint* c, TavPoint* d) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0.0 && dy == 0.0)) return false;
  double t0 = -1e300, t1 = 1e300;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - x0, x1 - a.x, a.y - y0, y1 - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
  }
  if (!(t0 <= t1)) return false;
  *c = TavPoint(a.x + t0 * dx, a.y + t0 * dy);
  *d = TavPoint(a.x + t1 * dx, a.y + t1 * dy);
  return finitePoint(*c) && finitePoint(*d);
}

}  // namespace

std::string xmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += (u >= 0x20 && u < 0x7f) ? c : '?';
    }
  }
  return out;
}

namespace {

[[noreturn]] void cannotWrite(const std::string& path, int error) {
  throw ToolFailure("cannot write " + quoteForMessage(path, 200) + ": " + std::strerror(error));
}

// Writes content to the open stream f and closes it; throws ToolFailure naming
// path with the first error of the write, the flush or the close.
void writeStream(std::FILE* f, const std::string& path, const std::string& content) {
  errno = 0;
  const bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size() && std::fflush(f) == 0;
  const int writeErrno = errno;
  const bool closed = std::fclose(f) == 0;
  if (!ok || !closed) cannotWrite(path, writeErrno != 0 ? writeErrno : errno);
}

// The temporary file being written, removed when a signal ends the tool
// before it is renamed (Ctrl-C, kill, the file size limit): unlink and raise
// are safe in a signal handler.
char gPending[4096];
volatile std::sig_atomic_t gHavePending = 0;
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};

extern "C" void removePendingAndEnd(int signal) {
  if (gHavePending != 0) ::unlink(gPending);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// One temporary file, removed when the guard ends before kept() (a failed
// write or rename) and, through the handlers it holds meanwhile, when a signal
// ends the tool. A signal the tool was started ignoring (nohup, a background
// job) stays ignored.
class PendingFile {
 public:
  explicit PendingFile(std::string name) : m_name(std::move(name)) {
    if (m_name.size() >= sizeof gPending) return;
    std::memcpy(gPending, m_name.c_str(), m_name.size() + 1);
    gHavePending = 1;
    struct sigaction action {};
    action.sa_handler = removePendingAndEnd;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
      ::sigaction(kEndingSignals[i], nullptr, &m_old[i]);
      m_set[i] = m_old[i].sa_handler != SIG_IGN && ::sigaction(kEndingSignals[i], &action, nullptr) == 0;
    }
  }
  ~PendingFile() {
    if (!m_kept) std::remove(m_name.c_str());
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
      if (m_set[i]) ::sigaction(kEndingSignals[i], &m_old[i], nullptr);
    gHavePending = 0;
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  const std::string& name() const { return m_name; }
  void kept() { m_kept = true; }  // renamed into place

 private:
  std::string m_name;
  bool m_kept = false;
  struct sigaction m_old[std::size(kEndingSignals)] {};
  bool m_set[std::size(kEndingSignals)] {};
};

}  // namespace

void writeFileAtomically(const std::string& path, const std::string& content,
                         const std::function<void()>& beforeReplacing) {
  struct stat st {};
  const bool exists = ::lstat(path.c_str(), &st) == 0;
  // A link, a pipe or a device is written through, as the shell's > would;
  // replacing it would destroy it.
  if (exists && !S_ISREG(st.st_mode)) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) cannotWrite(path, errno);
    writeStream(f, path, content);
    if (beforeReplacing) beforeReplacing();
    return;
  }
  // A file the user may not write stays as it is; a replaced file keeps its mode.
  if (exists && ::access(path.c_str(), W_OK) != 0) cannotWrite(path, errno);
  // The temporary file is created anew beside the target (mkstemp opens with
  // O_EXCL, so it never writes through a file or link already there), and its
  // short name fits wherever the target's name does.
  const std::size_t slash = path.rfind('/');
  std::string name = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + ".tavgeo-XXXXXX";
  const int fd = ::mkstemp(&name[0]);
  if (fd < 0) cannotWrite(path, errno);
  PendingFile pending(std::move(name));
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~mask);
  std::FILE* f = ::fchmod(fd, mode) == 0 ? ::fdopen(fd, "wb") : nullptr;
  if (f == nullptr) {
    const int e = errno;
    ::close(fd);
    cannotWrite(path, e);
  }
  writeStream(f, path, content);
  if (beforeReplacing) beforeReplacing();
  if (std::rename(pending.name().c_str(), path.c_str()) != 0) cannotWrite(path, errno);
  pending.kept();
}

SvgPicture::SvgPicture(std::string title) : m_title(std::move(title)) {}

void SvgPicture::include(const TavPoint& p) {
  if (!finitePoint(p)) return;
  includeBox(p.x, p.y, p.x, p.y);
}

void SvgPicture::includeBox(double x0, double y0, double x1, double y1) {
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  if (!m_hasBox) {
    m_x0 = x0, m_y0 = y0, m_x1 = x1, m_y1 = y1;
    m_hasBox = true;
    return;
  }
  m_x0 = std::min(m_x0, x0);
  m_y0 = std::min(m_y0, y0);
  m_x1 = std::max(m_x1, x1);
  m_y1 = std::max(m_y1, y1);
}

SvgPicture::Layer& SvgPicture::newLayer(Kind kind, const std::string& color, const std::string& label) {
  m_layers.push_back(Layer{kind, color, label, false, false, {}, 0});
  return m_layers.back();
}

void SvgPicture::addPoints(const std::vector<TavPoint>& points, const std::string& color,
                           const std::string& label) {
  Layer& l = newLayer(Kind::Points, color, label);
  l.total = points.size();
  for (std::size_t i = 0; i < points.size() && i < kMaxDrawn; ++i) {
    if (!finitePoint(points[i])) continue;
    l.values.push_back(points[i].x);
    l.values.push_back(points[i].y);
    include(points[i]);
  }
}

void SvgPicture::addCrosses(const std::vector<TavPoint>& points, const std::string& color,
                            const std::string& label) {
  addPoints(points, color, label);
  m_layers.back().kind = Kind::Crosses;
}

void SvgPicture::addInfiniteLine(const TavLine& line, const std::string& color, const std::string& label,
                                 bool dashed) {
  Layer& l = newLayer(Kind::InfiniteLine, color, label);
  l.dashed = dashed;
  l.total = 1;
  l.values = {line.p1.x, line.p1.y, line.p2.x, line.p2.y};
}

void SvgPicture::addCircle(const TavCircle& circle, const std::string& color, const std::string& label,
                           bool dashed) {
  Layer& l = newLayer(Kind::Circle, color, label);
  l.dashed = dashed;
  l.total = 1;
  if (!finitePoint(circle.center) || !std::isfinite(circle.radius)) return;
  l.values = {circle.center.x, circle.center.y, std::fabs(circle.radius)};
  const double r = std::fabs(circle.radius);
  includeBox(circle.center.x - r, circle.center.y - r, circle.center.x + r, circle.center.y + r);
}

void SvgPicture::addPolyline(const std::vector<TavPoint>& points, bool closed, const std::string& color,
                             const std::string& label, bool dashed) {
  Layer& l = newLayer(Kind::Polyline, color, label);
  l.dashed = dashed;
  l.closed = closed;
  l.total = points.size();
  for (std::size_t i = 0; i < points.size() && i < kMaxDrawn; ++i) {
    if (!finitePoint(points[i])) continue;
    l.values.push_back(points[i].x);
    l.values.push_back(points[i].y);
    include(points[i]);
  }
}

void SvgPicture::addScanLines(const std::vector<TavLine>& lines, const std::string& label) {
  Layer& l = newLayer(Kind::ScanLines, "#1e5adc", label);
  l.total = lines.size();
  for (std::size_t i = 0; i < lines.size() && i < kMaxDrawn; ++i) {
    const TavLine& s = lines[i];
    if (!finitePoint(s.p1) || !finitePoint(s.p2)) continue;
    l.values.insert(l.values.end(), {s.p1.x, s.p1.y, s.p2.x, s.p2.y, static_cast<double>(i)});
    include(s.p1);
    include(s.p2);
  }
}

void SvgPicture::addRuns(const std::vector<PixelRun>& runs, const std::string& color,
                         const std::string& label) {
  Layer& l = newLayer(Kind::Runs, color, label);
  l.total = runs.size();
  for (std::size_t i = 0; i < runs.size() && i < kMaxDrawn; ++i) {
    const double x = runs[i].x;
    const double y = runs[i].y;
    const double w = static_cast<double>(runs[i].extent) + 1.0;
    l.values.insert(l.values.end(), {x, y, w});
    includeBox(x, y, x + w, y + 1.0);
  }
}

void SvgPicture::addPixels(const std::vector<TavIPoint>& pixels, const std::string& color,
                           const std::string& label) {
  Layer& l = newLayer(Kind::Pixels, color, label);
  l.total = pixels.size();
  for (std::size_t i = 0; i < pixels.size() && i < kMaxDrawn; ++i) {
    l.values.push_back(pixels[i].x);
    l.values.push_back(pixels[i].y);
    includeBox(pixels[i].x, pixels[i].y, pixels[i].x + 1.0, pixels[i].y + 1.0);
  }
}

void SvgPicture::addRect(double x, double y, double width, double height, const std::string& color,
                         const std::string& label, bool dashed, bool widenView) {
  Layer& l = newLayer(Kind::Rect, color, label);
  l.dashed = dashed;
  l.total = 1;
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(width) || !std::isfinite(height)) return;
  l.values = {x, y, width, height};
  if (widenView) includeBox(x, y, x + width, y + height);
}

void SvgPicture::addNote(const std::string& text) { m_notes.push_back(text); }

std::string SvgPicture::render() const {
  // World window: everything included, plus a margin; never empty.
  double x0 = m_hasBox ? m_x0 : 0.0, y0 = m_hasBox ? m_y0 : 0.0;
  double x1 = m_hasBox ? m_x1 : 1.0, y1 = m_hasBox ? m_y1 : 1.0;
  const double span = std::max({x1 - x0, y1 - y0, 1.0});
  const double margin = std::max(span * 0.06, 0.5);
  x0 -= margin, y0 -= margin, x1 += margin, y1 += margin;
  if (x1 - x0 < 2.0) x0 -= 1.0, x1 += 1.0;
  if (y1 - y0 < 2.0) y0 -= 1.0, y1 += 1.0;
  const double scale = kPlotMax / std::max(x1 - x0, y1 - y0);
  const double pw = (x1 - x0) * scale;
  const double ph = (y1 - y0) * scale;
  auto X = [&](double x) { return kLeft + (x - x0) * scale; };
  auto Y = [&](double y) { return kTop + (y - y0) * scale; };

  const double legendX = kLeft + pw + 24.0;
  const double legendRows = static_cast<double>(m_layers.size() + m_notes.size()) + 2.0;
  std::size_t longest = 0;  // characters of the longest legend text
  for (const Layer& l : m_layers)
    longest = std::max(longest, l.label.size() + (l.total > kMaxDrawn ? 40 : 4));
  for (const std::string& note : m_notes) longest = std::max(longest, note.size());
  const double width = legendX + std::max(kLegendWidth, 7.0 * static_cast<double>(longest) + 20.0);
  const double height = std::max(kTop + ph + kBottom, kTop + legendRows * 20.0 + 20.0);

  std::string s;
  s.reserve(4096);
  s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(width) + "\" height=\"" + num(height) +
       "\" viewBox=\"0 0 " + num(width) + " " + num(height) +
       "\" font-family=\"sans-serif\" font-size=\"12\">\n";
  s += "<title>" + xmlEscape(m_title) + "</title>\n";
  s += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  s += "<defs><clipPath id=\"plot\"><rect x=\"" + num(kLeft) + "\" y=\"" + num(kTop) + "\" width=\"" +
       num(pw) + "\" height=\"" + num(ph) + "\"/></clipPath></defs>\n";
  s += "<text x=\"" + num(kLeft) + "\" y=\"18\" font-size=\"15\" font-weight=\"bold\">" + xmlEscape(m_title) +
       "</text>\n";

  // Grid and axes: x grows to the right along the top edge, y grows downward.
  const double step = niceStep(std::max(x1 - x0, y1 - y0));
  s += "<g id=\"axes\" stroke=\"#dddddd\" stroke-width=\"1\">\n";
  const bool pixelGrid = (x1 - x0) <= 100.0 && (y1 - y0) <= 100.0 && step > 1.0;
  if (pixelGrid) {
    for (double gx = std::ceil(x0); gx <= x1; gx += 1.0)
      s += "<line x1=\"" + num(X(gx)) + "\" y1=\"" + num(kTop) + "\" x2=\"" + num(X(gx)) + "\" y2=\"" +
           num(kTop + ph) + "\" stroke=\"#f0f0f0\"/>\n";
    for (double gy = std::ceil(y0); gy <= y1; gy += 1.0)
      s += "<line x1=\"" + num(kLeft) + "\" y1=\"" + num(Y(gy)) + "\" x2=\"" + num(kLeft + pw) + "\" y2=\"" +
           num(Y(gy)) + "\" stroke=\"#f0f0f0\"/>\n";
  }
  std::string labels;
  for (double k = std::ceil(x0 / step); k * step <= x1; k += 1.0) {
    const double gx = k * step;
    s += "<line x1=\"" + num(X(gx)) + "\" y1=\"" + num(kTop) + "\" x2=\"" + num(X(gx)) + "\" y2=\"" +
         num(kTop + ph) + "\"" + (gx == 0.0 ? " stroke=\"#888888\"" : "") + "/>\n";
    labels += "<text x=\"" + num(X(gx)) + "\" y=\"" + num(kTop - 6) + "\" text-anchor=\"middle\">" +
              tickLabel(gx) + "</text>\n";
  }
  for (double k = std::ceil(y0 / step); k * step <= y1; k += 1.0) {
    const double gy = k * step;
    s += "<line x1=\"" + num(kLeft) + "\" y1=\"" + num(Y(gy)) + "\" x2=\"" + num(kLeft + pw) + "\" y2=\"" +
         num(Y(gy)) + "\"" + (gy == 0.0 ? " stroke=\"#888888\"" : "") + "/>\n";
    labels += "<text x=\"" + num(kLeft - 6) + "\" y=\"" + num(Y(gy) + 4) + "\" text-anchor=\"end\">" +
              tickLabel(gy) + "</text>\n";
  }
  s += "</g>\n<g id=\"ticks\" fill=\"#444444\">\n" + labels;
  s += "<text x=\"" + num(kLeft + pw) + "\" y=\"" + num(kTop - 22) +
       "\" text-anchor=\"end\">x \xe2\x86\x92</text>\n";
  // Below the plot's lower left corner, clear of the lowest tick label.
  s += "<text x=\"" + num(kLeft - 6) + "\" y=\"" + num(kTop + ph + 18) +
       "\" text-anchor=\"end\">y \xe2\x86\x93</text>\n";
  s += "</g>\n";

  // Layers, in the order they were added.
  const double dotR = 3.0;
  s += "<g id=\"data\" clip-path=\"url(#plot)\">\n";
  for (const Layer& l : m_layers) {
    const std::string dash = l.dashed ? " stroke-dasharray=\"6 4\"" : "";
    const std::vector<double>& v = l.values;
    switch (l.kind) {
      case Kind::Points:
        s += "<g fill=\"" + l.color + "\">\n";
        for (std::size_t i = 0; i + 1 < v.size(); i += 2)
          s += "<circle cx=\"" + num(X(v[i])) + "\" cy=\"" + num(Y(v[i + 1])) + "\" r=\"" + num(dotR) +
               "\"/>\n";
        s += "</g>\n";
        break;
      case Kind::Crosses: {
        s += "<path fill=\"none\" stroke=\"" + l.color + "\" stroke-width=\"2\" d=\"";
        for (std::size_t i = 0; i + 1 < v.size(); i += 2) {
          const double cx = X(v[i]), cy = Y(v[i + 1]), r = 5.0;
          s += "M" + num(cx - r) + " " + num(cy - r) + "L" + num(cx + r) + " " + num(cy + r) + "M" +
               num(cx - r) + " " + num(cy + r) + "L" + num(cx + r) + " " + num(cy - r);
        }
        s += "\"/>\n";
        break;
      }
      case Kind::InfiniteLine: {
        TavPoint c, d;
        if (v.size() == 4 &&
            clipInfiniteLine(TavPoint(v[0], v[1]), TavPoint(v[2], v[3]), x0, y0, x1, y1, &c, &d)) {
          s += "<line x1=\"" + num(X(c.x)) + "\" y1=\"" + num(Y(c.y)) + "\" x2=\"" + num(X(d.x)) +
               "\" y2=\"" + num(Y(d.y)) + "\" stroke=\"" + l.color + "\" stroke-width=\"2\"" + dash + "/>\n";
        }
        break;
      }
      case Kind::Circle:
        if (v.size() == 3) {
          s += "<circle cx=\"" + num(X(v[0])) + "\" cy=\"" + num(Y(v[1])) + "\" r=\"" + num(v[2] * scale) +
               "\" fill=\"none\" stroke=\"" + l.color + "\" stroke-width=\"2\"" + dash + "/>\n";
        }
        break;
      case Kind::Polyline: {
        if (v.size() < 4) break;
        s += l.closed ? "<polygon" : "<polyline";
        s += " fill=\"none\" stroke=\"" + l.color + "\" stroke-width=\"1.5\"" + dash + " points=\"";
        for (std::size_t i = 0; i + 1 < v.size(); i += 2) s += num(X(v[i])) + "," + num(Y(v[i + 1])) + " ";
        s += "\"/>\n";
        break;
      }
      case Kind::ScanLines: {
        const std::size_t n = v.size() / 5;
        for (std::size_t i = 0; i < n; ++i) {
          const double* q = &v[i * 5];
          const std::string c = rampColor(i, n);
          s += "<line x1=\"" + num(X(q[0])) + "\" y1=\"" + num(Y(q[1])) + "\" x2=\"" + num(X(q[2])) +
               "\" y2=\"" + num(Y(q[3])) + "\" stroke=\"" + c + "\" stroke-width=\"1.2\"/>";
          s += "<circle cx=\"" + num(X(q[0])) + "\" cy=\"" + num(Y(q[1])) + "\" r=\"1.8\" fill=\"" + c +
               "\"/>\n";
        }
        if (n > 0) {
          s += "<text x=\"" + num(X(v[0])) + "\" y=\"" + num(Y(v[1]) - 5) + "\" fill=\"" + rampColor(0, n) +
               "\">0</text>\n";
          const double* q = &v[(n - 1) * 5];
          s += "<text x=\"" + num(X(q[0])) + "\" y=\"" + num(Y(q[1]) - 5) + "\" fill=\"" +
               rampColor(n - 1, n) + "\">" + std::to_string(static_cast<long>(q[4])) + "</text>\n";
        }
        break;
      }
      case Kind::Runs: {
        s += "<path fill=\"" + l.color + "\" fill-opacity=\"0.45\" d=\"";
        for (std::size_t i = 0; i + 2 < v.size(); i += 3) {
          s += "M" + num(X(v[i])) + " " + num(Y(v[i + 1])) + "h" + num(v[i + 2] * scale) + "v" + num(scale) +
               "h" + num(-v[i + 2] * scale) + "z";
        }
        s += "\"/>\n";
        break;
      }
      case Kind::Pixels: {
        s += "<path fill=\"" + l.color + "\" fill-opacity=\"0.85\" d=\"";
        for (std::size_t i = 0; i + 1 < v.size(); i += 2) {
          s += "M" + num(X(v[i])) + " " + num(Y(v[i + 1])) + "h" + num(scale) + "v" + num(scale) + "h" +
               num(-scale) + "z";
        }
        s += "\"/>\n";
        break;
      }
      case Kind::Rect:
        if (v.size() == 4) {
          s += "<rect x=\"" + num(X(v[0])) + "\" y=\"" + num(Y(v[1])) + "\" width=\"" + num(v[2] * scale) +
               "\" height=\"" + num(v[3] * scale) + "\" fill=\"none\" stroke=\"" + l.color +
               "\" stroke-width=\"1.5\"" + dash + "/>\n";
        }
        break;
    }
  }
  s += "</g>\n";
  s += "<rect x=\"" + num(kLeft) + "\" y=\"" + num(kTop) + "\" width=\"" + num(pw) + "\" height=\"" +
       num(ph) + "\" fill=\"none\" stroke=\"#444444\"/>\n";

  // Legend: one row per layer, then the notes.
  s += "<g id=\"legend\">\n";
  double ly = kTop + 4.0;
  s += "<text x=\"" + num(legendX) + "\" y=\"" + num(ly + 8) + "\" font-weight=\"bold\">Legend</text>\n";
  ly += 22.0;
  for (const Layer& l : m_layers) {
    const double sx = legendX, sy = ly;
    const std::string dash = l.dashed ? " stroke-dasharray=\"6 4\"" : "";
    switch (l.kind) {
      case Kind::Points:
        s += "<circle cx=\"" + num(sx + 10) + "\" cy=\"" + num(sy) + "\" r=\"3\" fill=\"" + l.color + "\"/>";
        break;
      case Kind::Crosses:
        s += "<path d=\"M" + num(sx + 5) + " " + num(sy - 5) + "L" + num(sx + 15) + " " + num(sy + 5) + "M" +
             num(sx + 5) + " " + num(sy + 5) + "L" + num(sx + 15) + " " + num(sy - 5) + "\" stroke=\"" +
             l.color + "\" stroke-width=\"2\"/>";
        break;
      case Kind::Runs:
      case Kind::Pixels:
        s += "<rect x=\"" + num(sx + 4) + "\" y=\"" + num(sy - 6) + "\" width=\"12\" height=\"12\" fill=\"" +
             l.color + "\" fill-opacity=\"" + (l.kind == Kind::Runs ? "0.45" : "0.85") + "\"/>";
        break;
      case Kind::ScanLines:
        s += "<line x1=\"" + num(sx) + "\" y1=\"" + num(sy) + "\" x2=\"" + num(sx + 9) + "\" y2=\"" +
             num(sy) + "\" stroke=\"" + rampColor(0, 2) + "\" stroke-width=\"2\"/><line x1=\"" +
             num(sx + 10) + "\" y1=\"" + num(sy) + "\" x2=\"" + num(sx + 20) + "\" y2=\"" + num(sy) +
             "\" stroke=\"" + rampColor(1, 2) + "\" stroke-width=\"2\"/>";
        break;
      default:
        s += "<line x1=\"" + num(sx) + "\" y1=\"" + num(sy) + "\" x2=\"" + num(sx + 20) + "\" y2=\"" +
             num(sy) + "\" stroke=\"" + l.color + "\" stroke-width=\"2\"" + dash + "/>";
    }
    std::string label = l.label;
    const std::size_t kept = l.kind == Kind::ScanLines ? l.values.size() / 5
                             : l.kind == Kind::Runs    ? l.values.size() / 3
                             : (l.kind == Kind::Points || l.kind == Kind::Crosses || l.kind == Kind::Pixels ||
                                l.kind == Kind::Polyline)
                                 ? l.values.size() / 2
                                 : l.total;
    if (kept < l.total && l.total > kMaxDrawn) {
      label += " (first " + std::to_string(kMaxDrawn) + " of " + std::to_string(l.total) + " drawn)";
    }
    s += "<text x=\"" + num(sx + 28) + "\" y=\"" + num(sy + 4) + "\">" + xmlEscape(label) + "</text>\n";
    ly += 20.0;
  }
  ly += 6.0;
  for (const std::string& note : m_notes) {
    s += "<text x=\"" + num(legendX) + "\" y=\"" + num(ly + 4) + "\" fill=\"#333333\">" + xmlEscape(note) +
         "</text>\n";
    ly += 20.0;
  }
  s += "<text x=\"" + num(legendX) + "\" y=\"" + num(ly + 8) +
       "\" fill=\"#777777\" font-size=\"11\">image coordinates: x right, y down</text>\n";
  s += "</g>\n</svg>\n";
  return s;
}

}  // namespace tavgeo
