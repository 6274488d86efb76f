#pragma once
// A new configuration image with the defaults of every block.

#include <QtGlobal>

class TThread;
struct TK440;

// Zeroes the image, sets the model and software version, then lets every registered page
// write its block's defaults (each page built with mode 0 and discarded at once).
void makeDefaultImage(TK440 &image, quint16 model, TThread *thread);
