#include "Qel.Core.AppSettings.h"

#include "Qel.Ibdac.Transaction.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Rtl.Tick.h"
#include "Qel.Shared.IBC.h"
#include "Qel.Shared.Logging.h"

#include <QLocale>
#include <utility>

namespace {

// Runs its action when the scope ends, also by an exception.
template <typename F> class TFinally {
public:
  explicit TFinally(F aAction) : FAction(std::move(aAction)) {}
  ~TFinally() { FAction(); }
  TFinally(const TFinally&) = delete;
  TFinally& operator=(const TFinally&) = delete;

private:
  F FAction;
};

const QString cTrue = QStringLiteral("-1");
const QString cFalse = QStringLiteral("0");

QString Quoted(const QString& aSection, const QString& aIdent) {
  return u'"' + aSection + u'.' + aIdent + u'"';
}

bool TryTextToFloat(const QString& aText, double& aValue) {
  QString lText = aText.trimmed();
  const QChar lDecimal = FormatSettings().DecimalSeparator;
  if (lDecimal != u'.') {
    if (lText.contains(u'.'))
      return false;
    lText.replace(lDecimal, u'.');
  }
  bool lOk = false;
  const double lValue = QLocale::c().toDouble(lText, &lOk);
  if (lOk)
    aValue = lValue;
  return lOk;
}

bool TryTextToBool(const QString& aText, bool& aValue) {
  int64_t lNumber = 0;
  if (TryStrToInt64(aText.trimmed(), lNumber)) {
    aValue = lNumber != 0;
    return true;
  }
  if (aText.trimmed().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0) {
    aValue = true;
    return true;
  }
  if (aText.trimmed().compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0) {
    aValue = false;
    return true;
  }
  return false;
}

} // namespace

TAppSettings::TAppSettings(TIBCConnection* aCon, bool aIgnoreLoadRequired)
    : FCon(aCon), FIgnoreLoadRequired(aIgnoreLoadRequired) {}

TAppSettings::~TAppSettings() = default;

// --- loading ---------------------------------------------------------------------------------

bool TAppSettings::Load() {
  const uint64_t lTick = GetTickCount64();
  if (!FCon || !FCon->Connected() || FLoading)
    return false;
  FLoading = true;
  int lCount = 0;
  {
    TFinally lDone([this] {
      FLoading = false;
      FLoaded = true;
      FLoadTimestamp = Now();
    });
    TQelIBCQuery lQuery(FCon);
    lQuery.SQL().AddStrings({QStringLiteral("SELECT"), QStringLiteral(" as2.SECTION,"),
                             QStringLiteral(" as2.IDENT,"), QStringLiteral(" as2.Val"),
                             QStringLiteral("FROM APP_SETTINGS as2"),
                             QStringLiteral("WHERE ID_APP_SCOPE = 1"), QStringLiteral("ORDER BY"),
                             QStringLiteral(" as2.SECTION,"), QStringLiteral(" as2.IDENT")});
    lQuery.Open();
    for (; !lQuery.Eof(); lQuery.Next()) {
      const QString lSection = lQuery.FieldByName(QStringLiteral("Section"))->AsString();
      const QString lIdent = lQuery.FieldByName(QStringLiteral("Ident"))->AsString();
      ++lCount;
      // A value written here and not saved yet stays: a reload must not lose it. A default
      // that a read put in for a missing row is no such value: the row replaces it.
      const TAppSettingData* lPending = Find(lSection, lIdent);
      if (lPending && lPending->Action() != daNone && !lPending->IsDefault())
        continue;
      SetValue(lSection, lIdent, lQuery.FieldByName(QStringLiteral("Val"))->AsString(), false);
      // What the table holds is no change of this program: only values written since are
      // written back, so a save never overwrites another program's newer value.
      if (TAppSettingData* lItem = Find(lSection, lIdent)) {
        lItem->ResetAction();
        lItem->SetDefault(false);
      }
    }
  }
  TLogging::AddRunTime(this, QStringLiteral("Load"), lTick, static_cast<uint64_t>(lCount));
  return true;
}

