// The polygon pipeline shared by the flat, shaded and textured rasterizers:
// one point record carrying x, y and K interpolated values, one two-pass
// clipper and one edge walk. The families differ only in K, in the divisor of
// the clipper's column pass, and in the span routine the walk calls.
#pragma once

#include <array>
#include <cstdint>

#include "math/fixed.h"
#include "math/reciprocal.h"
#include "render/raster/raster_target.h"

namespace vantir {

// A polygon point: whole-pixel x and y, and the family's interpolated values
// (none for flat, red/green/blue for shaded, u/v for textured).
template <int K>
struct RasterPoint {
    std::int32_t x;
    std::int32_t y;
    std::array<std::int32_t, K> value;
};

// Every clip buffer holds 16 points: each edge writes at most two points, so a
// quadrilateral gives at most 8 after the column pass and 16 after the row pass.
constexpr int CLIP_POINT_CAPACITY = 16;
constexpr int MAX_POLYGON_CORNERS = 4;

// Divisor of a crossing: the plain coordinate difference, or the difference
// enlarged by one (its sign added to it).
enum class ClipDivisor { Plain, Enlarged };

namespace raster_detail {

// The crossing of edge P -> Q with the boundary on P's side, P being outside.
// Every value but the crossed coordinate is P.V + ((t * s) >> 8) with slope
// s = ((Q.V - P.V) * 256) / d, taken at the far boundary (W or H, one beyond
// the last column or row) when P lies beyond it. Products wrap in 32 bits.
template <int K>
RasterPoint<K> crossing(const RasterPoint<K>& p, const RasterPoint<K>& q, bool rowPass, ClipDivisor divisor,
                        const ClipRect& clip) {
    const std::int32_t pc = rowPass ? p.y : p.x;
    const std::int32_t qc = rowPass ? q.y : q.x;
    std::int32_t d = qc - pc;  // never 0: one end is outside, the other inside or beyond the other side
    if (divisor == ClipDivisor::Enlarged) d += d >= 0 ? 1 : -1;
    const std::int32_t far = rowPass ? clip.height : clip.width;
    const std::int32_t t = pc < 0 ? -pc : far - pc;
    // divTrunc: the plain divisor can be -1 for coordinates 2^32 - 1 apart.
    const auto at = [&](std::int32_t pv, std::int32_t qv) {
        const std::int32_t s = divTrunc((qv - pv) * 256, d);
        return pv + ((t * s) >> 8);  // arithmetic shift: rounds toward minus infinity
    };
    RasterPoint<K> c;
    const std::int32_t boundary = pc < 0 ? 0 : (rowPass ? clip.maxY : clip.maxX);
    if (rowPass) {
        c.y = boundary;
        c.x = at(p.x, q.x);
    } else {
        c.x = boundary;
        c.y = at(p.y, q.y);
    }
    for (int k = 0; k < K; ++k) c.value[k] = at(p.value[k], q.value[k]);
    return c;
}

// One pass over the closed path in[0..n-1], writing the path clipped to the
// columns (rowPass false) or the rows (rowPass true). Returns the points written.
template <int K>
int clipPass(const RasterPoint<K>* in, int n, RasterPoint<K>* out, bool rowPass, ClipDivisor divisor,
             const ClipRect& clip) {
    // Unsigned comparison: every negative coordinate is outside too.
    const std::uint32_t limit = static_cast<std::uint32_t>(rowPass ? clip.maxY : clip.maxX);
    const auto coord = [rowPass](const RasterPoint<K>& p) { return rowPass ? p.y : p.x; };
    const auto outside = [&](const RasterPoint<K>& p) { return static_cast<std::uint32_t>(coord(p)) > limit; };
    const auto samePoint = [](const RasterPoint<K>& a, const RasterPoint<K>& b) { return a.x == b.x && a.y == b.y; };
    int m = 0;
    for (int i = 0; i < n; ++i) {
        const RasterPoint<K>& cur = in[i];
        const RasterPoint<K>& next = in[i + 1 < n ? i + 1 : 0];
        const bool curOut = outside(cur);
        const bool nextOut = outside(next);
        if (!curOut && !nextOut) {
            out[m++] = next;
        } else if (curOut && !nextOut) {
            const RasterPoint<K> c = crossing(cur, next, rowPass, divisor, clip);
            if (!rowPass) {
                // A next point on the crossed column stands for the crossing,
                // unless both agree in y as well: then the crossing stays.
                if (c.x != next.x) {
                    out[m++] = c;
                    out[m++] = next;
                } else if (c.y == next.y) {
                    out[m++] = c;
                } else {
                    out[m++] = next;
                }
            } else {
                out[m++] = c;
                if (!samePoint(c, next)) out[m++] = next;
            }
        } else if (!curOut && nextOut) {
            const RasterPoint<K> c = crossing(next, cur, rowPass, divisor, clip);
            if (rowPass ? !samePoint(c, cur) : c.x != cur.x) out[m++] = c;
        } else if ((coord(cur) < 0) != (coord(next) < 0)) {
            // Both ends outside on opposite sides: the edge crosses the whole
            // range, so it enters on the current point's side and leaves on
            // the next point's side.
            out[m++] = crossing(cur, next, rowPass, divisor, clip);
            out[m++] = crossing(next, cur, rowPass, divisor, clip);
        }
    }
    return m;
}

}  // namespace raster_detail

// Clips the closed path in[0..n-1] (n <= 4) first against the columns, then
// against the rows, into out (CLIP_POINT_CAPACITY points). The column pass
// divides by `columnDivisor`, the row pass always by the enlarged difference.
// An unclipped polygon comes out rotated by two places (each pass writes the
// end point of each edge). Every point written has y within 0..maxY.
template <int K>
int clipPolygon(const RasterPoint<K>* in, int n, RasterPoint<K>* out, ClipDivisor columnDivisor,
                const ClipRect& clip) {
    if (n < 1 || n > MAX_POLYGON_CORNERS) return 0;
    RasterPoint<K> columnsClipped[CLIP_POINT_CAPACITY];
    const int m = raster_detail::clipPass(in, n, columnsClipped, false, columnDivisor, clip);
    if (m == 0) return 0;
    return raster_detail::clipPass(columnsClipped, m, out, true, ClipDivisor::Enlarged, clip);
}

// Edge position and interpolated values of one side of the walk, 24.8.
template <int K>
struct EdgeValues {
    std::int32_t x;
    std::array<std::int32_t, K> value;
};

namespace raster_detail {

// How the walk divides: the hardware division, or the reciprocal
// multiplication that gives the same quotient (math/reciprocal.h).
struct HardwareDivide {
    static std::int32_t divide(std::int32_t n, std::int32_t d) { return divTrunc(n, d); }
};
struct ReciprocalDivide {
    static std::int32_t divide(std::int32_t n, std::int32_t d) { return divTruncFast(n, d); }
};

// Per-row slope from a to b: ((b - a) * 256) / (dy + sign of dy). The divisor
// is never 0, so a horizontal edge steps by the whole difference at once.
template <int K, typename Divide = HardwareDivide>
EdgeValues<K> edgeSlope(const RasterPoint<K>& a, const RasterPoint<K>& b) {
    const std::int32_t dy = b.y - a.y;
    const std::int32_t divisor = dy + (dy >= 0 ? 1 : -1);
    EdgeValues<K> s;
    s.x = Divide::divide((b.x - a.x) * 256, divisor);
    for (int k = 0; k < K; ++k) s.value[k] = Divide::divide((b.value[k] - a.value[k]) * 256, divisor);
    return s;
}

// edgeSlope with reciprocal multiplication, built for the common edge that
// runs downwards over at most RECIPROCAL_DIVISOR_LIMIT - 1 rows with small
// differences: one table load and one test for all K + 1 quotients, the
// divisor's sign needing no handling. Anything else goes through divTruncFast.
template <int K>
EdgeValues<K> edgeSlopeFast(const RasterPoint<K>& a, const RasterPoint<K>& b) {
    const std::int32_t dy = b.y - a.y;
    EdgeValues<K> n;
    n.x = (b.x - a.x) * 256;
    bool small = (static_cast<std::uint32_t>(dy) < static_cast<std::uint32_t>(RECIPROCAL_DIVISOR_LIMIT)) &
                 reciprocalNumerator(n.x);
    for (int k = 0; k < K; ++k) {
        n.value[k] = (b.value[k] - a.value[k]) * 256;
        small &= reciprocalNumerator(n.value[k]);
    }
    if (__builtin_expect(!small, 0)) return edgeSlope<K, ReciprocalDivide>(a, b);
    const std::uint64_t m = reciprocalTable[static_cast<std::uint32_t>(dy) + 1];  // divisor dy + 1
    EdgeValues<K> s;
    s.x = divTruncByReciprocal(n.x, m);
    for (int k = 0; k < K; ++k) s.value[k] = divTruncByReciprocal(n.value[k], m);
    return s;
}

template <int K>
void step(EdgeValues<K>& acc, const EdgeValues<K>& slope) {
    acc.x += slope.x;
    for (int k = 0; k < K; ++k) acc.value[k] += slope.value[k];
}

template <int K>
struct WalkSide {
    int end;   // index of the point this side is walking towards
    int step;  // +1 forward along the path, -1 backward
    EdgeValues<K> acc;
    EdgeValues<K> slope;
};

}  // namespace raster_detail

namespace raster_detail {

template <int K, typename Divide, typename SpanFn>
void walkPolygonWith(const RasterPoint<K>* p, int m, SpanFn&& span) {
    if (m - 1 <= 0) return;
    const auto wrap = [m](int i) { return i < 0 ? m - 1 : (i > m - 1 ? 0 : i); };

    int top = 0;  // smallest y, the lowest index on a tie
    for (int i = 1; i < m; ++i)
        if (p[i].y < p[top].y) top = i;

    EdgeValues<K> start;
    start.x = p[top].x * 256;
    for (int k = 0; k < K; ++k) start.value[k] = p[top].value[k] * 256;
    WalkSide<K> side[2];
    side[0].end = wrap(top + 1);
    side[0].step = 1;
    side[1].end = wrap(top - 1);
    side[1].step = -1;
    for (WalkSide<K>& s : side) {
        s.acc = start;
        s.slope = edgeSlope<K, Divide>(p[top], p[s.end]);
    }
    // Chosen once: side 1 is the left side only when its first x slope is smaller.
    const int left = side[1].slope.x < side[0].slope.x ? 1 : 0;
    const int right = 1 - left;

    const auto advance = [&](WalkSide<K>& s) {
        const int from = s.end;
        s.end = wrap(from + s.step);
        s.slope = edgeSlope<K, Divide>(p[from], p[s.end]);  // accumulators run on
    };

    std::int32_t y = p[top].y;
    for (int iteration = 0; iteration < m - 1; ++iteration) {
        const int active = p[side[0].end].y > p[side[1].end].y ? 1 : 0;
        const int other = 1 - active;
        const std::int32_t endY = p[side[active].end].y;
        if (y == endY) {
            // Horizontal step: this row is drawn once more with the active side
            // one slope further; the row does not advance.
            span(y, side[left].acc, side[right].acc);
            step(side[active].acc, side[active].slope);
        } else {
            // Rows y..endY inclusive, leaving y = endY + 1 (nothing when y > endY).
            for (bool more = y < endY; more;) {
                span(y, side[left].acc, side[right].acc);
                step(side[0].acc, side[0].slope);
                step(side[1].acc, side[1].slope);
                more = y++ != endY;
            }
            if (p[side[other].end].y == endY) advance(side[other]);
        }
        advance(side[active]);
    }
}

}  // namespace raster_detail

// Scan-converts the clipped convex polygon p[0..m-1], calling
// span(row, left, right) with both sides' 24.8 accumulators for every row it
// visits, top to bottom. Rows come from the points' y values, which the
// clipper keeps within 0..maxY; the span routine still checks its row.
template <int K, typename SpanFn>
void walkPolygon(const RasterPoint<K>* p, int m, SpanFn&& span) {
    raster_detail::walkPolygonWith<K, raster_detail::HardwareDivide>(p, m, span);
}

// The whole pipeline of one polygon: clip the corners against clipRect and walk
// the result, calling span for every row.
template <int K, typename SpanFn>
void rasterizePolygon(const RasterPoint<K>* corners, int n, ClipDivisor columnDivisor, SpanFn&& span) {
    RasterPoint<K> clipped[CLIP_POINT_CAPACITY];
    const int m = clipPolygon(corners, n, clipped, columnDivisor, clipRect);
    walkPolygon(clipped, m, span);
}

// walkPolygon, the same rows and accumulators bit for bit, built for speed:
// slopes by reciprocal multiplication, and the two sides held as left and
// right (fixed for the polygon) in plain locals so the row loop keeps them in
// registers. Side 0 of walkPolygon is the left side unless side 1's first x
// slope is smaller; every choice of the active side is made in those terms.
template <int K, typename SpanFn>
void walkPolygonFast(const RasterPoint<K>* p, int m, SpanFn&& span) {
    using raster_detail::edgeSlopeFast;
    if (m - 1 <= 0) return;
    const auto wrap = [m](int i) { return i < 0 ? m - 1 : (i > m - 1 ? 0 : i); };

    int top = 0;
    for (int i = 1; i < m; ++i)
        if (p[i].y < p[top].y) top = i;

    EdgeValues<K> start;
    start.x = p[top].x * 256;
    for (int k = 0; k < K; ++k) start.value[k] = p[top].value[k] * 256;
    const int forwardEnd = wrap(top + 1);
    const int backwardEnd = wrap(top - 1);
    const EdgeValues<K> forwardSlope = edgeSlopeFast<K>(p[top], p[forwardEnd]);
    const EdgeValues<K> backwardSlope = edgeSlopeFast<K>(p[top], p[backwardEnd]);
    // Side 1 (backward) is the left side only when its first x slope is smaller.
    const bool leftIsBackward = backwardSlope.x < forwardSlope.x;

    EdgeValues<K> leftAcc = start, rightAcc = start;
    EdgeValues<K> leftSlope = leftIsBackward ? backwardSlope : forwardSlope;
    EdgeValues<K> rightSlope = leftIsBackward ? forwardSlope : backwardSlope;
    int leftEnd = leftIsBackward ? backwardEnd : forwardEnd;
    int rightEnd = leftIsBackward ? forwardEnd : backwardEnd;
    const int leftStep = leftIsBackward ? -1 : 1;

    const auto stepValues = [](EdgeValues<K>& acc, const EdgeValues<K>& slope) {
        acc.x += slope.x;
        for (int k = 0; k < K; ++k) acc.value[k] += slope.value[k];
    };
    const auto stepValuesBy = [](EdgeValues<K>& acc, const EdgeValues<K>& slope, std::int32_t rows) {
        const auto times = [rows](std::int32_t v) {
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(v) * static_cast<std::uint32_t>(rows));
        };
        acc.x += times(slope.x);
        for (int k = 0; k < K; ++k) acc.value[k] += times(slope.value[k]);
    };
    const auto advanceLeft = [&] {
        const int from = leftEnd;
        leftEnd = wrap(from + leftStep);
        leftSlope = edgeSlopeFast<K>(p[from], p[leftEnd]);
    };
    const auto advanceRight = [&] {
        const int from = rightEnd;
        rightEnd = wrap(from - leftStep);
        rightSlope = edgeSlopeFast<K>(p[from], p[rightEnd]);
    };

