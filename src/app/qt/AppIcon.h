#pragma once
// The clock's icon for the window and the tray, from the icon set laid beside
// the program: the PNGs at each size, else the .ico.

#include <QIcon>
#include <QString>

QIcon appIcon(const QString& folder);
