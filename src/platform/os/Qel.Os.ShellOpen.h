#pragma once
// The shell's "open": a file is handed to the desktop's opener program (xdg-open), which
// starts the program associated with the file's type.

#include <QString>
#include <optional>

// The shell's return code for a successful open (any code above 32 means success).
inline constexpr int cShellOpenSucceeded = 42;

// Opens aFileName with its associated program, with aDirectory as working folder, and returns
// a return code of the shell: cShellOpenSucceeded, or for a failure of the opener 0 (general
// failure, also when no opener is installed), 2 (file not found), 5 (access denied) or 31 (no
// application associated). The opener runs in a session of its own and is not waited for
// beyond a few seconds: an opener that is still running then counts as a success, and it goes
// on running when this process ends.
int ShellOpenFile(const QString& aFileName, const QString& aDirectory);

// The opener program (a full file name) instead of xdg-open from the search path; tests point
// it to a script of their own. std::nullopt restores xdg-open.
void SetShellOpenProgramOverride(std::optional<QString> aProgram);