bool TAppSettings::LoadRequired(const QString& aSection, const QString& aIdent) {
  bool lResult = FCon && FCon->Connected();
  if (FLoaded)
    lResult = lResult && !FIgnoreLoadRequired;
  if (lResult && FLoaded) {
    try {
      TQelIBCQuery lQuery(FCon);
      lQuery.SQL().AddStrings({QStringLiteral("SELECT"), QStringLiteral("\tcount(a.ID) aCount"),
                               QStringLiteral("FROM app_settings a"),
                               QStringLiteral("WHERE a.MOD_DAT > :Timestamp"),
                               QStringLiteral("OR a.CRE_DAT > :Timestamp")});
      if (!aSection.isEmpty())
        lQuery.SQL().Add(QStringLiteral("AND a.SECTION = :Section"));
      if (!aIdent.isEmpty())
        lQuery.SQL().Add(QStringLiteral("AND a.IDENT = :Ident"));
      lQuery.ParamByName(QStringLiteral("TimeStamp"))->SetAsDateTime(FLoadTimestamp);
      if (!aSection.isEmpty())
        lQuery.ParamByName(QStringLiteral("Section"))->SetAsString(aSection);
      if (!aIdent.isEmpty())
        lQuery.ParamByName(QStringLiteral("Ident"))->SetAsString(aIdent);
      lQuery.Open();
      lResult = lQuery.FieldByName(QStringLiteral("aCount"))->AsInteger() > 0;
    } catch (const std::exception&) {
      lResult = false; // the wrapper logged it
    }
  }
  if (lResult)
    TLogging::Add(this, QStringLiteral("LoadRequired"), QStringLiteral("Reload of Data required!"),
                  ltWarning);
  return lResult;
}

// --- lookups ---------------------------------------------------------------------------------

TAppSettingSection* TAppSettings::GetAppSettingSection(const QString& aSection) const {
  const auto lFound = FSections.find(SectionKey(aSection));
  return lFound == FSections.end() ? nullptr : lFound->second.get();
}

QString TAppSettings::SectionKey(const QString& aSection) const {
  if (FSections.contains(aSection) || aSection != aSection.trimmed())
    return aSection;
  const QString lUpper = aSection.trimmed().toUpper();
  for (const auto& [lKey, lSection] : FSections)
    if (lKey.trimmed() == lUpper)
      return lKey;
  return aSection;
}

QString TAppSettings::GetAppSettingIdent(const TAppSettingSection* aSection,
                                         const QString& aIdent) {
  if (!aSection || aSection->contains(aIdent) || aIdent == aIdent.toUpper())
    return aIdent;
  for (const auto& [lKey, lItem] : *aSection)
    if (lKey.compare(aIdent, Qt::CaseInsensitive) == 0)
      return lKey;
  return aIdent;
}

TAppSettingData* TAppSettings::Find(const QString& aSection, const QString& aIdent) const {
  const TAppSettingSection* lSection = GetAppSettingSection(aSection);
  if (!lSection)
    return nullptr;
  const auto lItem = lSection->find(GetAppSettingIdent(lSection, aIdent));
  return lItem == lSection->end() ? nullptr : lItem->second.get();
}

// --- text access -----------------------------------------------------------------------------

bool TAppSettings::GetValue(const QString& aSection, const QString& aIdent, const QString& aDefault,
                            QString& aValue) {
  aValue = aDefault;
  if (LoadRequired(aSection, aIdent))
    Load();
  if (const TAppSettingData* lItem = Find(aSection, aIdent)) {
    aValue = lItem->Value();
    return true;
  }
  SetValue(aSection, aIdent, aDefault, false);
  if (TAppSettingData* lItem = Find(aSection, aIdent))
    lItem->SetDefault(true);
  return false;
}

bool TAppSettings::SetValue(const QString& aSection, const QString& aIdent, const QString& aValue,
                            bool aForceWrite) {
  TAppSettingSection* lSection = GetAppSettingSection(aSection);
  if (!lSection)
    lSection =
        FSections.emplace(aSection, std::make_unique<TAppSettingSection>()).first->second.get();
  const QString lIdent = GetAppSettingIdent(lSection, aIdent);
  auto lItem = lSection->find(lIdent);
  const bool lChanged = lItem == lSection->end() || lItem->second->Value() != aValue;
  if (lChanged) {
    if (lItem == lSection->end())
      lItem = lSection->emplace(lIdent, std::make_unique<TAppSettingData>()).first;
    lItem->second->SetValue(aValue);
    lItem->second->SetDefault(false);
    if (!FLoading)
      FSaveRequired = true;
  }
  if (aForceWrite || FForceWrite)
    Save(aSection, aIdent);
  return lChanged;
}

// --- saving ----------------------------------------------------------------------------------

bool TAppSettings::Save() {
  return Save(QString(), QString());
}

