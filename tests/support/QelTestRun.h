#pragma once
// The body of every test binary's main: fixed format settings, one temporary program folder
// for the whole run and the given modules started around the tests.

#include "Qel.Shared.Modules.h"

#include <vector>

int QelRunTests(int argc, char** argv, std::vector<TModuleEntry> aModules);
