#pragma once
// The configuration pages and the Info page in the window registry
// (config/widgets/windowregistry.h).

// Registers every page class that exists; the main window calls it once. Each page adds its
// line in pages/builtinpages.cpp (a static library drops self-registering objects that nothing
// references).
void registerBuiltinPages();
