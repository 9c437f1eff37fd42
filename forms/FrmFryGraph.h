#pragma once

#include <QWidget>

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

    QLabel* FryImage = nullptr;

private:
    void createControls();
};

// The graph picture, decoded from the copy built into the program. Throws
// JpegError when it cannot be decoded.
QImage LoadFryGraphPicture();

extern TFryGraphForm* FryGraphForm;
