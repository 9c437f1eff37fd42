#include "forms/Desktop.h"

#include "forms/ErrorDisplay.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The toolkit's font chooser as a part of another dialog. On its own it is a
// dialog that Enter and Escape end, which inside another would only hide it
// and leave the outer dialog empty: its ending ends the outer dialog instead.
class EmbeddedFontChooser final : public QFontDialog {
public:
    EmbeddedFontChooser(const QFont& font, QDialog* owner)
        : QFontDialog(font, owner), owner_(owner) {}

    void done(int result) override { owner_->done(result); }

protected:
    // Enter in one of the chooser's fields confirms the whole dialog, Escape
    // cancels it (a button that has the focus takes Enter itself).
    void keyPressEvent(QKeyEvent* event) override {
        if (event->modifiers() & ~Qt::KeypadModifier)
            return QFontDialog::keyPressEvent(event);
        switch (event->key()) {
        case Qt::Key_Enter:
        case Qt::Key_Return:
            done(QDialog::Accepted);
            return;
        case Qt::Key_Escape:
            done(QDialog::Rejected);
            return;
        default:
            QFontDialog::keyPressEvent(event);
        }
    }

private:
    QDialog* owner_;
};

// The system's font dialog has no colour; this one adds a colour button below
// the toolkit's font chooser, which offers the other effects (underline,
// strikeout) itself.
class FontAndColorDialog : public QDialog {
public:
    FontAndColorDialog(QWidget* parent, const QFont& font, const QColor& color)
        : QDialog(parent), color_(color) {
        setWindowTitle(QStringLiteral("Font"));
        fontChooser_ = new EmbeddedFontChooser(font, this);
        fontChooser_->setWindowFlags(Qt::Widget);
        fontChooser_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        requested_ = font;
        shownFamily_ = fontChooser_->currentFont().family();

        colorButton_ = new QPushButton(QStringLiteral("&Color..."), this);
        connect(colorButton_, &QPushButton::clicked, this, [this] {
            const QColor chosen = QColorDialog::getColor(color_, this, QStringLiteral("Color"));
            if (chosen.isValid()) {
                color_ = chosen;
                showColor();
            }
        });
        colorSample_ = new QLabel(this);
        colorSample_->setFixedSize(48, 20);
        colorSample_->setAutoFillBackground(true);
        colorSample_->setFrameShape(QFrame::Box);
        showColor();

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

        auto* colorRow = new QHBoxLayout;
        colorRow->addWidget(colorButton_);
        colorRow->addWidget(colorSample_);
        colorRow->addStretch();
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(fontChooser_);
        layout->addLayout(colorRow);
        layout->addWidget(buttons);
    }

    // A face that is not installed (the designed "MS Sans Serif") shows as its
    // stand-in; unless the user picked another face, the name asked for stays.
    QFont font() const {
        QFont chosen = fontChooser_->currentFont();
        if (chosen.family() == shownFamily_)
            chosen.setFamilies(requested_.families().isEmpty() ? QStringList{requested_.family()}
                                                               : requested_.families());
        return chosen;
    }
    QColor color() const { return color_; }

private:
    void showColor() {
        QPalette palette = colorSample_->palette();
        palette.setColor(QPalette::Window, color_);
        colorSample_->setPalette(palette);
    }

    QFont requested_;
    QString shownFamily_;
    QFontDialog* fontChooser_ = nullptr;
    QPushButton* colorButton_ = nullptr;
    QLabel* colorSample_ = nullptr;
    QColor color_;
};

class RealDesktop final : public Desktop {
public:
    void ShowMessage(QWidget* parent, const QString& text) override {
        showMessageBox(parent, QMessageBox::NoIcon, text);
    }

    void ShowError(QWidget* parent, const QString& text) override {
        showMessageBox(parent, QMessageBox::Critical, text);
    }

    bool AskYesNo(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Question, ApplicationTitle(ExecutablePath()), text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }

    SaveChoice AskSaveChanges(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Warning, ApplicationTitle(ExecutablePath()), text,
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
        box.setTextFormat(Qt::PlainText);
        box.button(QMessageBox::Discard)->setText(QStringLiteral("Do&n't Save"));
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (box.exec()) {
        case QMessageBox::Save:
            return SaveChoice::Save;
        case QMessageBox::Discard:
            return SaveChoice::DontSave;
        default:
            return SaveChoice::Cancel;
        }
    }

    QString GetOpenFileName(QWidget* parent, const QString& filter,
                            const QString& defaultSuffix) override {
        return runFileDialog(parent, QFileDialog::AcceptOpen, filter, defaultSuffix, lastOpened_);
    }

    QString GetSaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                            const QString& proposedPath) override {
        if (!proposedPath.isEmpty())
            lastSaved_ = proposedPath;
        return runFileDialog(parent, QFileDialog::AcceptSave, filter, defaultSuffix, lastSaved_);
    }

    bool ChooseFont(QWidget* parent, QFont& font, QColor& color) override {
        FontAndColorDialog dialog(parent, font, color);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        font = dialog.font();
        color = dialog.color();
        return true;
    }

    void Pause(int milliseconds) override {
        // The full length, but the windows keep painting: a covered progress
        // window would otherwise stay blank for a second.
        QElapsedTimer clock;
        clock.start();
        for (qint64 left = milliseconds; left > 0; left = milliseconds - clock.elapsed()) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents,
                                            static_cast<int>(left));
            QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 10)));
        }
    }

    QString ExecutablePath() override { return QCoreApplication::applicationFilePath(); }

    void OpenUrl(const QString& url) override { QDesktopServices::openUrl(QUrl(url)); }

private:
    void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
        QMessageBox box(icon, ApplicationTitle(ExecutablePath()), text, QMessageBox::Ok, parent);
        // Messages quote file names and user text, which must never be read as markup.
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }

    // Each dialog offers the name last chosen in it. The open dialog does not
    // insist that the file exists: loading reports a missing file itself.
    static QString runFileDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                                 const QString& filter, const QString& defaultSuffix,
                                 QString& lastChosen) {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(filter);
        // A name typed in the open dialog keeps its form: a file without an
        // extension (README, GPL-3) exists as typed, and NamedFile decides.
        if (mode == QFileDialog::AcceptSave) {
            dialog.setDefaultSuffix(defaultSuffix);
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        }
        if (!lastChosen.isEmpty())
            dialog.selectFile(lastChosen);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        lastChosen = dialog.selectedFiles().constFirst();
        return lastChosen;
    }

    QString lastOpened_;
    QString lastSaved_;
};

RealDesktop realDesktop;
Desktop* installedDesktop = nullptr;

} // namespace

Desktop& TheDesktop() {
    return installedDesktop ? *installedDesktop : realDesktop;
}

void SetDesktop(Desktop* desktop) {
    installedDesktop = desktop;
}

QString NamedFile(const QString& typed, const QString& defaultSuffix) {
    const QFileInfo file(typed);
    if (file.exists() || !file.suffix().isEmpty() || defaultSuffix.isEmpty())
        return typed;
    return typed + u'.' + defaultSuffix;
}