bool TAppSettings::Save(const QString& aSection, const QString& aIdent) {
  const uint64_t lTick = GetTickCount64();
  const QString lMethod =
      TLoggingUtils::BuildMethodName(QStringLiteral("Save"), QStringList{aSection, aIdent});
  if (!FCon || !FCon->Connected() || !FSaveRequired || FSaving)
    return false;
  FSaving = true;
  int lCount = 0;
  // Asked for in another case than stored ("Korrespondenz" for "KORRESPONDENZ"): the rows
  // carry the stored keys.
  const QString lSectionKey = aSection.isEmpty() ? aSection : SectionKey(aSection);
  const QString lIdentKey =
      aIdent.isEmpty() ? aIdent : GetAppSettingIdent(GetAppSettingSection(lSectionKey), aIdent);
  {
    TFinally lDone([this] {
      FSaving = false;
      FSaveRequired = false;
    });
    // Freed (and rolled back when still active) before the connection goes.
    const auto lTransaction = std::make_unique<TIBCTransaction>(nullptr);
    lTransaction->SetDefaultConnection(FCon);
    TQelIBCQuery lQuery(FCon);
    lQuery.SetTransaction(lTransaction.get());
    TQelIBCSql lSql(FCon);
    lSql.SetTransaction(lTransaction.get());

    lQuery.SQL().AddStrings({QStringLiteral("SELECT"), QStringLiteral("\tas2.*"),
                             QStringLiteral("FROM APP_SETTINGS as2"), QStringLiteral("WHERE 1=1"),
                             QStringLiteral("AND as2.ID_APP_SCOPE = 1")});
    if (!lSectionKey.isEmpty()) {
      lQuery.SQL().Add(QStringLiteral("AND as2.SECTION = :Section"));
      lQuery.ParamByName(QStringLiteral("Section"))->SetAsString(lSectionKey);
    }
    if (!lIdentKey.isEmpty()) {
      lQuery.SQL().Add(QStringLiteral("AND as2.IDENT = :Ident"));
      lQuery.ParamByName(QStringLiteral("Ident"))->SetAsString(lIdentKey);
    }
    lSql.SQL().AddStrings(
        {QStringLiteral("MERGE INTO APP_SETTINGS a"), QStringLiteral("USING ("),
         QStringLiteral("  SELECT"), QStringLiteral("  \tcast(:SECTION as varchar(255)) SECTION,"),
         QStringLiteral("  \tcast(:IDENT as varchar(255)) IDENT,"),
         QStringLiteral("  \t1 ID_APP_SCOPE,"),
         QStringLiteral("  \tcast(:VALUE as varchar(2000)) VAL"),
         QStringLiteral("  \tFROM RDB$DATABASE"), QStringLiteral(") b"), QStringLiteral("ON"),
         QStringLiteral("("), QStringLiteral("\ta.SECTION = b.SECTION"),
         QStringLiteral("\tAND a.IDENT = b.IDENT"),
         QStringLiteral("\tAND a.ID_APP_SCOPE = b.ID_APP_SCOPE"), QStringLiteral(")"),
         QStringLiteral("WHEN NOT MATCHED THEN"),
         QStringLiteral("  INSERT (SECTION, IDENT, ID_APP_SCOPE, VAL)"),
         QStringLiteral("  VALUES (b.SECTION, b.IDENT, b.ID_APP_SCOPE, b.VAL);")});

    QStringList lSeen;
    std::vector<TAppSettingData*> lWritten;
    lCount += UpdatePass(lQuery, lSeen, lWritten);
    lCount += InsertPass(lSql, lSectionKey, lIdentKey, lSeen, lWritten);
    lTransaction->Commit();
    // Only what reached the table is saved; anything else stays a change for the next save.
    for (TAppSettingData* lItem : lWritten)
      lItem->ResetAction();
  }
  TLogging::AddRunTime(this, lMethod, lTick, static_cast<uint64_t>(lCount));
  return true;
}

int TAppSettings::UpdatePass(TIBCQuery& aQuery, QStringList& aSeen,
                             std::vector<TAppSettingData*>& aWritten) {
  int lCount = 0;
  aQuery.Open();
  for (; !aQuery.Eof(); aQuery.Next()) {
    const QString lSection = aQuery.FieldByName(QStringLiteral("section"))->AsString();
    const QString lIdent = aQuery.FieldByName(QStringLiteral("ident"))->AsString();
    aSeen.append(lSection + u'.' + lIdent);
    const auto lStoredSection = FSections.find(lSection);
    if (lStoredSection == FSections.end())
      continue;
    const auto lItem = lStoredSection->second->find(lIdent);
    if (lItem == lStoredSection->second->end() || lItem->second->Action() == daNone)
      continue;
    aQuery.Edit();
    aQuery.FieldByName(QStringLiteral("Val"))->SetAsString(lItem->second->Value());
    aQuery.Post();
    aWritten.push_back(lItem->second.get());
    ++lCount;
    TLogging::Add(this, QStringLiteral("Save"),
                  QStringLiteral("Updated ") + Quoted(lSection, lIdent), ltSuccess);
  }
  return lCount;
}

