// Region type: construction, conversions and measurements.
#include <TavGeometry/TavGeoRegion.h>
#include <TavGeometry/TavGeoRleCalc.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "region/TavGeoRegionInternal.h"

#if defined(TAVGEO_SSE2_SCAN)
#include <emmintrin.h>
#endif

namespace NTavGeometry {

CTavGeoRegionError::CTavGeoRegionError(const std::string& what) : std::invalid_argument(what) {}
CTavGeoRegionError::~CTavGeoRegionError() = default;

namespace region_detail {

void fail(const std::string& what) { throw CTavGeoRegionError(what); }

void checkCanvas(int width, int height, const char* where) {
  if (width < 0 || height < 0)
    fail(std::string(where) + ": negative canvas size " + std::to_string(width) + " x " +
         std::to_string(height));
  if (width > kRegionMaxSide || height > kRegionMaxSide ||
      static_cast<int64_t>(width) * height > kRegionMaxPixels)
    fail(std::string(where) + ": canvas " + std::to_string(width) + " x " + std::to_string(height) +
         " exceeds the limits (side " + std::to_string(kRegionMaxSide) + ", pixels " +
         std::to_string(kRegionMaxPixels) + ")");
}

std::vector<TavRun> normalise(std::vector<TavRun> runs) {
  std::sort(runs.begin(), runs.end(),
            [](const TavRun& a, const TavRun& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
  std::vector<TavRun> out;
  out.reserve(runs.size());
  for (const TavRun& r : runs) append(&out, r.y, r.x0, r.x1);
  return out;
}

std::vector<RowSpan> rowSpans(const std::vector<TavRun>& runs) {
  std::vector<RowSpan> rows;
  for (size_t i = 0; i < runs.size();) {
    size_t j = i + 1;
    while (j < runs.size() && runs[j].y == runs[i].y) ++j;
    rows.push_back(RowSpan{runs[i].y, i, j});
    i = j;
  }
  return rows;
}

}  // namespace region_detail

using namespace region_detail;

namespace {

// Clips [x0, x1) of row y to the canvas; false when nothing is left.
bool clipRun(int64_t y, int64_t x0, int64_t x1, int width, int height, TavRun* out) {
  if (y < 0 || y >= height) return false;
  if (x0 < 0) x0 = 0;
  if (x1 > width) x1 = width;
  if (x1 <= x0) return false;
  *out = TavRun{static_cast<int>(y), static_cast<int>(x0), static_cast<int>(x1)};
  return true;
}

std::string at(size_t i) { return " at word " + std::to_string(i); }

}  // namespace

CTavGeoRegion::CTavGeoRegion() : m_width(0), m_height(0) {}

CTavGeoRegion::CTavGeoRegion(int width, int height) : m_width(width), m_height(height) {
  checkCanvas(width, height, "region");
}

CTavGeoRegion CTavGeoRegion::fromRuns(int width, int height, std::vector<TavRun> runs) {
  checkCanvas(width, height, "region runs");
  size_t kept = 0;
  for (const TavRun& r : runs) {
    TavRun c;
    if (clipRun(r.y, r.x0, r.x1, width, height, &c)) runs[kept++] = c;
  }
  runs.resize(kept);
  return CTavGeoRegionAccess::make(width, height, normalise(std::move(runs)));
}

CTavGeoRegion CTavGeoRegion::full(int width, int height) {
  return fromBox(width, height, TavRegionBox{0, 0, width, height});
}

CTavGeoRegion CTavGeoRegion::fromBox(int width, int height, const TavRegionBox& box) {
  checkCanvas(width, height, "region box");
  const int64_t x0 = std::max<int64_t>(box.x, 0), x1 = std::min<int64_t>(int64_t{box.x} + box.width, width);
  const int64_t y0 = std::max<int64_t>(box.y, 0), y1 = std::min<int64_t>(int64_t{box.y} + box.height, height);
  std::vector<TavRun> runs;
  if (x1 > x0 && y1 > y0) {
    if (y1 - y0 > kRegionMaxRuns) fail("region box: result exceeds " + runLimit());
    runs.reserve(static_cast<size_t>(y1 - y0));
    for (int64_t y = y0; y < y1; ++y)
      runs.push_back(TavRun{static_cast<int>(y), static_cast<int>(x0), static_cast<int>(x1)});
  }
  return CTavGeoRegionAccess::make(width, height, std::move(runs));
}

// ------------------------------------------------------------ run-length list

CTavGeoRegion CTavGeoRegion::fromRle(const std::vector<int>& list) {
  return fromRle(list.data(), list.size());
}

CTavGeoRegion CTavGeoRegion::fromRle(const int* l, size_t n) {
  if (l == nullptr || n < 7) fail("region list: shorter than the 6 header words and the final -1");
  const int width = l[0], height = l[1];
  checkCanvas(width, height, "region list");
  if (l[n - 1] != -1) fail("region list: missing the final -1");
  const bool negativeColumns = l[2] < 0;  // only then can a -1 be a column
  std::vector<TavRun> runs;
  size_t i = 6;
  bool haveRow = false;
  int64_t lastRow = 0;
  while (i < n - 1) {
    const int64_t y = l[i];
    if (haveRow && y <= lastRow)
      fail("region list: rows not ascending (row " + std::to_string(y) + " after " + std::to_string(lastRow) +
           ")" + at(i));
    haveRow = true;
    lastRow = y;
    ++i;
    bool first = true;
    std::vector<TavRun> row;
    for (;;) {
      if (i >= n - 1) fail("region list: record of row " + std::to_string(y) + " has no terminator -1");
      const int w = l[i];
      if (w == -1) {
        // i < n - 1 here, so l[i + 1] exists; the list's final -1 is negative too
        const bool ends = !negativeColumns || l[i + 1] < 0;
        if (first) {
          if (ends) fail("region list: record of row " + std::to_string(y) + " has no run" + at(i));
        } else if (ends || static_cast<int64_t>(l[i + 1]) == y + 1) {
          ++i;  // the record's terminator
          break;
        }
      }
      if (i + 1 >= n - 1) fail("region list: run of row " + std::to_string(y) + " cut short" + at(i));
      const int e = l[i + 1];
      if (e < 0)
        fail("region list: record of row " + std::to_string(y) + " has a negative extent (" +
             std::to_string(e) + ")" + at(i + 1));
      TavRun c;
      if (clipRun(y, w, int64_t{w} + e + 1, width, height, &c)) row.push_back(c);
      i += 2;
      first = false;
    }
    if (row.size() > 1)
      std::sort(row.begin(), row.end(), [](const TavRun& a, const TavRun& b) { return a.x0 < b.x0; });
    for (const TavRun& r : row) append(&runs, r.y, r.x0, r.x1);
  }
  return CTavGeoRegionAccess::make(width, height, std::move(runs));
}

std::vector<int> CTavGeoRegion::toRle() const {
  std::vector<int> l(6, 0);
  l[0] = m_width;
  l[1] = m_height;
  if (!m_runs.empty()) {
    const TavRegionBox b = bbox();
    l[2] = b.x;
    l[3] = b.x + b.width - 1;
    l[4] = b.y;
    l[5] = b.y + b.height - 1;
  }
  l.reserve(6 + 2 * m_runs.size() + 2 * static_cast<size_t>(m_runs.empty() ? 0 : bbox().height) + 1);
  for (size_t i = 0; i < m_runs.size(); ++i) {
    if (i == 0 || m_runs[i].y != m_runs[i - 1].y) l.push_back(m_runs[i].y);
    l.push_back(m_runs[i].x0);
    l.push_back(m_runs[i].x1 - m_runs[i].x0 - 1);
    if (i + 1 == m_runs.size() || m_runs[i + 1].y != m_runs[i].y) l.push_back(-1);
  }
  l.push_back(-1);
  return l;
}

// ------------------------------------------------------------ masks

namespace {

// The eight bytes at p as a word with a bit set in each byte that is nonzero
// (kWantNonzero) or zero; for zero bytes the test is exact for the lowest one
// (a borrow only runs upward from it), which is all findByte reads.
template <bool kWantNonzero>
inline uint64_t hits(const uint8_t* p) {
  constexpr uint64_t kLow = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
  uint64_t w;
  std::memcpy(&w, p, 8);
  return kWantNonzero ? w : (w - kLow) & ~w & kHigh;
}

// The first byte in [p, end) that is nonzero (kWantNonzero) or zero: uniform
// stretches sixteen bytes a step, then the word that holds the byte, whose
// lowest hit names it on a little-endian machine (elsewhere its bytes are
// scanned).
template <bool kWantNonzero>
inline const uint8_t* findByte(const uint8_t* p, const uint8_t* end) {
  while (end - p >= 16 && (hits<kWantNonzero>(p) | hits<kWantNonzero>(p + 8)) == 0) p += 16;
  for (; end - p >= 8; p += 8) {
    const uint64_t hit = hits<kWantNonzero>(p);
    if (hit == 0) continue;
#if defined(TAVGEO_BIT_SCAN) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    return p + (__builtin_ctzll(hit) >> 3);
#else
    break;
#endif
  }
  while (p < end && (*p != 0) != kWantNonzero) ++p;
  return p;
}

#if defined(TAVGEO_SSE2_SCAN)
// Appends the runs of one mask row, 64 bytes a step: a bit for each nonzero
// byte, and wherever a bit differs from the one before it a run starts or
// ends. A step that stays outside (inside) a run is told by one OR (minimum)
// of its four loads and one compare.
void appendRowRuns(const uint8_t* row, int width, int y, std::vector<TavRun>* runs) {
  const __m128i zero = _mm_setzero_si128();
  int start = -1;     // column of the open run
  uint64_t last = 0;  // bit of the byte before
  // Each set bit of changes, from column base on, starts or ends a run.
  const auto take = [&](uint64_t changes, int base) {
    for (; changes != 0; changes &= changes - 1) {
      const int x = base + __builtin_ctzll(changes);
      if (start < 0) {
        start = x;
        continue;
      }
      if (static_cast<int64_t>(runs->size()) >= kRegionMaxRuns) fail("region mask: more than " + runLimit());
      runs->push_back(TavRun{y, start, x});
      start = -1;
    }
  };
  // A bit for each nonzero byte of the 64 loaded into v.
  const auto bitsOf = [&](const __m128i* v) {
    uint64_t bits = 0;
    for (int k = 0; k < 4; ++k) {
      const auto zeros = static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v[k], zero)));
      bits |= static_cast<uint64_t>(static_cast<uint16_t>(~zeros)) << (16 * k);
    }
    return bits;
  };
  const auto load = [](const uint8_t* p, __m128i* v) {
    for (int k = 0; k < 4; ++k) v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
  };
  int x = 0;
  for (; width - x >= 64; x += 64) {
    __m128i v[4];
    load(row + x, v);
    // Outside a run, 64 zero bytes (their OR is 0); inside, 64 nonzero bytes
    // (their minimum is not 0): nothing changes.
    const __m128i joined = last == 0 ? _mm_or_si128(_mm_or_si128(v[0], v[1]), _mm_or_si128(v[2], v[3]))
                                     : _mm_min_epu8(_mm_min_epu8(v[0], v[1]), _mm_min_epu8(v[2], v[3]));
    const int joinedZeros = _mm_movemask_epi8(_mm_cmpeq_epi8(joined, zero));
    if (last == 0 ? joinedZeros == 0xFFFF : joinedZeros == 0) continue;
    const uint64_t bits = bitsOf(v);
    const uint64_t changes = bits ^ ((bits << 1) | last);
    last = bits >> 63;
    if (changes != 0) take(changes, x);
  }
  // The last width - x < 64 bytes in one more step: the row's last 64 bytes
  // shifted down past those already read, or, in a row narrower than 64, its
  // bytes copied into zeros. The bits past the row's end are 0, so a run open
  // there ends at width.
  if (const int tail = width - x; tail > 0) {
    __m128i v[4];
    if (width >= 64) {
      load(row + width - 64, v);
    } else {
      uint8_t pad[64] = {};
      std::memcpy(pad, row, static_cast<size_t>(width));
      load(pad, v);
    }
    const uint64_t bits = width >= 64 ? bitsOf(v) >> (64 - tail) : bitsOf(v);
    take(bits ^ ((bits << 1) | last), x);
    return;
  }
  if (start >= 0) take(1, width);  // the run open at the row's end ends there
}
#endif

}  // namespace

