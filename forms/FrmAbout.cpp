#include "forms/FrmAbout.h"

#include "forms/Desktop.h"
#include "resources/ProgramIcon.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#ifndef SCRIVOLUX_HOMEPAGE
#error "SCRIVOLUX_HOMEPAGE is set by the build (forms/CMakeLists.txt)"
#endif

TAboutBox* AboutBox = nullptr;

QString ProductHomePage() {
    return QStringLiteral(SCRIVOLUX_HOMEPAGE);
}

namespace {

QLabel* AddLabel(QWidget* parent, const QString& text, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("Scrivolux v1.1"));
    setWindowIcon(::ProgramIcon());
    createPanel();
    createButtons();
    setFixedSize(298, 229);
    // Centred on the screen once; a window that has been moved keeps its place
    // at the next showing.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAboutBox::createPanel() {
    // A groove: the outer bevel lowered, the inner one raised.
    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setGeometry(8, 8, 281, 177);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setGeometry(24, 16, 33, 33);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(::ProgramIcon().pixmap(32, 32));

    ProductName = AddLabel(Panel1, QStringLiteral("The Scrivolux"), {88, 16});
    Version = AddLabel(Panel1, QStringLiteral("Version 1.1"), {88, 40});

    Comments = new QLabel(
        QStringLiteral("This program computes readablilty statistics for the Fry Readablity Chart"),
        Panel1);
    Comments->setWordWrap(true);
    // Room for a third line where the font is wider than the one it was laid out for.
    Comments->setGeometry(8, 96, 256, std::clamp(Comments->heightForWidth(256), 26, 40));

    InfoST = AddLabel(Panel1, QStringLiteral("For more information, please visit:"), {8, 136});

    HyperLinkLB = AddLabel(Panel1, ProductHomePage(), {7, 152});
    QFont linkFont = HyperLinkLB->font();
    linkFont.setUnderline(true);
    HyperLinkLB->setFont(linkFont);
    HyperLinkLB->setForegroundRole(QPalette::Link);
    HyperLinkLB->setCursor(Qt::PointingHandCursor);
    HyperLinkLB->adjustSize();
    HyperLinkLB->installEventFilter(this);
}

void TAboutBox::createButtons() {
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(111, 196, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    // A click is a release of the left button over the link it was pressed on.
    if (watched == HyperLinkLB && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            HyperLinkLB->rect().contains(mouse->position().toPoint())) {
            HyperLinkLBClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::HyperLinkLBClick() {
    TheDesktop().OpenUrl(HyperLinkLB->text());
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
