#pragma once

#include "checks/CheckRules.h"
#include "forms/CurrentAnalysis.h"
#include "forms/TextHighlight.h"

#include <QWidget>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QTableWidget;

// The writing checks of the current analysis: a check box per kind of finding
// with its count, which switches the kind off (remembered), and the findings
// of the kinds left on. The checks run only once the page is shown, or when
// their colours are wanted in the text. Follows the analysis.
class DetailsChecksPage : public QWidget {
    Q_OBJECT
public:
    DetailsChecksPage(CurrentAnalysis* analysis, QWidget* parent = nullptr);

    // The grade above which a sentence is hard; without one, grade 10.
    void SetTargetGrade(std::optional<int> grade);

    void RuleCheckClick(CheckRule rule, bool on);
    void ColourCheckClick(bool on);
    void FindingsViewActivate(int row);

    // The findings to colour in the text, each kind in its colour
    // (PassageHighlight::kFirstCheckColour on); nothing while colouring is off.
    std::optional<std::vector<TextHighlight::Range>> ColouredRanges();

    std::array<QCheckBox*, kCheckRuleCount> RuleChecks{};
    QCheckBox* ColourCheck = nullptr;
    QLabel* FindingsST = nullptr;
    QTableWidget* FindingsView = nullptr;

signals:
    // The user asked for the finding's words in the text.
    void findingRequested(std::size_t position, std::size_t size);
    // The kinds shown or their colouring changed.
    void colouringChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showFindings();
    bool ruleOn(CheckRule rule) const;

    CurrentAnalysis* analysis_;
    std::optional<double> target_;
    std::vector<std::size_t> listed_; // the findings in the table's rows
    bool shownStale_ = true;          // the table is not of the current analysis
};