CTavGeoRegion CTavGeoRegion::fromMask(const uint8_t* data, int width, int height, ptrdiff_t stride) {
  checkCanvas(width, height, "region mask");
  if (stride < width)
    fail("region mask: stride " + std::to_string(stride) + " below width " + std::to_string(width));
  std::vector<TavRun> runs;
  if (width == 0 || height == 0) return CTavGeoRegionAccess::make(width, height, std::move(runs));
  if (data == nullptr) fail("region mask: null data for a non-empty canvas");
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = data + static_cast<ptrdiff_t>(y) * stride;
#if defined(TAVGEO_SSE2_SCAN)
    appendRowRuns(row, width, y, &runs);
#else
    const uint8_t* end = row + width;
    const uint8_t* p = row;
    for (;;) {
      p = findByte<true>(p, end);
      if (p == end) break;
      const uint8_t* q = findByte<false>(p + 1, end);
      if (static_cast<int64_t>(runs.size()) >= kRegionMaxRuns) fail("region mask: more than " + runLimit());
      runs.push_back(TavRun{y, static_cast<int>(p - row), static_cast<int>(q - row)});
      p = q;
      if (p == end) break;
    }
#endif
  }
  return CTavGeoRegionAccess::make(width, height, std::move(runs));
}

namespace {

// How paintMask writes a row: only the runs (the mask is already 0), the whole
// row cleared just before its runs are set (so that they are set in the nearest
// cache), or span by span, gaps and runs, each byte once (for long runs).
enum class Paint { RunsOnly, ClearRows, Spans };

// Paints the runs onto a mask whose bytes outside them are to be 0. Rows are
// done in order; rows without runs are cleared together when the rows are not
// padded. The runs are read through local pointers: the byte stores may alias
// anything, so the vector's own pointers would be loaded again after each.
void paintMask(const std::vector<TavRun>& runs, int width, int height, uint8_t* data, ptrdiff_t stride,
               uint8_t value, Paint how) {
  const size_t w = static_cast<size_t>(width);
  uint8_t fill[16], zeros[16] = {};
  std::memset(fill, value, sizeof fill);
  const TavRun* r = runs.data();
  const TavRun* const rend = r + runs.size();
  int y = 0;
  while (y < height) {
    const int next = r < rend ? r->y : height;
    if (next > y) {                  // rows y .. next - 1 hold no run
      if (how == Paint::RunsOnly) {  // already 0
      } else if (stride == width) {
        std::memset(data + static_cast<ptrdiff_t>(y) * stride, 0, w * static_cast<size_t>(next - y));
      } else {
        for (int k = y; k < next; ++k) std::memset(data + static_cast<ptrdiff_t>(k) * stride, 0, w);
      }
      y = next;
      continue;
    }
    uint8_t* row = data + static_cast<ptrdiff_t>(y) * stride;
    if (how == Paint::Spans) {
      int x = 0;
      for (; r < rend && r->y == y; ++r) {
        if (r->x0 > x) std::memset(row + x, 0, static_cast<size_t>(r->x0 - x));
        std::memset(row + r->x0, value, static_cast<size_t>(r->x1 - r->x0));
        x = r->x1;
      }
      if (x < width) std::memset(row + x, 0, static_cast<size_t>(width - x));
    } else {
      if (how == Paint::ClearRows) std::memset(row, 0, w);
      for (; r < rend && r->y == y; ++r) {
        const int x0 = r->x0, x1 = r->x1;
        if (x1 - x0 <= 32 && width - x1 >= 32) {
          // 32 bytes from the run's start, then 32 zeros from its end: the
          // zeros take back what the run wrote past its end, and the runs after
          // it (written later) take back the zeros written into them.
          std::memcpy(row + x0, fill, 16);
          std::memcpy(row + x0 + 16, fill, 16);
          std::memcpy(row + x1, zeros, 16);
          std::memcpy(row + x1 + 16, zeros, 16);
        } else {
          std::memset(row + x0, value, static_cast<size_t>(x1 - x0));
        }
      }
    }
    ++y;
  }
}

}  // namespace

