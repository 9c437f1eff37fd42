#pragma once

// Fry's readability graph (extended form) as numbers: the axes, the grade-zone
// boundaries, the two blacked-out corners and the guide curve, in the graph's own
// coordinates, plus the reading of a point. The picture in the graph window is
// drawn from these same tables, so what is drawn and what is read cannot differ.
//
// Coordinates: s = syllables per 100 words (x, linear); r = the printed row of the
// y axis (0 = the 2.0 row at the bottom, 29 = the "25.0+" row at the top). The y
// axis is not linear in sentences per 100 words (y); FryRowOfSentences converts.
// Every line and curve below is straight (or piecewise straight) in (s, r), so a
// drawing maps (s, r) linearly to the picture:
//   px = left + (s - kFrySyllablesMin) * width / (kFrySyllablesFrameMax - kFrySyllablesMin)
//   py = top + (kFryTopRow - r) * height / kFryTopRow

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

struct FryPoint {
    double s = 0; // syllables per 100 words
    double r = 0; // printed row, 0 to kFryTopRow
};

// ---- Axes ------------------------------------------------------------------

inline constexpr double kFrySyllablesMin = 108;      // left edge
inline constexpr double kFrySyllablesMax = 172;      // last labelled column
inline constexpr double kFrySyllablesFrameMax = 174; // the frame runs one column further
inline constexpr double kFrySyllablesPerColumn = 2;  // one grid column
inline constexpr double kFrySyllablesPerLabel = 4;   // labels 108, 112, ..., 172

inline constexpr double kFrySentencesMin = 2.0;  // bottom row
inline constexpr double kFrySentencesMax = 25.0; // top row, printed "25.0+"
inline constexpr double kFryTopRow = 29;         // rows 0 to 29, evenly spaced

// The printed labels of the rows, bottom (row 0) to top (row 29).
inline constexpr std::array<std::string_view, 30> kFryRowLabels = {
    "2.0", "2.5", "3.0", "3.3",  "3.5",  "3.6",  "3.7",  "3.8",  "4.0",  "4.2",
    "4.3", "4.5", "4.8", "5.0",  "5.2",  "5.6",  "5.9",  "6.3",  "6.7",  "7.1",
    "7.7", "8.3", "9.1", "10.0", "11.1", "12.5", "14.3", "16.7", "20.0", "25.0+"};

inline constexpr std::string_view kFryTitle = "Graph for Estimating Readability - Extended";
inline constexpr std::string_view kFryXCaption = "Average number of syllables per 100 words";
inline constexpr std::string_view kFryYCaption = "Average number of sentences per 100 words";

// The row of y sentences per 100 words: row r stands for sentences of 33 - r
// words, so r = 33 - 100 / y from y = 10/3 up; below that the printed rows are
// joined linearly through (3.0, 2), (2.5, 1), (2.0, 0). Continuous and strictly
// increasing for every y > 0 (values outside 2.0 to 25.0 give rows outside 0 to
// 29, extended along the nearest piece).
double FryRowOfSentences(double y);

// The inverse of FryRowOfSentences.
double FrySentencesOfRow(double r);

// ---- Grade zones -----------------------------------------------------------

// Boundary k|k+1 is the straight line s = a + b * r; zone k lies to its left
// (and above), zone k+1 to its right.
struct FryZoneBoundary {
    int leftZone; // k
    double a;
    double b;
    double SyllablesAt(double r) const { return a + b * r; }
};

inline constexpr std::array<FryZoneBoundary, 14> kFryZoneBoundaries = {{
    {1, 13.15, 4.168},
    {2, 29.21, 3.900},
    {3, 48.70, 3.412},
    {4, 57.55, 3.324},
    {5, 64.95, 3.248},
    {6, 91.12, 2.373},
    {7, 110.46, 1.939},
    {8, 122.57, 1.586},
    {9, 136.16, 1.128},
    {10, 143.08, 1.045},
    {11, 148.07, 1.027},
    {12, 155.32, 0.781},
    {13, 161.52, 0.561},
    {14, 167.93, 0.345},
}};

inline constexpr int kFryFirstZone = 1;
inline constexpr int kFryLastGradeZone = 12; // zones right of 12|13 are "College"
inline constexpr int kFryLastZone = 15;

// The part of a boundary line that is drawn: from where it leaves the left or
// bottom edge or the long-sentences corner up to where it meets the top edge,
// the long-words corner or the column s = kFrySyllablesMax.
struct FrySegment {
    FryPoint lower;
    FryPoint upper;
};
FrySegment FryVisibleBoundary(const FryZoneBoundary& boundary);

