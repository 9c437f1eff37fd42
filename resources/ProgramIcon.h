#pragma once

#include <QIcon>

// The program's icon, in every size that is drawn for it.
QIcon ProgramIcon();