    std::int32_t y = p[top].y;
    for (int iteration = 0; iteration < m - 1; ++iteration) {
        const std::int32_t leftY = p[leftEnd].y;
        const std::int32_t rightY = p[rightEnd].y;
        // walkPolygon: side 1 is active when side 0's end lies lower, else side 0.
        const std::int32_t forwardY = leftIsBackward ? rightY : leftY;
        const std::int32_t backwardY = leftIsBackward ? leftY : rightY;
        const bool activeIsLeft = (forwardY > backwardY) == leftIsBackward;
        const std::int32_t endY = activeIsLeft ? leftY : rightY;
        if (y == endY) {
            span(y, leftAcc, rightAcc);
            if (activeIsLeft)
                stepValues(leftAcc, leftSlope);
            else
                stepValues(rightAcc, rightSlope);
        } else {
            if constexpr (requires { span.rows(y, y, leftAcc, leftSlope, rightAcc, rightSlope); }) {
                // A span routine that can draw a run of rows itself may take
                // it whole; the accumulators then move on by rows * slope, the
                // same as stepping them row by row (wrapping arithmetic).
                if (y <= endY && span.rows(y, endY - y + 1, leftAcc, leftSlope, rightAcc, rightSlope)) {
                    stepValuesBy(leftAcc, leftSlope, endY - y + 1);
                    stepValuesBy(rightAcc, rightSlope, endY - y + 1);
                    y = endY + 1;
                }
            }
            for (; y <= endY; ++y) {
                span(y, leftAcc, rightAcc);
                stepValues(leftAcc, leftSlope);
                stepValues(rightAcc, rightSlope);
            }
            // The last stretch drawn, no slope is needed any more.
            if (iteration == m - 2) return;
            // y > endY could not have entered: walkPolygon draws nothing then either.
            if ((activeIsLeft ? rightY : leftY) == endY) {
                if (activeIsLeft)
                    advanceRight();
                else
                    advanceLeft();
            }
        }
        if (iteration == m - 2) return;
        if (activeIsLeft)
            advanceLeft();
        else
            advanceRight();
    }
}