void CTavGeoRegion::toMask(uint8_t* data, ptrdiff_t stride, uint8_t value) const {
  if (stride < m_width)
    fail("region mask: stride " + std::to_string(stride) + " below width " + std::to_string(m_width));
  if (m_width == 0 || m_height == 0) return;
  if (data == nullptr) fail("region mask: null data for a non-empty canvas");
  // Runs that average 512 bytes or more are cheaper written span by span. The
  // average is taken over at most 64 runs spread evenly over the list, as a
  // pass over all of them would cost a tenth of the painting; the choice only
  // decides the speed, the bytes written are the same.
  const size_t n = m_runs.size(), samples = std::min<size_t>(n, 64);
  int64_t sampled = 0;
  for (size_t k = 0; k < samples; ++k) {
    const TavRun& r = m_runs[k * n / samples];
    sampled += r.x1 - r.x0;
  }
  const bool longRuns = sampled >= 512 * static_cast<int64_t>(samples);
  paintMask(m_runs, m_width, m_height, data, stride, value, longRuns ? Paint::Spans : Paint::ClearRows);
}

std::vector<uint8_t> CTavGeoRegion::toMask() const {
  const int64_t n = static_cast<int64_t>(m_width) * m_height;
  if (n > kRegionMaxMaskBytes)
    fail("region mask: canvas exceeds the limit of " + std::to_string(kRegionMaxMaskBytes) + " pixels");
  std::vector<uint8_t> mask(static_cast<size_t>(n));  // already cleared
  paintMask(m_runs, m_width, m_height, mask.data(), m_width, 1, Paint::RunsOnly);
  return mask;
}

