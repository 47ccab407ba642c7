#pragma once
// Version resources of program files: the fixed file information of a PE file, and the
// version note ("Qel" owner, type 1, four 16-bit numbers) that our build writes into ELF programs.

#include <QString>
#include <array>
#include <cstdint>

enum class TVersionResourceResult {
  vrFileMissing, // the name is empty or no such file
  vrNoResource,  // the file carries no version resource (a text file, a foreign ELF program)
  vrFound,       // aVersion holds major, minor, release, build
  vrUnreadable,  // the file claims a resource but it cannot be read or is damaged
};

TVersionResourceResult ReadVersionResource(const QString& aFileName,
                                           std::array<uint16_t, 4>& aVersion, QString& aError);
