#include "Qel.Shared.Data.h"

#include "Qel.Rtl.Json.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Shared.FileSystem.Utils.h"
#include "Qel.Shared.Files.Data.h"
#include "Qel.Shared.Paths.Data.h"
#include "Qel.Shared.PathsAndFiles.h"
#include "Qel.Shared.Utils.h"

#include <QFile>

#include <QCollator>
#include <QJsonObject>
#include <algorithm>

TData::TData() : FID(NewGuidText()), FFileExt(QStringLiteral(".dat")) {}

TData::~TData() = default;

const TFieldTable& TData::ClassFieldTable() {
  static const TFieldTable lTable{nullptr,
                                  {QEL_FIELD(FID), QEL_FIELD(FCreatedDateTime),
                                   QEL_FIELD(FCreatedUser), QEL_FIELD(FModifiedDateTime),
                                   QEL_FIELD(FModifiedUser), QEL_FIELD(FFileExt),
                                   QEL_FIELD(FActive), QEL_FIELD(FAction), QEL_FIELD(FReadOnly)}};
  return lTable;
}

TDataOptions TData::GetOptions() const {
  return {doUserNew, doUserEdit, doUserDelete};
}

TColor TData::GetColor() const {
  return BoolToColor(GetActive());
}

bool TData::LoadFromIni(const QString& aSection, TIniFile* aIni) {
  (void)aSection;
  return aIni != nullptr;
}

bool TData::SaveToIni(const QString& aSection, TIniFile* aIni) {
  (void)aSection;
  return aIni != nullptr;
}

bool TData::CountChange(bool aDiffers) {
  const bool lCounts = !FReadOnly && aDiffers;
  if (lCounts && (FAction == daNone || FAction == daInsert))
    FAction = daUpdate;
  return lCounts;
}

// Stored and new value are compared as variants, as every setter's change is judged.
template <typename V> bool TData::ChangeValue(V& aVar, const V& aVal) {
  const bool lResult = CountChange(!(TVariant(aVar) == TVariant(aVal)));
  aVar = aVal;
  return lResult;
}

bool TData::Change(QString& aVar, const QString& aVal) {
  return ChangeValue(aVar, aVal);
}
bool TData::Change(bool& aVar, bool aVal) {
  return ChangeValue(aVar, aVal);
}
bool TData::Change(int32_t& aVar, int32_t aVal) {
  return ChangeValue(aVar, aVal);
}
bool TData::Change(int64_t& aVar, int64_t aVal) {
  return ChangeValue(aVar, aVal);
}
bool TData::Change(double& aVar, double aVal) {
  return ChangeValue(aVar, aVal);
}
bool TData::Change(TDateTime& aVar, TDateTime aVal) {
  return ChangeValue(aVar, aVal);
}

TFieldArr TData::GetFieldArr() const {
  TFieldArr lResult;
  for (const TFieldTable* lTable = &FieldTable(); lTable; lTable = lTable->Base)
    for (const TFieldInfo& lField : lTable->Fields)
      lResult.push_back(&lField);
  return lResult;
}

bool TData::Assign(const TData* aSource) {
  if (!aSource || aSource == this)
    return false;
  const TFieldArr lSourceFields = aSource->GetFieldArr();
  for (const TFieldInfo* lDest : GetFieldArr()) {
    if (!lDest->IsPlain())
      continue;
    for (const TFieldInfo* lSource : lSourceFields) {
      if (!lSource->IsPlain() || lSource->Name.compare(lDest->Name, Qt::CaseInsensitive) != 0)
        continue;
      const TVariant lValue = lSource->GetValue(*aSource);
      try {
        lDest->SetValue(*this, lValue);
      } catch (const std::exception& e) {
        throw Exception(QStringLiteral("Unable to set data to property '") + lDest->Name +
                            QStringLiteral("'!"),
                        std::make_shared<Exception>(QString::fromUtf8(e.what())));
      }
    }
  }
  return true;
}

TVariant TData::GetValueByName(const QString& aName) const {
  for (const TFieldInfo* lField : GetFieldArr())
    if (lField->Name.compare(aName, Qt::CaseInsensitive) == 0)
      return lField->GetValue ? lField->GetValue(*this) : TVariant::Null();
  return TVariant::Null();
}

void TData::SetValueByName(const QString& aName, const TVariant& aValue) {
  (void)aName;
  (void)aValue;
}

QString TData::GetAsJson() const {
  try {
    QJsonObject lObject;
    // Own fields come first, so a field hides a base field of the same name.
    for (const TFieldInfo* lField : GetFieldArr()) {
      const QString lName = TRTTIFieldHelper::GetJsonName(*lField);
      if (lField->GetJson && !lObject.contains(lName))
        lObject.insert(lName, lField->GetJson(*this));
    }
    return JsonFromObject(lObject);
  } catch (const std::exception& e) {
    TLogging::Add(this, QStringLiteral("GetAsJson"), e, false);
    return QString();
  }
}