CTavGeoRegion CTavGeoRegion::fromPixels(int width, int height, const std::vector<TavIPoint>& pixels) {
  checkCanvas(width, height, "region pixels");
  if (static_cast<int64_t>(pixels.size()) > kRegionMaxRuns)
    fail("region pixels: more than the limit of " + std::to_string(kRegionMaxRuns) + " pixels");
  std::vector<TavRun> runs;
  runs.reserve(pixels.size());
  for (size_t i = 0; i < pixels.size(); ++i) {
    const TavIPoint& p = pixels[i];
    if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height)
      fail("region pixels: pixel " + std::to_string(i) + " (" + std::to_string(p.x) + ", " +
           std::to_string(p.y) + ") outside the canvas");
    runs.push_back(TavRun{p.y, p.x, p.x + 1});
  }
  return CTavGeoRegionAccess::make(width, height, normalise(std::move(runs)));
}

std::vector<TavIPoint> CTavGeoRegion::pixels() const {
  const int64_t n = area();
  if (static_cast<size_t>(n) > kRleMaxPerimeterPoints)
    fail("region pixels: " + std::to_string(n) + " pixels, more than " +
         std::to_string(kRleMaxPerimeterPoints));
  std::vector<TavIPoint> out;
  out.reserve(static_cast<size_t>(n));
  for (const TavRun& r : m_runs)
    for (int x = r.x0; x < r.x1; ++x) out.push_back(TavIPoint{x, r.y});
  return out;
}

// ------------------------------------------------------------ COCO

