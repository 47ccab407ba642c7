#pragma once
// The base of every configuration object and catalogue entry, and the owning list of them.

#include "Qel.Rtl.Color.h"
#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.IniFiles.h"
#include "Qel.Rtl.Object.h"
#include "Qel.Rtl.SysUtils.h"
#include "Qel.Rtl.Tick.h"
#include "Qel.Rtl.Variant.h"
#include "Qel.Shared.Attributes.h"
#include "Qel.Shared.Logging.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <vector>

enum TDataAction : uint8_t { daNone, daInsert, daUpdate, daDelete };
// What a user interface may do with objects of a class.
enum TDataOption : uint8_t { doUserNew, doUserEdit, doUserDelete };

// A set of a small enumeration, one bit per ordinal (one byte).
template <typename E> class TByteSet {
public:
  constexpr TByteSet() = default;
  constexpr TByteSet(std::initializer_list<E> aItems) {
    for (E e : aItems)
      Include(e);
  }
  constexpr bool Contains(E aItem) const { return FBits & Bit(aItem); }
  constexpr void Include(E aItem) { FBits |= Bit(aItem); }
  constexpr void Exclude(E aItem) { FBits &= static_cast<uint8_t>(~Bit(aItem)); }
  constexpr bool IsEmpty() const { return FBits == 0; }
  constexpr uint8_t Bits() const { return FBits; }
  constexpr bool operator==(const TByteSet&) const = default;

private:
  static constexpr uint8_t Bit(E aItem) { return static_cast<uint8_t>(1u << aItem); }
  uint8_t FBits = 0;
};

using TDataActions = TByteSet<TDataAction>;
using TDataOptions = TByteSet<TDataOption>;

struct RDataAction {
  const char* Caption;
  TColor Color;
};

inline constexpr RDataAction cDataAction[4] = {
    {"da_None", clBlack},
    {"da_New", clGreen},
    {"da_Update", clBlue},
    {"da_Delete", clRed},
};

class TData : public TObject {
  QEL_CLASS("Qel.Shared.Data", TData)

public:
  // The field description (see Qel.Shared.Attributes); descendants declare theirs with
  // QEL_FIELDS.
  using TQelFieldsOf = TData;
  static const TFieldTable& ClassFieldTable();
  virtual const TFieldTable& FieldTable() const { return ClassFieldTable(); }

  // A fresh GUID as identifier, ".dat" as file extension, everything else empty.
  TData();
  ~TData() override;

  virtual TDataOptions GetOptions() const;
  virtual QString GetCaption() const { return FID; }
  virtual TColor GetColor() const;
  virtual bool GetActive() const { return FActive; }
  // Descendants read and write their own keys; they call the base first and go on only
  // when it returned true. The base reads and writes nothing and returns whether aIni is
  // given.
  virtual bool LoadFromIni(const QString& aSection, TIniFile* aIni);
  virtual bool SaveToIni(const QString& aSection, TIniFile* aIni);

  const QString& ID() const { return FID; }
  void SetID(const QString& aID) { FID = aID; }
  TDataAction Action() const { return FAction; }
  void SetAction(TDataAction aAction) { FAction = aAction; }
  RDataAction GetActionRecord() const { return cDataAction[FAction]; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool aReadOnly) { FReadOnly = aReadOnly; }
  const QString& FileExt() const { return FFileExt; }
  TDateTime CreatedDateTime() const { return FCreatedDateTime; }
  const QString& CreatedUser() const { return FCreatedUser; }
  TDateTime ModifiedDateTime() const { return FModifiedDateTime; }
  const QString& ModifiedUser() const { return FModifiedUser; }

  void MarkForDelete() { FAction = daDelete; }
  void ResetAction() { FAction = daNone; }

  // Setters store through Change: the new value is always stored; a differing value on an
  // object that is not read-only counts as a change and turns daNone/daInsert into daUpdate.
  // The result is whether the change counted.
  bool Change(QString& aVar, const QString& aVal);
  bool Change(bool& aVar, bool aVal);
  bool Change(int32_t& aVar, int32_t aVal);
  bool Change(int64_t& aVar, int64_t aVal);
  bool Change(double& aVar, double aVal);
  bool Change(TDateTime& aVar, TDateTime aVal);

