#include "pages/pageregistry.h"

void registerBuiltinPages()
{
    static bool done = false;
    if (done)
        return;
    done = true;
}
