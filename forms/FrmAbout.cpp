#include "forms/FrmAbout.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Scrivolux v1.1");
}
