#include "report/FryGraph.h"

#include <algorithm>
#include <cmath>

namespace {

// Where the axis stops being r = 33 - 100 / y: one sentence per 30 words.
constexpr double kHyperbolicFromY = 10.0 / 3.0;
constexpr double kHyperbolicFromRow = 3;

// The printed rows below kHyperbolicFromY, joined by straight pieces.
constexpr std::array<FryPoint, 4> kLowRows = {{
    {2.0, 0}, // s holds y here
    {2.5, 1},
    {3.0, 2},
    {kHyperbolicFromY, kHyperbolicFromRow},
}};

double Interpolate(double x, double x0, double y0, double x1, double y1) {
    return y0 + (x - x0) * (y1 - y0) / (x1 - x0);
}

// The long-words curve's row at s (142 <= s <= 174).
double LongWordsRowAt(double s) {
    const auto& c = kFryLongWordsCurve;
    for (std::size_t i = 1; i < c.size(); ++i) {
        if (s <= c[i].s)
            return Interpolate(s, c[i - 1].s, c[i - 1].r, c[i].s, c[i].r);
    }
    return c.back().r;
}

// The long-sentences triangle's slanted edge: its row at s (108 <= s <= 124).
double LongSentencesRowAt(double s) {
    const auto& t = kFryLongSentencesCorner;
    return Interpolate(s, t[0].s, t[0].r, t[2].s, t[2].r);
}

} // namespace

double FryRowOfSentences(double y) {
    if (y >= kHyperbolicFromY)
        return 33 - 100 / y;
    // Below 2.0 the lowest piece goes on, so that the function stays invertible.
    std::size_t i = 1;
    while (i + 1 < kLowRows.size() && y > kLowRows[i].s)
        ++i;
    return Interpolate(y, kLowRows[i - 1].s, kLowRows[i - 1].r, kLowRows[i].s, kLowRows[i].r);
}

double FrySentencesOfRow(double r) {
    if (r >= kHyperbolicFromRow)
        return 100 / (33 - r);
    std::size_t i = 1;
    while (i + 1 < kLowRows.size() && r > kLowRows[i].r)
        ++i;
    return Interpolate(r, kLowRows[i - 1].r, kLowRows[i - 1].s, kLowRows[i].r, kLowRows[i].s);
}

bool FryInLongSentences(FryPoint p) {
    const auto& t = kFryLongSentencesCorner;
    return p.s >= t[0].s && p.s < t[2].s && p.r >= t[1].r && p.r < LongSentencesRowAt(p.s);
}

bool FryInLongWords(FryPoint p) {
    const auto& c = kFryLongWordsCurve;
    return p.s > c.front().s && p.s <= c.back().s && p.r <= kFryTopRow && p.r > LongWordsRowAt(p.s);
}

FrySegment FryVisibleBoundary(const FryZoneBoundary& boundary) {
    const double a = boundary.a;
    const double b = boundary.b;
    // Along the line s grows with r, so it leaves the left edge and the triangle
    // once, going up, and enters the long-words corner once.
    double lower = std::max(0.0, (kFrySyllablesMin - a) / b);
    const auto& t = kFryLongSentencesCorner;
    const double slope = (t[2].r - t[0].r) / (t[2].s - t[0].s); // triangle edge, rows per syllable
    const double triangleRow = (t[0].r + slope * (a - t[0].s)) / (1 - slope * b);
    if (a + b * triangleRow < t[2].s)
        lower = std::max(lower, triangleRow);

    double upper = std::min(kFryTopRow, (kFrySyllablesMax - a) / b);
    const auto inCorner = [&](double r) {
        const double s = a + b * r;
        return s >= kFryLongWordsCurve.front().s && r >= LongWordsRowAt(s);
    };
    if (inCorner(upper)) {
        double below = lower;
        for (int i = 0; i < 60; ++i) {
            const double mid = (below + upper) / 2;
            (inCorner(mid) ? upper : below) = mid;
        }
    }
    return {{a + b * lower, lower}, {a + b * upper, upper}};
}

FryPoint FryZoneLabelPosition(int zone) {
    zone = std::clamp(zone, kFryFirstZone, kFryLastZone);
    // The zone meets the edge between the lower ends of its two boundaries; the
    // outermost zones are closed by the frame's corners instead.
    const FryPoint left = zone == kFryFirstZone
                              ? FryPoint{kFrySyllablesMin, kFryTopRow}
                              : FryVisibleBoundary(kFryZoneBoundaries[zone - 2]).lower;
    const FryPoint right = zone == kFryLastZone
                               ? FryPoint{kFrySyllablesMax, 0}
                               : FryVisibleBoundary(kFryZoneBoundaries[zone - 1]).lower;
    return {(left.s + right.s) / 2 + 1.5, (left.r + right.r) / 2 + 0.6};
}

FryReading ReadFryGraph(double syllablesPer100Words, double sentencesPer100Words) {
    FryReading reading;
    const double s = syllablesPer100Words;
    const double y = sentencesPer100Words;
    // The negated comparisons send NaN off the graph as well.
    if (!(s >= kFrySyllablesMin && s <= kFrySyllablesFrameMax && y >= kFrySentencesMin &&
          y <= kFrySentencesMax))
        return reading;
    const FryPoint p{s, FryRowOfSentences(y)};
    reading.row = p.r;
    if (FryInLongSentences(p)) {
        reading.region = FryRegion::LongSentences;
        return reading;
    }
    if (FryInLongWords(p)) {
        reading.region = FryRegion::LongWords;
        return reading;
    }
    reading.region = FryRegion::Zone;
    reading.zone = kFryFirstZone;
    double nearest = kFryBoundaryMargin;
    for (const FryZoneBoundary& boundary : kFryZoneBoundaries) {
        const double distance = s - boundary.SyllablesAt(p.r);
        if (distance > 0)
            ++reading.zone;
        if (std::abs(distance) <= nearest) {
            nearest = std::abs(distance);
            reading.nearBoundary = true;
            reading.otherZone = distance > 0 ? boundary.leftZone : boundary.leftZone + 1;
        }
    }
    return reading;
}

std::string_view FryRegionName(FryRegion region) {
    switch (region) {
    case FryRegion::Zone:
        return "zone";
    case FryRegion::LongWords:
        return "long words";
    case FryRegion::LongSentences:
        return "long sentences";
    case FryRegion::OffGraph:
        break;
    }
    return "off graph";
}

FryPixel FryPixelOf(FryPoint p) {
    return {kFryPictureLeft + (p.s - kFrySyllablesMin) * (kFryPictureRight - kFryPictureLeft) /
                                  (kFrySyllablesFrameMax - kFrySyllablesMin),
            kFryPictureTop +
                (kFryTopRow - p.r) * (kFryPictureBottom - kFryPictureTop) / kFryTopRow};
}
