#include "Qel.Shared.Config.Customer.Data.h"

namespace {
const QString cSection = QStringLiteral("SKISCHULE");
const QString cName = QStringLiteral("ssName");
const QString cInitial = QStringLiteral("ssInitial");
} // namespace

TConfigCustomerData::TConfigCustomerData(TCreateKey, TFileData* aFile)
    : TIniData(aFile, QString()) {}

QString TConfigCustomerData::GetCaption() const {
  return FInitial.isEmpty() ? FName : FName + QStringLiteral(" [") + FInitial + u']';
}

bool TConfigCustomerData::LoadFromIni(const QString& aSection, TIniFile* aIni) {
  if (!TIniData::LoadFromIni(aSection, aIni))
    return false;
  FName = aIni->ReadString(cSection, cName, QString());
  FInitial = aIni->ReadString(cSection, cInitial, QString());
  return true;
}

bool TConfigCustomerData::SaveToIni(const QString& aSection, TIniFile* aIni) {
  if (!TIniData::SaveToIni(aSection, aIni))
    return false;
  aIni->WriteString(cSection, cName, FName);
  aIni->WriteString(cSection, cInitial, FInitial);
  return true;
}
