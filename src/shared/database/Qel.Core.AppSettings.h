#pragma once
// The settings all programs of the application share: table APP_SETTINGS, one text value per
// section and ident. The store keeps an in-memory copy of the rows of scope 1, answers typed
// reads and writes from it, reloads when other programs changed the table since the last load
// and writes changed or new values back.

#include "Qel.Ibdac.Connection.h"
#include "Qel.Shared.Data.h"

#include <QString>
#include <map>
#include <memory>
#include <vector>

class TAppSettingData : public TData {
  QEL_CLASS("Qel.Core.AppSettings", TAppSettingData)
  QEL_FIELDS(TAppSettingData, TData, QEL_FIELD(FValue))

public:
  const QString& Value() const { return FValue; }
  // A differing text marks the item as changed.
  void SetValue(const QString& aValue) { Change(FValue, aValue); }
  // Whether the value is the default a read put in for a missing row, which nobody wrote: a
  // row that appears in the table meanwhile replaces it.
  bool IsDefault() const { return FDefault; }
  void SetDefault(bool aDefault) { FDefault = aDefault; }

private:
  QString FValue;
  bool FDefault = false;
};

// The idents of one section; keys compare exactly, in sorted order.
using TAppSettingSection = std::map<QString, std::unique_ptr<TAppSettingData>>;

class TAppSettings : public TObject {
  QEL_CLASS("Qel.Core.AppSettings", TAppSettings)

public:
  // An empty store bound to aCon (not owned).
  TAppSettings(TIBCConnection* aCon, bool aIgnoreLoadRequired);
  // Frees the memory copy; never touches the database.
  ~TAppSettings() override;
  TAppSettings(const TAppSettings&) = delete;
  TAppSettings& operator=(const TAppSettings&) = delete;

  // Reads every row of scope 1 into memory (entries whose rows are gone stay). False without
  // an open connection or while a load runs. Database errors are raised.
  bool Load();
  // Writes changed items back (update pass) and creates the rows missing in the table
  // (insert pass), in one transaction; restricted to a section and/or ident when given
  // (without regard to case). False when nothing needed saving. Database errors are raised.
  bool Save();
  bool Save(const QString& aSection, const QString& aIdent);

  // The stored text, or aDefault (which is then put into memory, so that the next save
  // creates the row). True when the entry exists.
  bool GetValue(const QString& aSection, const QString& aIdent, const QString& aDefault,
                QString& aValue);
  // True when the text changed; saves at once with aForceWrite or ForceWrite.
  bool SetValue(const QString& aSection, const QString& aIdent, const QString& aValue,
                bool aForceWrite);

  // Typed access; texts in the user's format settings. A missing entry or a text that does
  // not convert gives the default. Booleans are stored as "-1" and "0".
  QString ReadString(const QString& aSection, const QString& aIdent, const QString& aDefault);
  int32_t ReadInteger(const QString& aSection, const QString& aIdent, int32_t aDefault);
  double ReadDouble(const QString& aSection, const QString& aIdent, double aDefault);
  bool ReadBoolean(const QString& aSection, const QString& aIdent, bool aDefault);
  TDateTime ReadDateTime(const QString& aSection, const QString& aIdent, TDateTime aDefault);
  TDateTime ReadDate(const QString& aSection, const QString& aIdent, TDateTime aDefault);
  TDateTime ReadTime(const QString& aSection, const QString& aIdent, TDateTime aDefault);
  void WriteString(const QString& aSection, const QString& aIdent, const QString& aValue);
  void WriteInteger(const QString& aSection, const QString& aIdent, int32_t aValue);
  void WriteDouble(const QString& aSection, const QString& aIdent, double aValue);
  void WriteBoolean(const QString& aSection, const QString& aIdent, bool aValue);
  void WriteDateTime(const QString& aSection, const QString& aIdent, TDateTime aValue);
  void WriteDate(const QString& aSection, const QString& aIdent, TDateTime aValue);
  void WriteTime(const QString& aSection, const QString& aIdent, TDateTime aValue);

  bool ForceWrite() const { return FForceWrite; }
  void SetForceWrite(bool aValue) { FForceWrite = aValue; }
  bool Loaded() const { return FLoaded; }
  bool SaveRequired() const { return FSaveRequired; }
  bool IgnoreLoadRequired() const { return FIgnoreLoadRequired; }
  void SetIgnoreLoadRequired(bool aValue) { FIgnoreLoadRequired = aValue; }
  TIBCConnection* Con() const { return FCon; }

  // The section stored exactly as aSection or else, for a text without surrounding blanks,
  // the first one stored as its upper-case form. Nullptr when none.
  TAppSettingSection* GetAppSettingSection(const QString& aSection) const;
  // The key under which aIdent is stored in aSection: aIdent itself when it is stored so,
  // when it is all capitals or when there is no section; else the first key equal to it
  // without regard to case; else aIdent.
  static QString GetAppSettingIdent(const TAppSettingSection* aSection, const QString& aIdent);
  // Whether the table changed since the last load (always before the first one, on an open
  // connection). Errors of the check count as no change.
  bool LoadRequired(const QString& aSection, const QString& aIdent);

private:
  TAppSettingData* Find(const QString& aSection, const QString& aIdent) const;
  // The key under which aSection is stored (see GetAppSettingSection); aSection when none.
  QString SectionKey(const QString& aSection) const;
  int UpdatePass(class TIBCQuery& aQuery, QStringList& aSeen,
                 std::vector<TAppSettingData*>& aWritten);
  int InsertPass(class TIBCSQL& aSql, const QString& aSection, const QString& aIdent,
                 const QStringList& aSeen, std::vector<TAppSettingData*>& aWritten);

  TIBCConnection* FCon;
  bool FLoading = false;
  bool FSaving = false;
  bool FForceWrite = false;
  bool FLoaded = false;
  bool FSaveRequired = false;
  TDateTime FLoadTimestamp;
  bool FIgnoreLoadRequired;
  std::map<QString, std::unique_ptr<TAppSettingSection>> FSections;
};
