#pragma once
// The module table of a program with windows: the framework's modules, then the wait dialog
// and the log viewer, whose registries are therefore shut down first.

#include "Qel.Shared.Modules.h"

#include <vector>

// The wait dialog and the log viewer, in start-up order.
std::vector<TModuleEntry> WindowModules();
// FrameworkModules followed by WindowModules.
std::vector<TModuleEntry> FrameworkWindowModules();
