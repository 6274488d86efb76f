#include "app/windowregistry.h"

SubWindowFactories<WindowContext> &windowRegistry()
{
    static SubWindowFactories<WindowContext> factories;
    return factories;
}
