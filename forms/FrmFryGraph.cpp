#include "forms/FrmFryGraph.h"

TFryGraphForm* FryGraphForm = nullptr;

TFryGraphForm::TFryGraphForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle("Fry's Graph");
}