namespace region_detail {

// Runs of the transposed region: row x of the result holds the y-runs of column
// x. Each output run starts where a column run enters and ends where it leaves,
// so the sweep costs the input runs plus the output runs.
std::vector<TavRun> transposeRuns(const std::vector<TavRun>& runs, int outRows, const char* what) {
  // open[y] = column where the current run of output row y began
  std::vector<int> open(static_cast<size_t>(outRows), 0);
  std::vector<size_t> start(static_cast<size_t>(outRows) + 1, 0);
  std::vector<TavRun> out;
  // Walks the boundaries of the sorted intervals o (the previous input row) and
  // c (the current one); the parts in c only enter at col, those in o only leave.
  auto step = [&](int col, const TavRun* o, size_t on, const TavRun* c, size_t cn) {
    const int kEnd = std::numeric_limits<int>::max();
    size_t bi = 0, bj = 0;  // boundary indices: 2k is x0 of run k, 2k+1 its x1
    bool inO = false, inC = false;
    int segStart = 0;
    while (bi < 2 * on || bj < 2 * cn) {
      const int vo = bi < 2 * on ? ((bi & 1) ? o[bi / 2].x1 : o[bi / 2].x0) : kEnd;
      const int vc = bj < 2 * cn ? ((bj & 1) ? c[bj / 2].x1 : c[bj / 2].x0) : kEnd;
      const int v = std::min(vo, vc);
      if (inO != inC) {  // [segStart, v) lies in exactly one of them
        for (int y = segStart; y < v; ++y) {
          if (inC) {
            open[static_cast<size_t>(y)] = col;
          } else {
            if (static_cast<int64_t>(out.size()) >= kRegionMaxRuns)
              fail(std::string(what) + " needs more than " + runLimit());
            out.push_back(TavRun{y, open[static_cast<size_t>(y)], col});
            ++start[static_cast<size_t>(y) + 1];
          }
        }
      }
      if (vo == v) {
        inO = !inO;
        ++bi;
      }
      if (vc == v) {
        inC = !inC;
        ++bj;
      }
      segStart = v;
    }
  };
  if (runs.empty()) return out;
  // Rows of bits, when the region's box holds few 64-column words per run:
  // each input row is painted into a row of bits over the box's columns, and
  // the bits that differ from the row before are where column runs enter and
  // leave. The walk below costs a few branches per run end of two rows; this
  // costs the box's words per row and one step per changed column.
  int bx0 = runs.front().x0, bx1 = runs.front().x1;
  for (const TavRun& r : runs) bx0 = std::min(bx0, r.x0), bx1 = std::max(bx1, r.x1);
  const int y0 = runs.front().y, y1 = runs.back().y + 1;
  const size_t words = (static_cast<size_t>(bx1 - bx0) + 63) / 64;
  if (static_cast<double>(words) * (y1 - y0 + 1) <= 4.0 * static_cast<double>(runs.size())) {
    std::vector<uint64_t> before(words, 0), now(words, 0);
    // A row ends at most one column run for each column of the box: room for
    // that many (and the store of an entering column after them) is made
    // before each row.
    const size_t span = static_cast<size_t>(bx1 - bx0) + 1;
    size_t used = 0;
    const TavRun* r = runs.data();
    const TavRun* const end = r + runs.size();
    for (int y = y0; y <= y1; ++y) {  // row y1 holds no run: every column run leaves there
      std::fill(now.begin(), now.end(), 0);
      for (; r < end && r->y == y; ++r) setBits(now.data(), r->x0 - bx0, r->x1 - bx0);
      if (out.size() - used < span) {
        if (static_cast<int64_t>(used) > kRegionMaxRuns)
          fail(std::string(what) + " needs more than " + runLimit());
        out.resize(std::max(2 * out.size(), used + span));
      }
      TavRun* w = out.data() + used;
      // Without a branch on whether a column enters or leaves: a leaving
      // column's run is stored and kept, an entering one's overwritten.
      for (size_t k = 0; k < words; ++k)
        for (uint64_t d = before[k] ^ now[k]; d != 0; d &= d - 1) {
          const int bit = lowestBit(d);
          const size_t x = static_cast<size_t>(bx0) + 64 * k + static_cast<size_t>(bit);
          const bool leaves = ((before[k] >> bit) & 1) != 0;
          const int began = open[x];
          *w = TavRun{static_cast<int>(x), began, y};
          w += leaves;
          start[x + 1] += leaves;
          open[x] = leaves ? began : y;
        }
      used = static_cast<size_t>(w - out.data());
      before.swap(now);
    }
    if (static_cast<int64_t>(used) > kRegionMaxRuns)
      fail(std::string(what) + " needs more than " + runLimit());
    out.resize(used);
  } else {
    const TavRun* prev = nullptr;
    size_t prevN = 0;
    int prevRow = 0;
    for (size_t i = 0; i < runs.size();) {
      size_t j = i + 1;
      while (j < runs.size() && runs[j].y == runs[i].y) ++j;
      if (prevN > 0 && prevRow != runs[i].y - 1) {  // a gap: the previous row's runs all leave
        step(prevRow + 1, prev, prevN, nullptr, 0);
        prevN = 0;
      }
      step(runs[i].y, prev, prevN, runs.data() + i, j - i);
      prev = runs.data() + i;
      prevN = j - i;
      prevRow = runs[i].y;
      i = j;
    }
    if (prevN > 0) step(prevRow + 1, prev, prevN, nullptr, 0);
  }
  // counting sort by row; within a row the runs came in column order (in the
  // order they ended, as the runs of one row do not overlap)
  for (size_t y = 0; y < static_cast<size_t>(outRows); ++y) start[y + 1] += start[y];
  std::vector<TavRun> sorted(out.size());
  for (const TavRun& t : out) sorted[start[static_cast<size_t>(t.y)]++] = t;
  return sorted;
}

}  // namespace region_detail

