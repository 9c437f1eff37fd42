#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QKeyEvent;
class QPushButton;

// The program's name, version and a link to its web page. Shown modally;
// centred on the screen the first time, where it was left afterwards.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Comments = nullptr;
    QLabel* InfoST = nullptr;
    QLabel* HyperLinkLB = nullptr;
    QPushButton* OKButton = nullptr;

    // Opens the link's own text in the web browser; does not wait for it.
    void HyperLinkLBClick();

protected:
    // Only the window's own button and its close box end it, not Escape.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createPanel();
    void createButtons();
};

// The address of the product's web page, as the about box shows it.
QString ProductHomePage();

extern TAboutBox* AboutBox;
