#include "pages/pageregistry.h"

SubWindowFactories<PageContext> &pageRegistry()
{
    static SubWindowFactories<PageContext> factories;
    return factories;
}