CTavGeoRegion CTavGeoRegion::fromCoco(const TavCocoRle& rle) {
  const int h = rle.height, w = rle.width;
  checkCanvas(w, h, "COCO RLE");
  const int64_t total = static_cast<int64_t>(w) * h;
  if (rle.counts.empty()) {
    if (total != 0)
      fail("COCO RLE: no counts for a " + std::to_string(h) + " x " + std::to_string(w) + " canvas");
    return CTavGeoRegion(w, h);
  }
  // column runs: row = x, runs over y
  std::vector<TavRun> cols;
  int64_t pos = 0;
  for (size_t i = 0; i < rle.counts.size(); ++i) {
    const int64_t c = rle.counts[i];
    if (c < 0) fail("COCO RLE: count " + std::to_string(i) + " is negative (" + std::to_string(c) + ")");
    if (c > total - pos)
      fail("COCO RLE: counts add up to more than height * width = " + std::to_string(total) + " at count " +
           std::to_string(i));
    if (i % 2 == 1) {
      int64_t s = pos;
      const int64_t e = pos + c;
      while (s < e) {  // split at column ends
        const int64_t x = s / h, colEnd = (x + 1) * h;
        const int64_t stop = std::min(e, colEnd);
        append(&cols, static_cast<int>(x), static_cast<int>(s - x * h), static_cast<int>(stop - x * h),
               "COCO RLE: the counts' column runs");
        s = stop;
      }
    }
    pos += c;
  }
  if (pos != total)
    fail("COCO RLE: counts add up to " + std::to_string(pos) +
         ", not height * width = " + std::to_string(total));
  return CTavGeoRegionAccess::make(w, h, transposeRuns(cols, h, "COCO RLE: the region"));
}

CTavGeoRegion CTavGeoRegion::transposed() const {
  return CTavGeoRegionAccess::make(m_height, m_width,
                                   transposeRuns(m_runs, m_width, "region transpose: the result"));
}

TavCocoRle CTavGeoRegion::toCoco() const {
  TavCocoRle rle{m_height, m_width, {}};
  const std::vector<TavRun> cols = transposeRuns(m_runs, m_width, "COCO RLE: the column-major form");
  const int64_t total = static_cast<int64_t>(m_width) * m_height;
  int64_t end = 0;  // end of the last foreground count
  for (const TavRun& c : cols) {
    const int64_t s = static_cast<int64_t>(c.y) * m_height + c.x0,
                  e = static_cast<int64_t>(c.y) * m_height + c.x1;
    if (s == end && !rle.counts.empty() && rle.counts.size() % 2 == 0) {
      rle.counts.back() += e - s;  // continues the previous column's run
    } else {
      rle.counts.push_back(s - end);
      rle.counts.push_back(e - s);
    }
    end = e;
  }
  if (end < total || rle.counts.empty()) rle.counts.push_back(total - end);
  return rle;
}

std::string CTavGeoRegion::cocoCountsToString(const std::vector<int64_t>& counts) {
  std::string s;
  for (size_t i = 0; i < counts.size(); ++i) {
    if (counts[i] < 0 || counts[i] > kRegionMaxPixels)
      fail("COCO string: count " + std::to_string(i) + " (" + std::to_string(counts[i]) + ") outside 0 .. " +
           std::to_string(kRegionMaxPixels));
    int64_t x = counts[i];
    if (i > 2) x -= counts[i - 2];
    uint64_t u = static_cast<uint64_t>(x);
    const bool neg = x < 0;
    for (;;) {
      uint64_t c = u & 0x1f;
      u = (u >> 5) | (neg ? ~(~uint64_t{0} >> 5) : 0);  // arithmetic shift
      const bool more = (c & 0x10) ? u != ~uint64_t{0} : u != 0;
      if (more) c |= 0x20;
      s.push_back(static_cast<char>(c + 48));
      if (!more) break;
    }
  }
  return s;
}

