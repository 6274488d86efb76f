#pragma once
// Pictures that the forms show in labels (the logo ":/images/velk.jpg").
//
// The forms name this function as their pixmap function, so uic loads each such picture through
// it instead of QPixmap(name). Those pictures are stored as PNG whatever their names say, and
// are read here with the PNG reader built into QtGui, chosen by name: QPixmap(name) would pick
// the image format plugin that claims the name's suffix (the JPEG plugin for ".jpg", which
// loads the JPEG library into the process), or try every installed plugin in turn. No image
// format plugin is needed to show a form.

#include <QPixmap>

QPixmap formPicture(const char *resource);
