#pragma once
// A temporary folder laid out like an installed program: <tmp>/Prog/Bin/<program>, with the
// machine-wide data folder at <tmp>/Common. While the fixture lives, the running program's
// file name and the machine-wide folder point there; at the end they point back where they
// pointed before, and the clock is released.

#include <QString>
#include <QTemporaryDir>

class TTestProgramFolder {
public:
  explicit TTestProgramFolder(const QString& aProgram = QStringLiteral("Qel_Test"));
  ~TTestProgramFolder();
  TTestProgramFolder(const TTestProgramFolder&) = delete;
  TTestProgramFolder& operator=(const TTestProgramFolder&) = delete;

  // The temporary root, with a trailing delimiter.
  QString Root() const;
  // <root>Prog/
  QString Main() const { return Root() + QStringLiteral("Prog/"); }
  // <root>Prog/Bin/<program>
  QString ProgramFile() const { return FProgramFile; }
  // <root>Common/
  QString Common() const { return Root() + QStringLiteral("Common/"); }

  // Writes a file (creating its folder) and returns its full name.
  QString WriteFile(const QString& aRelativeName, const QByteArray& aContent) const;

private:
  QString FPreviousProgramFile;
  QString FPreviousCommon;
  QTemporaryDir FDir;
  QString FProgramFile;
};
