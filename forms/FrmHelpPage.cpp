#include "forms/FrmHelpPage.h"

THelpPageForm* HelpPageForm = nullptr;

THelpPageForm::THelpPageForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("How to use the Scrivolux");
}