std::vector<int64_t> CTavGeoRegion::cocoStringToCounts(const std::string& s) {
  std::vector<int64_t> counts;
  size_t p = 0;
  while (p < s.size()) {
    uint64_t x = 0;
    int k = 0;
    bool more = true;
    while (more) {
      if (p >= s.size()) fail("COCO string: value " + std::to_string(counts.size()) + " cut off at the end");
      const int ch = static_cast<unsigned char>(s[p]);
      if (ch < 48 || ch > 48 + 63)
        fail("COCO string: bad character " + std::to_string(ch) + " at position " + std::to_string(p));
      if (k >= 13) fail("COCO string: value " + std::to_string(counts.size()) + " has more than 13 groups");
      const uint64_t c = static_cast<uint64_t>(ch - 48);
      // The 13th group's top two value bits are bits 63 and 64: unless they
      // agree, the value does not fit 64 bits.
      if (k == 12 && ((c >> 3) & 1) != ((c >> 4) & 1))
        fail("COCO string: value " + std::to_string(counts.size()) + " out of range");
      x |= (c & 0x1f) << (5 * k);
      more = (c & 0x20) != 0;
      ++p;
      ++k;
      if (!more && (c & 0x10) && 5 * k < 64) x |= ~uint64_t{0} << (5 * k);
    }
    int64_t v = static_cast<int64_t>(x);
    const size_t m = counts.size();
    if (m > 2) {
      // values stay far from overflow: counts are checked to be in [0, 2^32)
      if (v > (int64_t{1} << 40) || v < -(int64_t{1} << 40))
        fail("COCO string: value " + std::to_string(m) + " out of range");
      v += counts[m - 2];
    }
    if (v < 0) fail("COCO string: count " + std::to_string(m) + " is negative (" + std::to_string(v) + ")");
    if (v > kRegionMaxPixels)
      fail("COCO string: count " + std::to_string(m) + " exceeds the limit of " +
           std::to_string(kRegionMaxPixels));
    counts.push_back(v);
  }
  return counts;
}

CTavGeoRegion CTavGeoRegion::fromCocoString(int height, int width, const std::string& counts) {
  return fromCoco(TavCocoRle{height, width, cocoStringToCounts(counts)});
}

std::string CTavGeoRegion::toCocoString() const { return cocoCountsToString(toCoco().counts); }

// ------------------------------------------------------------ access

bool CTavGeoRegion::operator==(const CTavGeoRegion& o) const {
  return m_width == o.m_width && m_height == o.m_height && m_runs == o.m_runs;
}

size_t CTavGeoRegion::hash() const {
  uint64_t h = 1469598103934665603ULL;
  auto mix = [&h](uint64_t v) {
    h ^= v;
    h *= 1099511628211ULL;
  };
  mix(static_cast<uint32_t>(m_width));
  mix(static_cast<uint32_t>(m_height));
  for (const TavRun& r : m_runs) {
    mix(static_cast<uint32_t>(r.y));
    mix(static_cast<uint32_t>(r.x0));
    mix(static_cast<uint32_t>(r.x1));
  }
  return static_cast<size_t>(h);
}

// ------------------------------------------------------------ measurements

int64_t CTavGeoRegion::area() const {
  int64_t a = 0;
  for (const TavRun& r : m_runs) a += r.x1 - r.x0;
  return a;
}

AreaAndBox region_detail::areaAndBox(const std::vector<TavRun>& runs) {
  if (runs.empty()) return AreaAndBox{0, TavRegionBox{0, 0, 0, 0}};
  int64_t area = 0;
  int x0 = runs[0].x0, x1 = runs[0].x1;
  for (const TavRun& r : runs) {
    area += r.x1 - r.x0;
    x0 = std::min(x0, r.x0);
    x1 = std::max(x1, r.x1);
  }
  return AreaAndBox{area, TavRegionBox{x0, runs.front().y, x1 - x0, runs.back().y - runs.front().y + 1}};
}

TavRegionBox CTavGeoRegion::bbox() const { return areaAndBox(m_runs).box; }

TavPoint CTavGeoRegion::centroid() const {
  int64_t a = 0, sx = 0, sy = 0;
  for (const TavRun& r : m_runs) {
    const int64_t n = r.x1 - r.x0;
    a += n;
    sx += n * (int64_t{r.x0} + r.x1 - 1) / 2;
    sy += n * r.y;
  }
  return centroidOf(a, sx, sy);
}

U128 region_detail::divideBy12(const U128& v) {
  // v / 4 by a shift, then / 3 a 32-bit limb at a time
  const uint64_t hi = v.hi >> 2, lo = (v.lo >> 2) | (v.hi << 62);
  const uint64_t limb[4] = {hi >> 32, hi & 0xffffffffu, lo >> 32, lo & 0xffffffffu};
  uint64_t q[4], rest = 0;
  for (int k = 0; k < 4; ++k) {
    const uint64_t cur = (rest << 32) | limb[k];
    q[k] = cur / 3;
    rest = cur % 3;
  }
  return U128{(q[0] << 32) | q[1], (q[2] << 32) | q[3]};
}

