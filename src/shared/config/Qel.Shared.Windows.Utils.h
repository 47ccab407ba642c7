#pragma once
// Questions about the account the program runs under.

class TWindowsUtils {
public:
  // Whether the process has administrator rights (effective user id 0 on this platform);
  // logs "User is Admin" as success or error.
  static bool IsAdmin();
};