// clipPolygon for the common case first: when every corner lies inside the
// clip rectangle both passes only copy, and the result is the input rotated
// by two places. Anything else goes through clipPolygon itself.
template <int K>
int clipPolygonFast(const RasterPoint<K>* in, int n, RasterPoint<K>* out, ClipDivisor columnDivisor,
                    const ClipRect& clip) {
    if (n >= 1 && n <= MAX_POLYGON_CORNERS) {
        // Unsigned comparisons (negative coordinates are outside too), one
        // branch for all corners.
        bool outside = false;
        for (int i = 0; i < n; ++i)
            outside |= (static_cast<std::uint32_t>(in[i].x) > static_cast<std::uint32_t>(clip.maxX)) |
                       (static_cast<std::uint32_t>(in[i].y) > static_cast<std::uint32_t>(clip.maxY));
        if (!outside) {
            // Rotated by two places.
            switch (n) {
            case 4: out[0] = in[2], out[1] = in[3], out[2] = in[0], out[3] = in[1]; break;
            case 3: out[0] = in[2], out[1] = in[0], out[2] = in[1]; break;
            case 2: out[0] = in[0], out[1] = in[1]; break;
            default: out[0] = in[0]; break;
            }
            return n;
        }
    }
    return clipPolygon(in, n, out, columnDivisor, clip);
}

// rasterizePolygon through clipPolygonFast and walkPolygonFast: the same rows
// and accumulators, bit for bit.
template <int K, typename SpanFn>
void rasterizePolygonFast(const RasterPoint<K>* corners, int n, ClipDivisor columnDivisor, SpanFn&& span) {
    RasterPoint<K> clipped[CLIP_POINT_CAPACITY];
    const int m = clipPolygonFast(corners, n, clipped, columnDivisor, clipRect);
    walkPolygonFast(clipped, m, span);
}

// True when every corner lies on the first corner's row: such polygons are
// never clipped or walked.
template <typename Vertex>
bool allOnOneRow(const Vertex* const* corners, int n) {
    for (int i = 1; i < n; ++i)
        if (corners[i]->y != corners[0]->y) return false;
    return true;
}

}  // namespace vantir
