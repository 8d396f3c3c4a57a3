// AppIcon.h: the application icon (resource 128) for windows and the About box.
#pragma once

#include <QIcon>
#include <QPixmap>

QPixmap AppIconPixmap();
QIcon AppIcon();
