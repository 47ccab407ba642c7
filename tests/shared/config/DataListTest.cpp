// Data lists: creating, finding, ordering, and the persistence in numbered INI sections.
#include "Qel.Rtl.Exceptions.h"
#include "Qel.Rtl.IniFiles.h"
#include "Qel.Shared.Data.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// An item with typed fields and INI keys of its own.
class TItem : public TData {
  QEL_CLASS("Test.DataList", TItem)
  QEL_FIELDS(TItem, TData, QEL_FIELD(FName), QEL_FIELD(FFlag), QEL_FIELD(FCount), QEL_FIELD(FSize),
             QEL_FIELD(FRate), QEL_FIELD(FStamp))

public:
  QString GetCaption() const override { return FName; }
  bool GetActive() const override { return FFlag; }

  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override {
    if (!TData::LoadFromIni(aSection, aIni) || aIni->ReadBool(aSection, "Broken", false))
      return false;
    FID = aIni->ReadString(aSection, "ID", FID);
    FName = aIni->ReadString(aSection, "Name", QString());
    FFlag = aIni->ReadBool(aSection, "Flag", false);
    FCount = aIni->ReadInteger(aSection, "Count", 0);
    FSize = aIni->ReadInt64(aSection, "Size", 0);
    FRate = aIni->ReadFloat(aSection, "Rate", 0);
    FStamp = aIni->ReadDateTime(aSection, "Stamp", TDateTime());
    return true;
  }
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override {
    if (!TData::SaveToIni(aSection, aIni))
      return false;
    aIni->WriteString(aSection, "Name", FName);
    aIni->WriteBool(aSection, "Flag", FFlag);
    aIni->WriteInteger(aSection, "Count", FCount);
    aIni->WriteInt64(aSection, "Size", FSize);
    aIni->WriteFloat(aSection, "Rate", FRate);
    aIni->WriteDateTime(aSection, "Stamp", FStamp);
    return true;
  }

  QString FName;
  bool FFlag = false;
  int32_t FCount = 0;
  int64_t FSize = 0;
  double FRate = 0;
  TDateTime FStamp;
};

// A second item class, chosen per section by its "Class" key.
class TSpecialItem : public TItem {
  QEL_CLASS("Test.DataList", TSpecialItem)
  QEL_FIELDS(TSpecialItem, TItem, QEL_FIELD(FExtra))

public:
  bool LoadFromIni(const QString& aSection, TIniFile* aIni) override {
    if (!TItem::LoadFromIni(aSection, aIni))
      return false;
    FExtra = aIni->ReadString(aSection, "Extra", QString());
    return true;
  }
  bool SaveToIni(const QString& aSection, TIniFile* aIni) override {
    if (!TItem::SaveToIni(aSection, aIni))
      return false;
    aIni->WriteString(aSection, "Class", "Special");
    aIni->WriteString(aSection, "Extra", FExtra);
    return true;
  }
  QString FExtra;
};

// Persisted in the sections "Item0", "Item1", ...; records the hooks it passes.
class TItemList : public TDataList<TItem> {
  QEL_CLASS("Test.DataList", TItemList)

public:
  QString IniSection(int aIx) const override { return QStringLiteral("Item%1").arg(aIx); }
  TDataClass ClassFromIni(const QString& aSection, TIniFile* aIni) override {
    if (aIni->ReadString(aSection, "Class", QString()) == "Special")
      return TDataClass::Of<TSpecialItem>();
    return TDataClass();
  }

  TItem* Add(const QString& aName, const QString& aID = QString()) {
    TItem* lItem = New();
    lItem->FName = aName;
    if (!aID.isEmpty())
      lItem->SetID(aID);
    return lItem;
  }

  QStringList FCalls;

protected:
  void BeforeLoad() override { FCalls << "BeforeLoad"; }
  // A new item has not read its identifier yet here.
  void BeforeLoadData(TItem*&) override { FCalls << "BeforeLoadData"; }
  void AfterLoadData(TItem*& aData) override { FCalls << "AfterLoadData " + aData->ID(); }
  void AfterLoad() override {
    FCalls << "AfterLoad";
    TDataList::AfterLoad();
  }
  void BeforeSave() override { FCalls << "BeforeSave"; }
  void BeforeSaveData(TItem* aData) override { FCalls << "BeforeSaveData " + aData->ID(); }
  void AfterSaveData(TItem* aData) override {
    FCalls << "AfterSaveData " + aData->ID();
    TDataList::AfterSaveData(aData);
  }
  void AfterSave() override { FCalls << "AfterSave"; }
  void AfterNewData(TItem* aData) override { FCalls << "AfterNewData " + aData->FName; }
};

