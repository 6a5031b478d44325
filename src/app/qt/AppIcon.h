#pragma once
// The clock's icon for the window and the tray, from the icon set laid beside
// the program: the PNGs at each size and the SVG where Qt can draw SVG.

#include <QIcon>
#include <QString>

QIcon appIcon(const QString& folder);
