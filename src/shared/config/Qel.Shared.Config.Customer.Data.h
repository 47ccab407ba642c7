#pragma once
// The customer's name and short code.

#include "Qel.Shared.Config.Ini.Data.h"

class TConfigCustomerData : public TIniData {
  QEL_CLASS("Qel.Shared.Config.Customer.Data", TConfigCustomerData)
  QEL_FIELDS(TConfigCustomerData, TIniData, QEL_FIELD(FName), QEL_FIELD(FInitial))

public:
  TConfigCustomerData(TCreateKey, TFileData* aFile);

  const QString& Name() const { return FName; }
  void SetName(const QString& aValue) { Change(FName, aValue); }
  const QString& Initial() const { return FInitial; }
  void SetInitial(const QString& aValue) { Change(FInitial, aValue); }
  // The name, followed by " [<short code>]" when there is a short code.
  QString GetCaption() const override;

  // "ssName" and "ssInitial" of section "SKISCHULE".
  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override;
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override;

private:
  QString FName;
  QString FInitial;
};