class DataList : public ::testing::Test {
protected:
  QString IniName() const { return FDir.path() + QStringLiteral("/list.ini"); }
  void PutIni(const QByteArray& aContent) const {
    QFile lFile(IniName());
    ASSERT_TRUE(lFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lFile.write(aContent);
  }
  QStringList Sections() const {
    QStringList lResult;
    TIniFile(IniName()).ReadSections(lResult);
    return lResult;
  }
  static QStringList Names(const std::vector<TData*>& aItems) {
    QStringList lResult;
    for (TData* lItem : aItems)
      lResult << lItem->GetCaption();
    return lResult;
  }

  QTemporaryDir FDir;
  TItemList FList;
};

TEST_F(DataList, NewItemsAreMarkedAndFollowTheList) {
  FList.SetReadOnly(true);
  TItem* lItem = FList.New();
  EXPECT_EQ(lItem->Action(), daInsert);
  EXPECT_TRUE(lItem->ReadOnly());
  EXPECT_EQ(FList.FCalls, QStringList{"AfterNewData "});
  FList.SetReadOnly(false);
  EXPECT_FALSE(lItem->ReadOnly()) << "the flag is copied into every item";

  TData* lSpecial = FList.NewData(TDataClass::Of<TSpecialItem>());
  EXPECT_NE(dynamic_cast<TSpecialItem*>(lSpecial), nullptr);
  EXPECT_NE(dynamic_cast<TItem*>(FList.NewData()), nullptr);
  EXPECT_EQ(FList.Count(), 3);
  EXPECT_THROW(FList.New(TDataClass::Of<TData>()), EArgumentException) << "no TItem";
  EXPECT_EQ(FList.Count(), 3);

  // A change after New turns daInsert into daUpdate.
  EXPECT_TRUE(lItem->Change(lItem->FName, QStringLiteral("edited")));
  EXPECT_EQ(lItem->Action(), daUpdate);
  EXPECT_EQ(FList.GetActionCount(daInsert), 2);
  EXPECT_EQ(FList.GetActionCount(daUpdate), 1);
  EXPECT_TRUE(FList.GetHasActions());
  for (TItem* lEach : FList)
    lEach->ResetAction();
  EXPECT_FALSE(FList.GetHasActions());
  EXPECT_EQ(FList.GetOptions(), (TDataOptions{doUserNew, doUserEdit, doUserDelete}));
}

TEST_F(DataList, CopyCarriesIdentifierAndAction) {
  TItem* lSource = FList.Add("a");
  lSource->FCount = 5;
  lSource->MarkForDelete();
  TItem* lCopy = FList.Copy(lSource);
  ASSERT_NE(lCopy, lSource);
  EXPECT_EQ(lCopy->ID(), lSource->ID());
  EXPECT_EQ(lCopy->Action(), daDelete);
  EXPECT_EQ(lCopy->FCount, 5);
  EXPECT_EQ(FList.Count(), 2);
  EXPECT_EQ(FList.Copy(nullptr), nullptr);
}

TEST_F(DataList, FindingAndRemoving) {
  TItem* lFirst = FList.Add("a", "{ABCDEF00-0000-0000-0000-000000000001}");
  TItem* lSecond = FList.Add("b", "{ABCDEF00-0000-0000-0000-000000000002}");
  lSecond->FFlag = true;
  EXPECT_EQ(FList.FindItemByID("{abcdef00-0000-0000-0000-000000000001}"), lFirst);
  EXPECT_TRUE(FList.IDExists("{ABCDEF00-0000-0000-0000-000000000002}"));
  EXPECT_EQ(FList.FindItemByID("{ABCDEF00-0000-0000-0000-000000000003}"), nullptr);
  EXPECT_EQ(FList.FindItemByIDs({lSecond->ID(), "unknown", lFirst->ID()}),
            (std::vector<TItem*>{lSecond, lFirst}));
  EXPECT_EQ(FList.ActiveItems(), std::vector<TItem*>{lSecond});
  EXPECT_EQ(FList.GetAsArray(), (std::vector<TData*>{lFirst, lSecond}));

  EXPECT_FALSE(FList.Remove(nullptr));
  EXPECT_TRUE(FList.Remove(lFirst));
  EXPECT_EQ(FList.Count(), 1);
  EXPECT_EQ(FList.First(), lSecond);
  FList.Clear();
  EXPECT_EQ(FList.Count(), 0);
}

TEST_F(DataList, OrderingIgnoresCaseAndBreaksTiesByIdentifier) {
  FList.Add("beta", "{00000000-0000-0000-0000-00000000000B}");
  FList.Add("Alpha", "{00000000-0000-0000-0000-00000000000C}");
  FList.Add("alpha", "{00000000-0000-0000-0000-00000000000a}");
  FList.Add("Gamma", "{00000000-0000-0000-0000-000000000001}");
  const std::vector<TData*> lSorted = FList.Sort();
  ASSERT_EQ(lSorted.size(), 4u);
  EXPECT_EQ(Names(lSorted), (QStringList{"alpha", "Alpha", "beta", "Gamma"}));
  EXPECT_EQ(Names(FList.GetOrderByID()), (QStringList{"Gamma", "alpha", "beta", "Alpha"}));
  const QStringList lByCaption = Names(FList.GetOrderByCaption());
  EXPECT_EQ(lByCaption.mid(2), (QStringList{"beta", "Gamma"}));
  EXPECT_EQ(Names(FList.GetAsArray()), (QStringList{"beta", "Alpha", "alpha", "Gamma"}))
      << "the list keeps its order";
}

TEST_F(DataList, EmptyListSavedToIniErasesTheNumberedSectionsOnly) {
  PutIni("[Item0]\nID=a\n[Other]\nk=v\n[Item999]\nID=z\n[Item1000]\nID=y\n");
  TIniFile lIni(IniName());
  EXPECT_TRUE(FList.SaveToIni(&lIni));
  EXPECT_EQ(Sections(), (QStringList{"Other", "Item1000"}));
  EXPECT_EQ(FList.FCalls, (QStringList{"BeforeSave", "AfterSave"}));

  TItemList lLoaded;
  EXPECT_TRUE(lLoaded.LoadFromIni(&lIni));
  EXPECT_EQ(lLoaded.Count(), 0);

  // With nothing to erase and nothing to write the file is not touched at all.
  struct stat lBefore {
  }, lAfter{};
  ASSERT_EQ(::stat(QFile::encodeName(IniName()).constData(), &lBefore), 0);
  EXPECT_TRUE(FList.SaveToIni(&lIni));
  ASSERT_EQ(::stat(QFile::encodeName(IniName()).constData(), &lAfter), 0);
  EXPECT_EQ(lBefore.st_ino, lAfter.st_ino);
}

TEST_F(DataList, ItemsMarkedForDeleteAreLeftOutAndRemoved) {
  TItem* lFirst = FList.Add("first");
  FList.Add("second")->MarkForDelete();
  TItem* lThird = FList.Add("third");
  TIniFile lIni(IniName());
  ASSERT_TRUE(FList.SaveToIni(&lIni));
  EXPECT_EQ(Sections(), (QStringList{"Item0", "Item1"}));
  EXPECT_EQ(lIni.ReadString("Item0", "ID", QString()), lFirst->ID());
  EXPECT_EQ(lIni.ReadString("Item1", "Name", QString()), "third");
  ASSERT_EQ(FList.Count(), 2);
  EXPECT_EQ(FList.Items(1), lThird);
  EXPECT_FALSE(FList.GetHasActions());
}

TEST_F(DataList, CopiesMarkedForDeleteAreRemovedOnce) {
  // A copy carries its source's identifier: removing one removes both.
  TItem* lSource = FList.Add("source");
  FList.Copy(lSource)->MarkForDelete();
  lSource->MarkForDelete();
  FList.Add("kept");
  TIniFile lIni(IniName());
  ASSERT_TRUE(FList.SaveToIni(&lIni));
  ASSERT_EQ(FList.Count(), 1);
  EXPECT_EQ(lIni.ReadString("Item0", "Name", QString()), "kept");
}

TEST_F(DataList, SavedItemsLoadBackWithTheirClassAndValues) {
  TItem* lPlain = FList.Add("plain");
  lPlain->FFlag = true;
  lPlain->FCount = -3;
  lPlain->FSize = INT64_MAX;
  lPlain->FRate = 2.75;
  lPlain->FStamp = EncodeDateTime(2024, 5, 6, 7, 8, 9, 0);
  auto* lSpecial = static_cast<TSpecialItem*>(FList.New(TDataClass::Of<TSpecialItem>()));
  lSpecial->FName = "special";
  lSpecial->FExtra = "more";
  TIniFile lIni(IniName());
  ASSERT_TRUE(FList.SaveToIni(&lIni));
  EXPECT_EQ(FList.FCalls.mid(2),
            (QStringList{"BeforeSave", "BeforeSaveData " + lPlain->ID(),
                         "AfterSaveData " + lPlain->ID(), "BeforeSaveData " + lSpecial->ID(),
                         "AfterSaveData " + lSpecial->ID(), "AfterSave"}));

  TItemList lLoaded;
  ASSERT_TRUE(lLoaded.LoadFromIni(&lIni));
  ASSERT_EQ(lLoaded.Count(), 2);
  const TItem* lItem = lLoaded.Items(0);
  EXPECT_EQ(lItem->ID(), lPlain->ID());
  EXPECT_EQ(lItem->Action(), daNone);
  EXPECT_EQ(lItem->GetAsJson(), lPlain->GetAsJson());
  const auto* lSpecialLoaded = dynamic_cast<const TSpecialItem*>(lLoaded.Items(1));
  ASSERT_NE(lSpecialLoaded, nullptr);
  EXPECT_EQ(lSpecialLoaded->FExtra, "more");
  EXPECT_EQ(lLoaded.FCalls,
            (QStringList{"BeforeLoad", "AfterNewData ", "BeforeLoadData",
                         "AfterLoadData " + lPlain->ID(), "AfterNewData ", "BeforeLoadData",
                         "AfterLoadData " + lSpecial->ID(), "AfterLoad"}));
}

TEST_F(DataList, LoadingStopsAtAMissingIdentifierOrAFailingItem) {
  const struct {
    const char* Title;
    QByteArray Ini;
    QStringList Names;
  } cCases[] = {
      {"empty ID in section 0", "[Item0]\nID=\nName=a\n[Item1]\nID=b\nName=b\n", {}},
      {"gap in the numbering", "[Item0]\nID=a\nName=a\n[Item2]\nID=c\nName=c\n", {"a"}},
      {"failing item ends the load",
       "[Item0]\nID=a\nName=a\n[Item1]\nID=b\nName=b\nBroken=1\n[Item2]\nID=c\nName=c\n",
       {"a"}},
      {"header without keys", "[Item0]\n[Item1]\nID=b\n", {}},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.Title);
    PutIni(c.Ini);
    TIniFile lIni(IniName());
    TItemList lList;
    ASSERT_TRUE(lList.LoadFromIni(&lIni));
    EXPECT_EQ(Names(lList.GetAsArray()), c.Names);
  }
}

