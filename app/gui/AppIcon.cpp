// AppIcon.cpp: builds the icon from the XPM image compiled into the program.
#include "app/gui/AppIcon.h"

#include "res/qiva_import.xpm"

QPixmap AppIconPixmap() { return QPixmap(qiva_import_xpm); }

QIcon AppIcon() { return QIcon(AppIconPixmap()); }