  // Copies every plain field (not objects, not classes, not fields of unknown kind) of
  // aSource whose name matches one of this object's fields without regard to case, FID and
  // FAction included. False for no source or the object itself. Raises Exception "Unable to
  // set data to property '<name>'!" when a value does not fit the field.
  bool Assign(const TData* aSource);
  // All fields of the object's class: its own first, then those of the base classes.
  TFieldArr GetFieldArr() const;
  // The value of the first field whose declared name matches aName without regard to case
  // ("FID", not "ID"); Null when none does.
  TVariant GetValueByName(const QString& aName) const;
  // The base does nothing.
  virtual void SetValueByName(const QString& aName, const TVariant& aValue);

  // The object as one JSON object: a member per plain field, named by
  // TRTTIFieldHelper::GetJsonName; dates as ISO 8601 with "Z", enumerations by ordinal.
  // Empty (and the exception logged) when serialising fails.
  QString GetAsJson() const;
  // Reads the members of such a JSON object into the fields; members that are missing or of
  // the wrong type leave their field unchanged. False when the text is no JSON object.
  bool SetAsJson(const QString& aJson);

  // Whether aPath names an existing folder that may hold this item's file (FID + FFileExt,
  // also in sub-folders). The stored file itself is kept: a list that is cleared before it
  // loads its folder again must still find its items there.
  bool DeleteFile(const QString& aPath) const;

protected:
  QString FID;
  TDateTime FCreatedDateTime;
  QString FCreatedUser;
  TDateTime FModifiedDateTime;
  QString FModifiedUser;
  QString FFileExt;
  bool FActive = false;
  TDataAction FAction = daNone;
  bool FReadOnly = false;

private:
  bool CountChange(bool aDiffers);
  template <typename V> bool ChangeValue(V& aVar, const V& aVal);
};

// A class reference that creates a fresh instance of a concrete TData class; empty (false)
// stands for "no class" (a list then uses its own item class).
class TDataClass {
public:
  constexpr TDataClass() = default;
  template <class C> static TDataClass Of() {
    static_assert(std::is_base_of_v<TData, C>, "data classes only");
    return TDataClass(&CreateOf<C>);
  }

  explicit operator bool() const { return FCreate != nullptr; }
  bool operator==(const TDataClass&) const = default;
  // Nothing for the empty reference.
  std::unique_ptr<TData> Create() const { return FCreate ? FCreate() : nullptr; }

private:
  using TCreate = std::unique_ptr<TData> (*)();
  constexpr explicit TDataClass(TCreate aCreate) : FCreate(aCreate) {}
  template <class C> static std::unique_ptr<TData> CreateOf() { return std::make_unique<C>(); }
  TCreate FCreate = nullptr;
};

template <> struct TFieldTraits<TDataClass> { static constexpr TFieldKind Kind = fkClass; };

// A fresh object of aClass read from JSON text; nothing for no class or text that is no
// JSON object.
std::unique_ptr<TData> DataFromJson(const TDataClass& aClass, const QString& aJson);

// The file side of the one-file-per-item persistence of data lists (kept out of the template
// so that the list needs no paths-and-files header).
namespace DataListFiles {
// The data folder of the process-wide paths-and-files service.
QString DataFolder();
// The temporary folder of the process-wide paths-and-files service.
QString TmpFolder();
// aPath registered in the folder catalogue (created when missing); its path with delimiter.
QString RegisterFolder(const QString& aPath);
// The item file aFolder + aName registered as a known file; its full name.
QString RegisterFile(const QString& aFolder, const QString& aName);
bool DeleteFile(const QString& aFileName);
// The text followed by a line break, in the system's 8-bit code page, without byte-order mark.
bool WriteFile(const QString& aFileName, const QString& aText);
// The file's lines with runs of equal neighbouring lines (and trailing empty lines) reduced,
// joined by line breaks.
QString ReadFile(const QString& aFileName);
// Full names of the files matching aPattern in aFolder and its sub-folders.
QStringList FindFiles(const QString& aFolder, const QString& aPattern);
} // namespace DataListFiles

enum class TDataOrder { CaptionAndID, Caption, ID };
// Orders data objects by caption and identifier, by caption or by identifier, without regard
// to letter case in the user's locale; equal captions are ordered by identifier.
void OrderDataArray(std::vector<TData*>& aItems, TDataOrder aOrder);