double region_detail::toDouble(const U128& v) {
  if (v.hi == 0) return static_cast<double>(v.lo);
  // The top 64 bits, with any lower bit that is set folded into the last
  // one: it lies below the rounding position, so it decides ties as the
  // bits dropped would, and the conversion rounds as the whole would.
  int k = 1;  // bits of hi
  while (k < 64 && (v.hi >> k) != 0) ++k;
  const uint64_t top = k == 64 ? v.hi : (v.hi << (64 - k)) | (v.lo >> k);
  const bool below = k == 64 ? v.lo != 0 : (v.lo << (64 - k)) != 0;
  return std::ldexp(static_cast<double>(top | (below ? 1u : 0u)), k);
}

TavRegionMoments region_detail::momentsOf(const MomentSums& sums) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  TavRegionMoments m{0, 0, 0, 0, 0, 0, nan, nan, nan, nan, nan, nan, nan, nan};
  m.m00 = static_cast<double>(sums.a);
  m.m10 = static_cast<double>(sums.sx);
  m.m01 = static_cast<double>(sums.sy);
  m.m20 = toDouble(sums.sxx);
  m.m11 = toDouble(sums.sxy);
  m.m02 = toDouble(sums.syy);
  if (sums.a == 0) return m;
  // mu_pq = (a m_pq - m_p0 m_0q) / a with the numerator exact: a <= 2^32 and
  // the second-order sums below 2^80, so every product fits 128 bits, and
  // a m20 >= m10^2, a m02 >= m01^2 (Cauchy-Schwarz). Each central moment is
  // the exact one up to two roundings.
  const uint64_t a = static_cast<uint64_t>(sums.a), sx = static_cast<uint64_t>(sums.sx),
                 sy = static_cast<uint64_t>(sums.sy);
  const U128 pxy = mulWide(sums.sxy, a), qxy = mulWide(sx, sy);
  const double c20 = toDouble(minus(mulWide(sums.sxx, a), mulWide(sx, sx))) / m.m00;
  const double c02 = toDouble(minus(mulWide(sums.syy, a), mulWide(sy, sy))) / m.m00;
  const double c11 = (lessThan(pxy, qxy) ? -toDouble(minus(qxy, pxy)) : toDouble(minus(pxy, qxy))) / m.m00;
  m.mu20 = c20;
  m.mu11 = c11;
  m.mu02 = c02;
  const double a2 = m.m00 * m.m00;
  m.nu20 = c20 / a2;
  m.nu11 = c11 / a2;
  m.nu02 = c02 / a2;
  m.orientation = 0.5 * std::atan2(2.0 * c11, c20 - c02);
  const double half = (c20 + c02) / 2.0;
  const double d = std::sqrt(4.0 * c11 * c11 + (c20 - c02) * (c20 - c02)) / 2.0;
  const double l1 = half + d, l2 = half - d;
  m.eccentricity = l1 > 0 ? std::sqrt(std::max(0.0, 1.0 - l2 / l1)) : 0.0;
  return m;
}

TavRegionMoments CTavGeoRegion::moments() const {
  return momentsOf(narrowCanvas(m_width, m_height) ? sumRunsNarrow(m_runs) : sumRunsWide(m_runs));
}

std::vector<TavIPoint> CTavGeoRegion::perimeterPoints() const {
  // The list's perimeter takes the records before and after a record as its
  // neighbours, so each stretch of consecutive rows goes to it as a list of its
  // own: a row after an empty row has no pixel above it.
  std::vector<TavIPoint> points;
  std::vector<int> list;
  for (size_t i = 0; i < m_runs.size();) {
    list.assign(6, 0);  // the header is not read
    int y = m_runs[i].y;
    for (; i < m_runs.size() && m_runs[i].y == y; ++y) {
      list.push_back(y);
      for (; i < m_runs.size() && m_runs[i].y == y; ++i) {
        list.push_back(m_runs[i].x0);
        list.push_back(m_runs[i].x1 - m_runs[i].x0 - 1);
      }
      list.push_back(-1);
    }
    list.push_back(-1);
    const std::vector<TavIPoint> part = CTavGeoRleCalc::calculatePerimiterPoints(list);
    // Every non-empty stretch has perimeter pixels; an empty answer is the limit.
    if (part.empty() || part.size() > static_cast<size_t>(kRleMaxPerimeterPoints) - points.size())
      fail("region perimeter: more than " + std::to_string(kRleMaxPerimeterPoints) + " points");
    points.insert(points.end(), part.begin(), part.end());
  }
  return points;
}

bool CTavGeoRegion::contains(int x, int y) const {
  auto it =
      std::upper_bound(m_runs.begin(), m_runs.end(), TavRun{y, x, x},
                       [](const TavRun& a, const TavRun& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
  if (it == m_runs.begin()) return false;
  --it;
  return it->y == y && x >= it->x0 && x < it->x1;
}

std::vector<uint8_t> CTavGeoRegion::contains(const std::vector<TavIPoint>& points) const {
  std::vector<uint8_t> out(points.size());
  for (size_t i = 0; i < points.size(); ++i) out[i] = contains(points[i].x, points[i].y) ? 1 : 0;
  return out;
}

}  // namespace NTavGeometry
