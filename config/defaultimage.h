#pragma once
// A new configuration image with the defaults of every block, made without any window.

#include <QDate>
#include <QtGlobal>

struct TK440;

// Zeroes the image, sets the model and software version, then runs the defaults writer of every
// window that has one (config/windows.h). `today` is the manufacturing date of the information
// area.
void makeDefaultImage(TK440 &image, quint16 model, QDate today = QDate::currentDate());