// How user-interface code handles any data list without knowing its item class. It does not
// own the list: the list's owner destroys it.
class IDataList {
public:
  virtual std::vector<TData*> GetAsArray() const = 0;
  virtual bool GetReadOnly() const = 0;
  virtual void SetReadOnly(bool aValue) = 0;
  virtual TDataOptions GetOptions() const = 0;
  virtual qsizetype GetActionCount(TDataAction aAction) const = 0;
  virtual bool GetHasActions() const = 0;
  virtual TData* NewData() = 0;
  virtual TData* NewData(const TDataClass& aClass) = 0;
  virtual bool Save() = 0;

protected:
  virtual ~IDataList() = default;
};

// An ordered list that owns its items; items are handed out as plain pointers.
template <typename T> class TDataList : public TObject, public IDataList {
  QEL_CLASS("Qel.Shared.Data", TDataList)

public:
  TDataList() = default;
  ~TDataList() override = default;
  TDataList(const TDataList&) = delete;
  TDataList& operator=(const TDataList&) = delete;

  qsizetype Count() const { return static_cast<qsizetype>(FItems.size()); }
  T* Items(qsizetype aIx) const { return FItems.at(static_cast<size_t>(aIx)).get(); }
  T* First() const { return FItems.empty() ? nullptr : FItems.front().get(); }
  T* Last() const { return FItems.empty() ? nullptr : FItems.back().get(); }

  std::vector<TData*> GetAsArray() const override {
    std::vector<TData*> lResult;
    lResult.reserve(FItems.size());
    for (const auto& lItem : FItems)
      lResult.push_back(lItem.get());
    return lResult;
  }
  bool GetReadOnly() const override { return FReadOnly; }
  // Stores the flag and copies it into every item.
  void SetReadOnly(bool aValue) override {
    FReadOnly = aValue;
    for (const auto& lItem : FItems)
      lItem->SetReadOnly(aValue);
  }
  // The options of a temporary item of the list's class.
  TDataOptions GetOptions() const override {
    if constexpr (cCreatable) {
      T lItem;
      return lItem.GetOptions();
    } else {
      return {doUserNew, doUserEdit, doUserDelete};
    }
  }
  qsizetype GetActionCount(TDataAction aAction) const override {
    qsizetype lResult = 0;
    for (const auto& lItem : FItems)
      lResult += lItem->Action() == aAction ? 1 : 0;
    return lResult;
  }
  bool GetHasActions() const override { return GetActionCount(daNone) != Count(); }

  // A new item of aClass (of T for no class), marked daInsert, read-only as the list,
  // appended, and handed to AfterNewData. A class that is no T raises EArgumentException.
  virtual T* New(const TDataClass& aClass) {
    std::unique_ptr<T> lItem = CreateItem(aClass);
    lItem->SetAction(daInsert);
    lItem->SetReadOnly(FReadOnly);
    T* lResult = lItem.get();
    FItems.push_back(std::move(lItem));
    AfterNewData(lResult);
    return lResult;
  }
  // New of the list's own class.
  T* New() { return New(TDataClass()); }
  TData* NewData() override { return New(TDataClass()); }
  TData* NewData(const TDataClass& aClass) override { return New(aClass); }
  // A new item carrying every plain field of aData, its identifier and action included;
  // nothing for no aData.
  virtual T* Copy(const T* aData) {
    if (!aData)
      return nullptr;
    T* lResult = New();
    lResult->Assign(aData);
    return lResult;
  }

  // The first item whose identifier equals aID without regard to letter case.
  T* FindItemByID(const QString& aID) const {
    for (const auto& lItem : FItems)
      if (lItem->ID().compare(aID, Qt::CaseInsensitive) == 0)
        return lItem.get();
    return nullptr;
  }
  bool IDExists(const QString& aID) const { return FindItemByID(aID) != nullptr; }
  // Whether aItem is one of this list's items.
  bool Contains(const T* aItem) const {
    return std::any_of(FItems.begin(), FItems.end(),
                       [&](const std::unique_ptr<T>& p) { return p.get() == aItem; });
  }
  // The items of the identifiers in their order; identifiers without an item are skipped.
  std::vector<T*> FindItemByIDs(const QStringList& aIDs) const {
    std::vector<T*> lResult;
    for (const QString& lID : aIDs)
      if (T* lItem = FindItemByID(lID))
        lResult.push_back(lItem);
    return lResult;
  }
  // The items whose GetActive is true, in list order.
  std::vector<T*> ActiveItems() const {
    std::vector<T*> lResult;
    for (const auto& lItem : FItems)
      if (lItem->GetActive())
        lResult.push_back(lItem.get());
    return lResult;
  }

  // Removes (destroys) every item with aData's identifier (exactly equal); false without
  // aData.
  virtual bool Remove(const TData* aData) {
    if (!aData)
      return false;
    const QString lID = aData->ID();
    std::erase_if(FItems, [&](const std::unique_ptr<T>& p) {
      if (p->ID() != lID)
        return false;
      p->DeleteFile(FPath);
      return true;
    });
    return true;
  }
  virtual void Clear() {
    for (const auto& lItem : FItems)
      lItem->DeleteFile(FPath);
    FItems.clear();
  }

  // Ordered copies of the item references; the list keeps its order.
  std::vector<TData*> Sort() const { return Ordered(TDataOrder::CaptionAndID, "Sort"); }
  std::vector<TData*> GetOrderByCaption() const {
    return Ordered(TDataOrder::Caption, "GetOrderByCaption");
  }
  std::vector<TData*> GetOrderByID() const { return Ordered(TDataOrder::ID, "GetOrderByID"); }

  // Lists with a fixed place of their own override these; the base loads and saves nothing.
  virtual bool Load() { return false; }
  bool Save() override { return false; }

  // --- one JSON file per item ----------------------------------------------------------
  const QString& Path() const { return FPath; }
  // FPath := aPath, or the data folder for an empty aPath; whether that folder exists.
  bool SetPath(const QString& aPath) {
    FPath = aPath.isEmpty() ? DataListFiles::DataFolder() : aPath;
    return !FPath.isEmpty() && DirectoryExists(FPath);
  }
  // Reads every file aFileMask + the item extension in the folder and its sub-folders, one
  // item per file. A file that cannot be read as an item is logged and skipped.
  bool LoadFiles(const QString& aPath, const QString& aFileMask, bool aClear) {
    const QString lMethod =
        TLoggingUtils::BuildMethodName(QStringLiteral("LoadFiles"), QStringList{aFileMask});
    const uint64_t lTick = GetTickCount64();
    if (!SetPath(aPath))
      return false;
    if (aClear)
      Clear();
    BeforeLoad();
    for (const QString& lFile : DataListFiles::FindFiles(FPath, aFileMask + ItemFileExt())) {
      QString lText = DataListFiles::ReadFile(lFile);
      try {
        BeforeDeserialize(lText);
        std::unique_ptr<T> lItem = CreateItem(TDataClass());
        if (!lItem->SetAsJson(lText))
          throw Exception(QStringLiteral("\"%1\" holds no item").arg(lFile));
        T* lLoaded = lItem.get();
        BeforeLoadData(lLoaded);
        if (!lLoaded)
          continue;
        lLoaded->ResetAction();
        FItems.push_back(std::move(lItem));
        AfterLoadData(lLoaded);
      } catch (const std::exception& e) {
        TLogging::Add(this, lMethod, lFile, e, false, lText);
      }
    }
    AfterLoad();
    TLogging::AddRunTime(this, lMethod, lTick, static_cast<uint64_t>(Count()));
    return true;
  }
  bool Load(const QString& aPath, const QUuid& aGUID, bool aClear) {
    return LoadFiles(aPath, aGUID.toString(QUuid::WithBraces).toUpper(), aClear);
  }
  bool Load(const QString& aPath) { return LoadFiles(aPath, QStringLiteral("*"), true); }
  // Writes every item into its file FID + FileExt in the folder (the data folder for an
  // empty aPath); the files of items marked daDelete are deleted instead. aFileName names
  // the last file registered when it exists.
  bool Save(const QString& aPath, QString& aFileName) {
    aFileName.clear();
    const uint64_t lTick = GetTickCount64();
    const QString lFolder =
        aPath.isEmpty() ? DataListFiles::DataFolder() : DataListFiles::RegisterFolder(aPath);
    const QString lMethod =
        TLoggingUtils::BuildMethodName(QStringLiteral("Save"), QStringList{lFolder});
    QString lLast;
    bool lResult = true;
    if (DirectoryExists(lFolder)) {
      try {
        BeforeSave();
        for (T* lItem : Snapshot()) {
          lLast = DataListFiles::RegisterFile(lFolder, lItem->ID() + lItem->FileExt());
          if (lItem->Action() == daDelete) {
            DataListFiles::DeleteFile(lLast);
          } else {
            const TDataAction lAction = lItem->Action();
            BeforeSaveData(lItem);
            QString lText = lItem->GetAsJson();
            AfterSerialize(lText);
            AfterSaveData(lItem);
            // A file that could not be written keeps its change for the next save.
            if (!lText.isEmpty() && !DataListFiles::WriteFile(lLast, lText)) {
              lItem->SetAction(lAction);
              lResult = false;
              TLogging::Add(this, lMethod, QStringLiteral("Unable to write \"%1\"").arg(lLast),
                            ltError);
              continue;
            }
          }
          lItem->ResetAction();
        }
        AfterSave();
      } catch (const std::exception& e) {
        TLogging::Add(this, lMethod, e, false);
      }
    }
    if (!lLast.isEmpty() && FileExists(lLast))
      aFileName = lLast;
    TLogging::AddRunTime(
        this,
        TLoggingUtils::BuildMethodName(QStringLiteral("Save"), QStringList{lFolder, aFileName}),
        lTick, static_cast<uint64_t>(Count()));
    return lResult && DirectoryExists(lFolder) && !aFileName.isEmpty();
  }
  // The items saved into the temporary folder; the text of the last file written.
  QString GetAsJson() {
    QString lFileName;
    if (!Save(DataListFiles::TmpFolder(), lFileName))
      return QString();
    QFile lFile(lFileName);
    return lFile.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(lFile.readAll()) : QString();
  }

  // Reads the items of the sections IniSection(0), IniSection(1), ... up to the first
  // section that is missing or has no identifier under IDName. A known identifier updates
  // its item, another one creates an item of ClassFromIni. An item whose own LoadFromIni
  // fails is removed and ends the load. False without aIni.
  virtual bool LoadFromIni(TIniFile* aIni) {
    if (!aIni)
      return false;
    const uint64_t lTick = GetTickCount64();
    BeforeLoad();
    for (int i = 0;; ++i) {
      const QString lSection = IniSection(i);
      if (!aIni->SectionExists(lSection))
        break;
      const QString lID = aIni->ReadString(lSection, IDName(), QString());
      if (lID.isEmpty())
        break;
      T* lItem = FindItemByID(lID);
      if (!lItem)
        lItem = dynamic_cast<T*>(NewData(ClassFromIni(lSection, aIni)));
      T* lLoaded = lItem;
      BeforeLoadData(lLoaded);
      if (!lLoaded) {
        // The hook declined the item.
        Remove(lItem);
        continue;
      }
      if (!lLoaded->LoadFromIni(lSection, aIni)) {
        Remove(lLoaded);
        break;
      }
      lLoaded->ResetAction();
      AfterLoadData(lLoaded);
    }
    AfterLoad();
    TLogging::AddRunTime(this, QStringLiteral("LoadFromIni"), lTick,
                         static_cast<uint64_t>(Count()));
    return true;
  }

  // Erases the sections IniSection(0) to IniSection(999), then writes every item not marked
  // daDelete into the sections 0, 1, 2, ... (its identifier under IDName, then its own
  // keys). Items marked daDelete are removed from the list afterwards. False without aIni.
  virtual bool SaveToIni(TIniFile* aIni) {
    if (!aIni)
      return false;
    const uint64_t lTick = GetTickCount64();
    for (int i = 0; i < cIniSectionCount; ++i)
      aIni->EraseSection(IniSection(i));
    TLogging::AddRunTime(this, QStringLiteral("SaveToIni.CleanUp"), lTick, cIniSectionCount);
    BeforeSave();
    const std::vector<T*> lItems = Snapshot();
    std::vector<T*> lDeleted;
    int k = 0;
    for (T* lItem : lItems) {
      const QString lSection = IniSection(k);
      if (lItem->Action() == daDelete) {
        lDeleted.push_back(lItem);
        continue;
      }
      BeforeSaveData(lItem);
      aIni->WriteString(lSection, IDName(), lItem->ID());
      lItem->SaveToIni(lSection, aIni);
      AfterSaveData(lItem);
      ++k;
    }
    TLogging::AddRunTime(this, QStringLiteral("SaveToIni.Write"), lTick,
                         static_cast<uint64_t>(lItems.size()));
    // Removing one item removes every item of its identifier (copies share it): an item
    // already gone with an earlier one is not touched again.
    for (T* lItem : lDeleted)
      if (Contains(lItem))
        Remove(lItem);
    AfterSave();
    return true;
  }

  // The class of the item stored in an INI section; the base gives none (the list's own).
  virtual TDataClass ClassFromIni(const QString& aSection, TIniFile* aIni) {
    (void)aSection;
    (void)aIni;
    return TDataClass();
  }
  // The section name of the item with index aIx. Lists persisted in an INI file must
  // provide it; lists that are never persisted there (the folder and file catalogues) need
  // not, and the base raises an Exception when it is called all the same.
  virtual QString IniSection(int aIx) const {
    throw Exception(ClassName() +
                    QStringLiteral(".IniSection is not provided (index %1): this list is not "
                                   "persisted in an INI file")
                        .arg(aIx));
  }
  // The key that holds an item's identifier in its INI section.
  virtual QString IDName() const { return QStringLiteral("ID"); }

  struct TIterator {
    typename std::vector<std::unique_ptr<T>>::const_iterator FIt;
    T* operator*() const { return FIt->get(); }
    TIterator& operator++() {
      ++FIt;
      return *this;
    }
    bool operator!=(const TIterator& o) const { return FIt != o.FIt; }
  };
  TIterator begin() const { return {FItems.begin()}; }
  TIterator end() const { return {FItems.end()}; }

protected:
  static constexpr int cIniSectionCount = 1000;

  // Hooks around loading and saving; the base does nothing unless said otherwise.
  virtual void BeforeDeserialize(QString& aJSON) { (void)aJSON; }
  virtual void AfterSerialize(QString& aJSON) { (void)aJSON; }
  // May set aData to nothing to drop the item; it must not hand in another object.
  virtual void BeforeLoadData(T*& aData) { (void)aData; }
  virtual void AfterLoadData(T*& aData) { (void)aData; }
  virtual void BeforeSaveData(T* aData) { (void)aData; }
  // Base: the item's action becomes daNone.
  virtual void AfterSaveData(T* aData) { aData->ResetAction(); }
  virtual void AfterNewData(T* aData) { (void)aData; }
  virtual void BeforeLoad() {}
  // Base: every item's action becomes daNone.
  virtual void AfterLoad() {
    for (const auto& lItem : FItems)
      lItem->ResetAction();
  }
  virtual void BeforeSave() {}
  virtual void AfterSave() {}

  bool FReadOnly = false;
  QString FPath;

private:
  // The extension of the list's item files: that of a new item.
  QString ItemFileExt() const {
    if constexpr (cCreatable)
      return T().FileExt();
    else
      return QStringLiteral(".dat");
  }

  static constexpr bool cCreatable = std::is_default_constructible_v<T> && !std::is_abstract_v<T>;

  std::unique_ptr<T> CreateItem(const TDataClass& aClass) const {
    if (aClass) {
      std::unique_ptr<TData> lData = aClass.Create();
      if (auto* lItem = dynamic_cast<T*>(lData.get())) {
        lData.release();
        return std::unique_ptr<T>(lItem);
      }
      throw EArgumentException(
          QStringLiteral("%1 is no item class of %2")
              .arg(lData ? lData->ClassName() : QStringLiteral("nil"), ClassName()));
    }
    if constexpr (cCreatable)
      return std::make_unique<T>();
    else
      throw EArgumentException(ClassName() +
                               QStringLiteral(": its item class needs a class to create items"));
  }

  std::vector<T*> Snapshot() const {
    std::vector<T*> lResult;
    lResult.reserve(FItems.size());
    for (const auto& lItem : FItems)
      lResult.push_back(lItem.get());
    return lResult;
  }

  std::vector<TData*> Ordered(TDataOrder aOrder, const char* aMethod) const {
    const uint64_t lTick = GetTickCount64();
    std::vector<TData*> lResult = GetAsArray();
    OrderDataArray(lResult, aOrder);
    TLogging::AddRunTime(this, QString::fromLatin1(aMethod), lTick,
                         static_cast<uint64_t>(lResult.size()));
    return lResult;
  }

  std::vector<std::unique_ptr<T>> FItems;
};