// Where to print a zone's number (1 to 15): inside the zone, near the bottom or
// left edge (or the long-sentences corner), between the boundaries either side.
FryPoint FryZoneLabelPosition(int zone);

// ---- The two blacked-out corners (readings there are invalid) --------------

// "Long sentences", bottom left: a triangle; its slanted edge runs from the
// first corner to the third, straight in (s, r).
inline constexpr std::array<FryPoint, 3> kFryLongSentencesCorner = {{
    {108, 9.0}, // y 4.2
    {108, 0.0}, // y 2.0
    {124, 0.0},
}};

// "Long words", top right: above this curve (joined by straight pieces), closed
// by the top edge from s 142 and the right edge of the frame down to its last
// point (y 7.8). At s 142 the region's edge runs straight up to the top edge.
inline constexpr std::array<FryPoint, 14> kFryLongWordsCurve = {{
    {142, 28.85},
    {144, 28.02},
    {145, 27.42},
    {146, 27.03},
    {148, 26.34},
    {150, 25.69},
    {152, 24.88},
    {155, 23.88},
    {158, 22.96},
    {162, 22.03},
    {166, 21.18},
    {170, 20.56},
    {172, 20.29},
    {174, 20.19},
}};

inline constexpr std::string_view kFryLongSentencesCaption = "Long sentences";
inline constexpr std::string_view kFryLongWordsCaption = "Long words";

// True when the point lies in the corner. The corner's slanted or curved edge
// belongs to the graph; where the corner meets the frame, the frame is black.
bool FryInLongSentences(FryPoint p);
bool FryInLongWords(FryPoint p);

// ---- Guide curve -----------------------------------------------------------

// The curve on which most texts fall; a guide only, drawn as straight pieces.
// The first two points share their s: the curve runs straight down from the top.
inline constexpr std::array<FryPoint, 31> kFryGuideCurve = {{
    {119.9, 29.0},  {119.9, 26.5},  {120.0, 26.0},  {120.2, 25.0},  {120.6, 24.0},  {121.1, 23.0},
    {121.8, 22.0},  {123.1, 20.5},  {124.2, 19.5},  {125.5, 18.5},  {127.1, 17.5},  {128.9, 16.5},
    {131.0, 15.52}, {133.0, 14.72}, {135.0, 13.98}, {137.0, 13.34}, {139.0, 12.74}, {141.0, 12.07},
    {143.0, 11.67}, {145.0, 11.24}, {147.0, 10.82}, {149.0, 10.41}, {151.0, 10.05}, {153.0, 9.64},
    {155.0, 9.41},  {157.0, 9.13},  {159.0, 8.86},  {161.0, 8.60},  {165.0, 8.13},  {169.0, 7.66},
    {173.0, 7.17},
}};

// ---- The picture -------------------------------------------------------------

// Where the frame (s 108 to 174, rows 0 to 29) lies in the graph window's
// 800 x 581 picture, in pixels.
inline constexpr double kFryPictureLeft = 78;
inline constexpr double kFryPictureRight = 782;
inline constexpr double kFryPictureTop = 74;
inline constexpr double kFryPictureBottom = 528;

struct FryPixel {
    double x = 0;
    double y = 0;
};

// The picture's pixel of a point of the graph.
FryPixel FryPixelOf(FryPoint p);

// ---- Reading a point ---------------------------------------------------------

enum class FryRegion {
    Zone,          // inside a grade zone
    LongWords,     // in the top-right corner: no valid reading
    LongSentences, // in the bottom-left corner: no valid reading
    OffGraph,      // outside 108 <= s <= 174, 2.0 <= y <= 25.0, or not a number
};

struct FryReading {
    FryRegion region = FryRegion::OffGraph;
    int zone = 0;                 // 1 to 15 for FryRegion::Zone, else 0
    bool nearBoundary = false;    // within one syllable of a zone boundary
    std::optional<int> otherZone; // the zone across that boundary, when near one
    double row = 0;               // the point's row, for placing it on the picture
};

// Within this many syllables of a boundary a point is honestly between two zones.
inline constexpr double kFryBoundaryMargin = 1.0;

// Reads the point (syllables per 100 words, sentences per 100 words). The zone
// is 1 plus the number of boundaries that lie left of the point; a point exactly
// on a boundary belongs to the zone on its left. NaN or infinite input reads as
// OffGraph. Example: (141, 6.3) reads as zone 7.
FryReading ReadFryGraph(double syllablesPer100Words, double sentencesPer100Words);

// The region as a short lower-case name: "zone", "long words", "long sentences",
// "off graph".
std::string_view FryRegionName(FryRegion region);
