#include "Qel.Shared.Setting.h"

#include "Qel.Shared.Database.h"

TVariant TQelSetting::GetSettingFromRuzadadiv(TIBCConnection* AConnection, const QString& ASection,
                                              const QString& AIdent, const TVariant& ADefault) {
  const auto lQuery = TQelDatabase::CreateDataSet(AConnection);
  lQuery->SQL().AddStrings({QStringLiteral("select ap.val"), QStringLiteral("from app_settings ap"),
                            QStringLiteral("where ap.section = :section"),
                            QStringLiteral("and ap.ident = :ident")});
  lQuery->ParamByName(QStringLiteral("section"))->SetAsString(ASection);
  lQuery->ParamByName(QStringLiteral("ident"))->SetAsString(AIdent);
  lQuery->Open();
  if (lQuery->Eof())
    return ADefault;
  return lQuery->FieldByName(QStringLiteral("val"))->AsVariant();
}
