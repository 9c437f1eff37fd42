#pragma once

#include "analysis/CountingPasses.h"
#include "forms/CurrentAnalysis.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <optional>

class QLabel;

// The picture of Fry's readability graph, on which the user reads off the grade
// level by eye. A top-level window of its own (with its own taskbar entry when
// created without a parent), shown beside the main window without blocking it,
// and only hidden when closed. Its client area is held at the picture's size.
class TFryGraphForm : public QWidget {
    Q_OBJECT
public:
    explicit TFryGraphForm(QWidget* parent = nullptr);

    // The size of the picture, and so of the client area.
    static constexpr int kPictureWidth = 800;
    static constexpr int kPictureHeight = 581;

    // Remembers the passage; while the passage is marked, draws its point on a
    // copy of the picture with the grade it reads as. Counts without words or
    // sentences, and an unmarked passage, show the plain picture.
    void ShowPassage(const AnalysisCounts& counts);
    // The plain picture, as before any analysis.
    void ClearPassage();
    // Whether the passage is marked on the picture; off, as designed, unless
    // the user asks for it.
    void SetMarkPassage(bool mark);
    bool MarkPassage() const { return markPassage_; }
    // Shows each analysis of the owner as it comes and as its counts change.
    void Follow(CurrentAnalysis* analysis);

    QLabel* FryImage = nullptr;

private:
    void createControls();

    QImage picture_;
    std::optional<AnalysisCounts> passage_;
    bool markPassage_ = false;
};

// Where a point (syllables and sentences per 100 words) lies on the picture:
// its pixel, or, for a point beyond the graph's frame, the nearest pixel on the
// frame's edge, with pinned set.
QPointF FryPointOnPicture(double syllablesPer100Words, double sentencesPer100Words, bool& pinned);

// A copy of the picture with the point marked and labelled with its reading
// (an arrow towards it from the frame's edge when it lies beyond).
QImage FryPictureWithPoint(const QImage& picture, double syllablesPer100Words,
                           double sentencesPer100Words);

// The graph picture, decoded from the copy built into the program. Throws
// JpegError when it cannot be decoded.
QImage LoadFryGraphPicture();

extern TFryGraphForm* FryGraphForm;