int TAppSettings::InsertPass(TIBCSQL& aSql, const QString& aSection, const QString& aIdent,
                             const QStringList& aSeen, std::vector<TAppSettingData*>& aWritten) {
  int lCount = 0;
  for (const auto& [lSectionKey, lSection] : FSections) {
    if (!aSection.isEmpty() && lSectionKey.compare(aSection, Qt::CaseInsensitive) != 0)
      continue;
    for (const auto& [lIdentKey, lItem] : *lSection) {
      if (!aIdent.isEmpty() && lIdentKey.compare(aIdent, Qt::CaseInsensitive) != 0)
        continue;
      if (aSeen.contains(lSectionKey + u'.' + lIdentKey))
        continue;
      aSql.ParamByName(QStringLiteral("SECTION"))->SetAsString(lSectionKey);
      aSql.ParamByName(QStringLiteral("IDENT"))->SetAsString(lIdentKey);
      aSql.ParamByName(QStringLiteral("VALUE"))->SetAsString(lItem->Value());
      aSql.Execute();
      // A row that exists under these keys (made by another program since this save read the
      // table) is left as it is, and nothing was created.
      if (aSql.RowsAffected() <= 0)
        continue;
      aWritten.push_back(lItem.get());
      ++lCount;
      TLogging::Add(this, QStringLiteral("Save"),
                    QStringLiteral("Created ") + Quoted(lSectionKey, lIdentKey), ltSuccess);
    }
  }
  return lCount;
}

// --- typed access ----------------------------------------------------------------------------

QString TAppSettings::ReadString(const QString& aSection, const QString& aIdent,
                                 const QString& aDefault) {
  QString lValue;
  return GetValue(aSection, aIdent, aDefault, lValue) ? lValue : aDefault;
}

int32_t TAppSettings::ReadInteger(const QString& aSection, const QString& aIdent,
                                  int32_t aDefault) {
  QString lText;
  int lValue = 0;
  if (GetValue(aSection, aIdent, QString::number(aDefault), lText) &&
      TryStrToInt(lText.trimmed(), lValue))
    return lValue;
  return aDefault;
}

double TAppSettings::ReadDouble(const QString& aSection, const QString& aIdent, double aDefault) {
  QString lText;
  double lValue = 0;
  if (GetValue(aSection, aIdent, FloatToStr(aDefault), lText) && TryTextToFloat(lText, lValue))
    return lValue;
  return aDefault;
}

bool TAppSettings::ReadBoolean(const QString& aSection, const QString& aIdent, bool aDefault) {
  QString lText;
  bool lValue = false;
  if (GetValue(aSection, aIdent, aDefault ? cTrue : cFalse, lText) && TryTextToBool(lText, lValue))
    return lValue;
  return aDefault;
}

TDateTime TAppSettings::ReadDateTime(const QString& aSection, const QString& aIdent,
                                     TDateTime aDefault) {
  QString lText;
  TDateTime lValue;
  if (GetValue(aSection, aIdent, DateTimeToStr(aDefault), lText) &&
      TryStrToDateTime(lText.trimmed(), lValue))
    return lValue;
  return aDefault;
}

TDateTime TAppSettings::ReadDate(const QString& aSection, const QString& aIdent,
                                 TDateTime aDefault) {
  QString lText;
  TDateTime lValue;
  if (GetValue(aSection, aIdent, DateToStr(aDefault), lText) &&
      TryStrToDate(lText.trimmed(), lValue))
    return DateOf(lValue);
  return aDefault;
}

TDateTime TAppSettings::ReadTime(const QString& aSection, const QString& aIdent,
                                 TDateTime aDefault) {
  QString lText;
  TDateTime lValue;
  if (GetValue(aSection, aIdent, TimeToStr(aDefault), lText) &&
      TryStrToTime(lText.trimmed(), lValue))
    return TimeOf(lValue);
  return aDefault;
}

void TAppSettings::WriteString(const QString& aSection, const QString& aIdent,
                               const QString& aValue) {
  SetValue(aSection, aIdent, aValue, false);
}

void TAppSettings::WriteInteger(const QString& aSection, const QString& aIdent, int32_t aValue) {
  SetValue(aSection, aIdent, QString::number(aValue), false);
}

void TAppSettings::WriteDouble(const QString& aSection, const QString& aIdent, double aValue) {
  SetValue(aSection, aIdent, FloatToStr(aValue), false);
}

void TAppSettings::WriteBoolean(const QString& aSection, const QString& aIdent, bool aValue) {
  SetValue(aSection, aIdent, aValue ? cTrue : cFalse, false);
}

void TAppSettings::WriteDateTime(const QString& aSection, const QString& aIdent, TDateTime aValue) {
  SetValue(aSection, aIdent, DateTimeToStr(aValue), false);
}

void TAppSettings::WriteDate(const QString& aSection, const QString& aIdent, TDateTime aValue) {
  SetValue(aSection, aIdent, DateToStr(aValue), false);
}

void TAppSettings::WriteTime(const QString& aSection, const QString& aIdent, TDateTime aValue) {
  SetValue(aSection, aIdent, TimeToStr(aValue), false);
}
