#pragma once
// Start-up and shutdown of the framework's modules, run explicitly from one table in a fixed
// order (nothing depends on static initialisation order). Shutdown runs in reverse order.

#include <vector>

struct TModuleEntry {
  const char* Name;
  void (*Initialization)(); // may be nullptr
  void (*Finalization)();   // may be nullptr
};

// The modules without windows, in start-up order: instance statistics, paths and files,
// logging. Programs with windows append the wait dialog and the log viewer
// (FrameworkWindowModules of Qel.Shared.Ui.Modules).
std::vector<TModuleEntry> FrameworkModules();

class TModuleTable {
public:
  explicit TModuleTable(std::vector<TModuleEntry> aModules) : FModules(std::move(aModules)) {}
  TModuleTable(const TModuleTable&) = delete;
  TModuleTable& operator=(const TModuleTable&) = delete;
  // Shuts down what was started, also when the program leaves early.
  ~TModuleTable() { Finalize(); }

  void Initialize();
  // Each started module once, in reverse order.
  void Finalize();

private:
  std::vector<TModuleEntry> FModules;
  std::size_t FStarted = 0;
};