bool TData::SetAsJson(const QString& aJson) {
  QJsonObject lObject;
  if (!ObjectFromJson(aJson, lObject))
    return false;
  for (const TFieldInfo* lField : GetFieldArr()) {
    if (!lField->SetJson)
      continue;
    const auto lMember = lObject.constFind(TRTTIFieldHelper::GetJsonName(*lField));
    if (lMember != lObject.constEnd())
      lField->SetJson(*this, *lMember);
  }
  return true;
}

std::unique_ptr<TData> DataFromJson(const TDataClass& aClass, const QString& aJson) {
  std::unique_ptr<TData> lResult = aClass.Create();
  if (lResult && !lResult->SetAsJson(aJson))
    lResult.reset();
  return lResult;
}

void OrderDataArray(std::vector<TData*>& aItems, TDataOrder aOrder) {
  QCollator lCollator;
  lCollator.setCaseSensitivity(Qt::CaseInsensitive);
  struct TKeyed {
    QString Caption;
    TData* Data;
  };
  std::vector<TKeyed> lKeyed;
  lKeyed.reserve(aItems.size());
  for (TData* lData : aItems)
    lKeyed.push_back({aOrder == TDataOrder::ID ? QString() : lData->GetCaption(), lData});
  // Caption first, then the identifier: the order of the key caption + U+0007 + identifier,
  // the separator sorting before every character of a caption.
  std::sort(lKeyed.begin(), lKeyed.end(), [&](const TKeyed& a, const TKeyed& b) {
    if (aOrder != TDataOrder::ID) {
      const int lCaption = lCollator.compare(a.Caption, b.Caption);
      if (lCaption != 0 || aOrder == TDataOrder::Caption)
        return lCaption < 0;
    }
    return lCollator.compare(a.Data->ID(), b.Data->ID()) < 0;
  });
  for (size_t i = 0; i < lKeyed.size(); ++i)
    aItems[i] = lKeyed[i].Data;
}

bool TData::DeleteFile(const QString& aPath) const {
  if (!DirectoryExists(aPath))
    return false;
  // The item's files are looked up but kept (see the declaration).
  QStringList lFiles;
  TFileSystemUtils::FindFiles(aPath, FID + FFileExt, lFiles, true);
  return true;
}

namespace DataListFiles {

QString DataFolder() {
  return TPathsAndFiles::Instance()->PathLst()->GetPath(ptData)->Path();
}

QString TmpFolder() {
  return TPathsAndFiles::Instance()->PathLst()->GetPath(ptTmp)->Path();
}

QString RegisterFolder(const QString& aPath) {
  return TPathsAndFiles::Instance()->PathLst()->Add(aPath)->Path();
}

QString RegisterFile(const QString& aFolder, const QString& aName) {
  const TFileData* lFile = TPathsAndFiles::AddFile(aFolder, aName, true, false);
  return lFile ? lFile->FileName() : IncludeTrailingPathDelimiter(aFolder) + aName;
}

bool DeleteFile(const QString& aFileName) {
  TFileData* lFile = TPathsAndFiles::AddFile(aFileName, false, false);
  return !lFile || lFile->FileDelete(false);
}

bool WriteFile(const QString& aFileName, const QString& aText) {
  // Written beside and renamed over the file: a write cut short leaves the former file whole.
  QString lText = TrimRight(aText);
  lText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
      .replace(u'\n', QStringLiteral("\r\n"));
  QString lError;
  return SaveFileAtomically(aFileName, (lText + QStringLiteral("\r\n")).toLocal8Bit(), lError);
}

QString ReadFile(const QString& aFileName) {
  QFile lFile(aFileName);
  if (!lFile.open(QIODevice::ReadOnly))
    return QString();
  QString lText = QString::fromLocal8Bit(lFile.readAll());
  lText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  const QStringList lLines = lText.split(u'\n');
  // From the last line to the first, a line equal to the one kept after it is dropped.
  QStringList lKept;
  QString lNext;
  for (qsizetype i = lLines.size() - 1; i >= 0; --i) {
    if (lLines[i] == lNext)
      continue;
    lKept.prepend(lLines[i]);
    lNext = lLines[i];
  }
  return lKept.join(u'\n');
}

QStringList FindFiles(const QString& aFolder, const QString& aPattern) {
  QStringList lFiles;
  TFileSystemUtils::FindFiles(aFolder, QStringLiteral("\"") + aPattern + u'"', lFiles, true);
  return lFiles;
}

} // namespace DataListFiles