TEST_F(DataList, LoadingUpdatesKnownItemsAndKeepsOthers) {
  TItem* lKnown = FList.Add("old name", "a");
  lKnown->Change(lKnown->FName, QStringLiteral("changed"));
  TItem* lOther = FList.Add("not in the file", "z");
  PutIni("[Item0]\nID=A\nName=from file\n[Item1]\nID=b\nName=new\n");
  TIniFile lIni(IniName());
  ASSERT_TRUE(FList.LoadFromIni(&lIni));
  ASSERT_EQ(FList.Count(), 3);
  EXPECT_EQ(FList.Items(0), lKnown);
  EXPECT_EQ(lKnown->FName, "from file");
  EXPECT_EQ(lKnown->ID(), "A") << "the item reads its identifier from the same key";
  EXPECT_EQ(FList.Items(1), lOther);
  EXPECT_EQ(FList.Items(2)->FName, "new");
  EXPECT_FALSE(FList.GetHasActions()) << "after a load every action is daNone";
}

TEST_F(DataList, IniPersistenceNeedsAFileAndASectionName) {
  EXPECT_FALSE(FList.SaveToIni(nullptr));
  EXPECT_FALSE(FList.LoadFromIni(nullptr));
  EXPECT_TRUE(FList.FCalls.isEmpty());

  TDataList<TItem> lUnnamed;
  TIniFile lIni(IniName());
  try {
    lUnnamed.SaveToIni(&lIni);
    ADD_FAILURE() << "a list without section names cannot be saved";
  } catch (const Exception& e) {
    EXPECT_TRUE(e.Message().contains("IniSection")) << e.Message().toStdString();
  }
  EXPECT_EQ(lUnnamed.IDName(), "ID");
}

} // namespace
