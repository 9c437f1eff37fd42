#pragma once

#include <QWidget>

// Placeholder until the graph window is built.
class TFryGraphForm : public QWidget {
    Q_OBJECT
public:
    explicit TFryGraphForm(QWidget* parent = nullptr);
};

extern TFryGraphForm* FryGraphForm;
