#pragma once
// The task windows ("Прочитать", "Записать", "Загрузить ПО"), the monitoring views and the
// About window in the window registry (config/widgets/windowregistry.h).

// Registers every task and monitoring window class that exists; the main window calls it once.
// Each window adds its line in app/builtinwindows.cpp.
void registerBuiltinWindows();
