#pragma once

#include "forms/CurrentAnalysis.h"

#include <QWidget>

#include <optional>

class QLabel;
class QSpinBox;

// The top of the details window: the verdict on the current analysis in plain
// words ("About grade 7 ..., fairly easy ...") and the grade the user holds
// texts to, remembered between runs. Follows the analysis.
class DetailsHeadline : public QWidget {
    Q_OBJECT
public:
    DetailsHeadline(CurrentAnalysis* analysis, QWidget* parent = nullptr);

    // Empty when no target grade is set.
    std::optional<int> TargetGrade() const;
    void SetTargetGrade(std::optional<int> grade);

    void TargetGradeEditChange(int value);

    QLabel* HeadlineST = nullptr;
    QLabel* TargetGradeST = nullptr;
    QSpinBox* TargetGradeEdit = nullptr; // 0 shows as "none"

signals:
    // After each new verdict: whether the text is above the target grade.
    void verdictShown(bool tooHard);

private:
    void showVerdict();

    CurrentAnalysis* analysis_;
};
