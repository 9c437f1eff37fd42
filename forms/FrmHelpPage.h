#pragma once

#include <QDialog>

// Placeholder until the help window is built.
class THelpPageForm : public QDialog {
    Q_OBJECT
public:
    explicit THelpPageForm(QWidget* parent = nullptr);
};

extern THelpPageForm* HelpPageForm;
