#pragma once

#include "forms/CurrentAnalysis.h"

#include <QWidget>

class QLabel;
class QTableWidget;

// The details' further readability indices, each with what it means, and the
// counts they come from. Follows the analysis.
class DetailsIndicesPage : public QWidget {
    Q_OBJECT
public:
    DetailsIndicesPage(CurrentAnalysis* analysis, QWidget* parent = nullptr);

    QTableWidget* IndicesView = nullptr;
    QLabel* CountsST = nullptr;

private:
    void showFigures();

    CurrentAnalysis* analysis_;
};
