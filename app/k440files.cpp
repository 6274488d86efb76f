#include "app/k440.h"

// Configuration file slots of the main window. Placeholders until the file operations land.

void K440::create() { }

void K440::open() { }

void K440::save() { }

void K440::saveAs() { }

void K440::openRecentFile() { }

void K440::shut() { }

bool K440::loadFile()
{
    return false;
}

bool K440::saveFile()
{
    return false;
}
