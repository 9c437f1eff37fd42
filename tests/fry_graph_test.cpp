#include "report/FryGraph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>
#include <string>

namespace {

// A point s syllables right of boundary k|k+1 at the row of y.
double BesideBoundary(int leftZone, double y, double offset) {
    return kFryZoneBoundaries[leftZone - 1].SyllablesAt(FryRowOfSentences(y)) + offset;
}

TEST(FryGraph, WorkedExampleReadsAsGrade7) {
    const FryReading reading = ReadFryGraph(141, 6.3);
    EXPECT_EQ(reading.region, FryRegion::Zone);
    EXPECT_EQ(reading.zone, 7);
    EXPECT_FALSE(reading.nearBoundary);
}

TEST(FryGraph, RowsFollowThePrintedLabels) {
    // Every row's value, rounded as printed, is its label (the labels were
    // rounded by hand: 3.45 is printed 3.5, 5.26 is printed 5.2).
    for (std::size_t row = 0; row < kFryRowLabels.size(); ++row) {
        const double label = std::stod(std::string(kFryRowLabels[row]));
        EXPECT_NEAR(FrySentencesOfRow(static_cast<double>(row)), label, 0.07) << kFryRowLabels[row];
    }
    EXPECT_DOUBLE_EQ(FryRowOfSentences(25.0), kFryTopRow);
    for (const double y : {1.5, 2.0, 2.7, 3.2, 10.0 / 3, 4.4, 12.0, 25.0, 40.0})
        EXPECT_NEAR(FrySentencesOfRow(FryRowOfSentences(y)), y, 1e-12) << y;
}

TEST(FryGraph, PointsEitherSideOfBoundaries) {
    const struct {
        const char* name;
        int leftZone;
        double y;
    } cases[] = {
        {"1|2 high on the left", 1, 12.0}, {"3|4 middle", 3, 8.0},
        {"6|7 above the corner", 6, 5.0},  {"7|8 low", 7, 4.0},
        {"9|10 at the bottom", 9, 2.2},    {"12|13 grade to college", 12, 5.0},
        {"14|15 last", 14, 3.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FryReading left = ReadFryGraph(BesideBoundary(c.leftZone, c.y, -1.5), c.y);
        const FryReading right = ReadFryGraph(BesideBoundary(c.leftZone, c.y, 1.5), c.y);
        ASSERT_EQ(left.region, FryRegion::Zone);
        ASSERT_EQ(right.region, FryRegion::Zone);
        EXPECT_EQ(left.zone, c.leftZone);
        EXPECT_EQ(right.zone, c.leftZone + 1);
        EXPECT_FALSE(left.nearBoundary);

        // Within a syllable the point is honestly between the two zones.
        const FryReading near = ReadFryGraph(BesideBoundary(c.leftZone, c.y, 0.4), c.y);
        EXPECT_EQ(near.zone, c.leftZone + 1);
        EXPECT_TRUE(near.nearBoundary);
        EXPECT_EQ(near.otherZone, c.leftZone);
    }
    // Exactly on a boundary the point belongs to the zone on its left.
    EXPECT_EQ(ReadFryGraph(BesideBoundary(8, 6.0, 0), 6.0).zone, 8);
}

TEST(FryGraph, CornersAndOffTheGraph) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        double s;
        double y;
        FryRegion region;
    } cases[] = {
        {"long sentences, deep inside", 110, 2.5, FryRegion::LongSentences},
        {"long sentences, just above the slanted edge", 116, 3.6, FryRegion::Zone},
        {"long sentences, right of the triangle", 125, 2.0, FryRegion::Zone},
        {"long words, deep inside", 165, 20.0, FryRegion::LongWords},
        {"long words, just below the curve", 150, 12.5, FryRegion::Zone},
        {"long words, left of s 142", 141, 25.0, FryRegion::Zone},
        {"bottom-left corner of the frame", 108, 2.0, FryRegion::LongSentences},
        {"left edge just above the triangle", 108, 4.3, FryRegion::Zone},
        {"top-right corner of the frame", 174, 25.0, FryRegion::LongWords},
        {"left of the graph", 107.9, 6, FryRegion::OffGraph},
        {"right of the frame", 174.1, 6, FryRegion::OffGraph},
        {"below the bottom row", 130, 1.9, FryRegion::OffGraph},
        {"above the top row", 130, 25.1, FryRegion::OffGraph},
        {"no number", nan, 6, FryRegion::OffGraph},
        {"infinite", 130, inf, FryRegion::OffGraph},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FryReading reading = ReadFryGraph(c.s, c.y);
        EXPECT_EQ(reading.region, c.region);
        if (c.region != FryRegion::Zone) {
            EXPECT_EQ(reading.zone, 0);
        }
    }
}

TEST(FryGraph, VisibleBoundariesEndWhereThePrintedGraphSays) {
    // The ends as printed with the graph: s and y of the lower end, s of the
    // upper end and, where it is printed, its y.
    const double none = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double lowerS, lowerY, upperS, upperY;
    } ends[] = {
        {108, 9.76, 134.0, 25.0},   {108, 7.81, 142.1, none},   {108, 6.40, 144.0, none},
        {108, 5.61, 146.7, none},   {108, 5.06, 149.3, none},   {109.9, none, 151.1, none},
        {117.5, none, 156.1, none}, {123.2, none, 158.7, none}, {136.2, 2.0, 161.2, none},
        {143.1, 2.0, 165.4, none},  {148.1, 2.0, 169.3, none},  {155.3, 2.0, 171.3, none},
        {161.5, 2.0, 172.0, 6.98},  {167.9, 2.0, 172.0, 4.72},
    };
    for (std::size_t k = 0; k < kFryZoneBoundaries.size(); ++k) {
        SCOPED_TRACE(kFryZoneBoundaries[k].leftZone);
        const FrySegment segment = FryVisibleBoundary(kFryZoneBoundaries[k]);
        EXPECT_NEAR(segment.lower.s, ends[k].lowerS, 0.2);
        EXPECT_NEAR(segment.upper.s, ends[k].upperS, 0.2);
        if (!std::isnan(ends[k].lowerY)) {
            EXPECT_NEAR(FrySentencesOfRow(segment.lower.r), ends[k].lowerY, 0.02);
        }
        if (!std::isnan(ends[k].upperY)) {
            EXPECT_NEAR(FrySentencesOfRow(segment.upper.r), ends[k].upperY, 0.02);
        }
    }
}

TEST(FryGraph, EveryZoneLabelLiesInItsZone) {
    for (int zone = kFryFirstZone; zone <= kFryLastZone; ++zone) {
        const FryPoint p = FryZoneLabelPosition(zone);
        const FryReading reading = ReadFryGraph(p.s, FrySentencesOfRow(p.r));
        EXPECT_EQ(reading.region, FryRegion::Zone) << zone;
        EXPECT_EQ(reading.zone, zone);
    }
}

TEST(FryGraph, CurvesStayOnTheGraph) {
    // The drawing maps (s, r) straight onto the frame: nothing may fall outside.
    for (const auto& curve :
         {std::span<const FryPoint>(kFryLongWordsCurve), std::span<const FryPoint>(kFryGuideCurve),
          std::span<const FryPoint>(kFryLongSentencesCorner)}) {
        for (const FryPoint& p : curve) {
            EXPECT_GE(p.s, kFrySyllablesMin);
            EXPECT_LE(p.s, kFrySyllablesFrameMax);
            EXPECT_GE(p.r, 0);
            EXPECT_LE(p.r, kFryTopRow);
        }
    }
}

} // namespace
