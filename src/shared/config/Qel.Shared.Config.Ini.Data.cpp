#include "Qel.Shared.Config.Ini.Data.h"

#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.Logging.h"

#include <QFile>

namespace {

// Creates aFileName holding the line "<empty>", so that the file exists before any key is
// read or written. An existing file is never touched.
bool CreateEmptyIniFile(const QString& aFileName) {
  QFile lFile(aFileName);
  if (!lFile.open(QIODevice::WriteOnly | QIODevice::NewOnly))
    return false;
  const QByteArray lLine("<empty>\n");
  return lFile.write(lLine) == lLine.size();
}

} // namespace

TIniData::TIniData(TFileData* aFile, const QString& aSection) : FFile(aFile), FSection(aSection) {}

TIniData::~TIniData() = default;

void TIniData::AfterConstruction() {
  Load(FFile);
}

bool TIniData::Load(TFileData* aFile) {
  FIni.reset();
  FFile = aFile;
  if (!aFile)
    return false;
  const QString lFileName = aFile->FileName();
  if (!aFile->GetExists() && !CreateEmptyIniFile(lFileName))
    // Read on with defaults: the program still starts, and the log tells why nothing sticks.
    TLogging::Add(this, QStringLiteral("Load"),
                  QStringLiteral("Unable to create \"%1\"").arg(lFileName), ltError);
  FIni = std::make_unique<TIniFile>(lFileName);
  return Load();
}

bool TIniData::Load() {
  return LoadFromIni(FSection, FIni.get());
}

bool TIniData::Save() {
  const int lFailedBefore = FIni ? FIni->FailedWrites() : 0;
  bool lResult = SaveToIni(FSection, FIni.get());
  if (lResult) {
    FIni->UpdateFile();
    // Changes that did not reach the file would be lost without a word at shutdown.
    lResult = TLogging::CheckOK(FIni->FailedWrites() == lFailedBefore,
                                QStringLiteral("Unable to write \"%1\"").arg(FIni->FileName()),
                                ltError, this, QStringLiteral("Save"));
  }
  return lResult;
}

QString TIniData::GetFileName() const {
  return FIni ? FIni->FileName() : QString();
}
