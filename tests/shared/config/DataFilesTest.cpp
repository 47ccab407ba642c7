// Data lists stored as one JSON file per item.
#include "Qel.Shared.Data.h"
#include "QelLogCapture.h"
#include "QelTestChild.h"
#include "QelTestFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class TNote : public TData {
  QEL_CLASS("Test.DataFiles", TNote)
  QEL_FIELDS(TNote, TData, QEL_FIELD(FText), QEL_FIELD(FCount), QEL_FIELD(FStamp))

public:
  QString GetCaption() const override { return FText; }
  void Set(const QString& aText, int32_t aCount, TDateTime aStamp) {
    Change(FText, aText);
    Change(FCount, aCount);
    FStamp = aStamp;
  }
  QString FText;
  int32_t FCount = 0;
  TDateTime FStamp;
};

using TNoteList = TDataList<TNote>;

class DataFiles : public ::testing::Test {
protected:
  void SetUp() override { QDir().mkpath(Folder()); }
  QString Folder() const { return FFolder.Root() + QStringLiteral("Notes/"); }
  QByteArray Read(const QString& aFile) const {
    QFile lFile(aFile);
    return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray();
  }
  void Fill(TNoteList& aList) {
    aList.New()->Set(QStringLiteral("first"), 1, EncodeDateTime(2026, 1, 5, 14, 3, 7, 123));
    aList.New()->Set(QStringLiteral("zweite Größe"), 2, EncodeDate(2025, 12, 31));
    aList.New()->Set(QStringLiteral("third"), 3, TDateTime());
  }
  TTestProgramFolder FFolder;
  TLogCapture FLog;
};

TEST_F(DataFiles, SaveWritesOneFilePerItemAndLoadReadsThemBack) {
  TNoteList lList;
  Fill(lList);
  QString lLast;
  ASSERT_TRUE(lList.Save(Folder(), lLast));
  EXPECT_EQ(lLast, Folder() + lList.Last()->ID() + QStringLiteral(".dat"));
  for (const TNote* lNote : lList) {
    EXPECT_EQ(lNote->Action(), daNone);
    const QByteArray lBytes = Read(Folder() + lNote->ID() + QStringLiteral(".dat"));
    EXPECT_TRUE(lBytes.startsWith("{"));
    EXPECT_TRUE(lBytes.endsWith("}\r\n"));
  }

  TNoteList lLoaded;
  ASSERT_TRUE(lLoaded.Load(Folder()));
  ASSERT_EQ(lLoaded.Count(), 3);
  for (const TNote* lNote : lList) {
    const TNote* lCopy = lLoaded.FindItemByID(lNote->ID());
    ASSERT_NE(lCopy, nullptr);
    EXPECT_EQ(lCopy->FText, lNote->FText);
    EXPECT_EQ(lCopy->FCount, lNote->FCount);
    EXPECT_EQ(lCopy->FStamp, lNote->FStamp);
    EXPECT_EQ(lCopy->Action(), daNone);
  }
  EXPECT_EQ(lLoaded.Path(), Folder());
}

TEST_F(DataFiles, ItemsMarkedForDeleteLoseTheirFileButStayInTheList) {
  TNoteList lList;
  Fill(lList);
  QString lLast;
  ASSERT_TRUE(lList.Save(Folder(), lLast));
  TNote* lGone = lList.Items(1);
  const QString lGoneFile = Folder() + lGone->ID() + QStringLiteral(".dat");
  ASSERT_TRUE(QFile::exists(lGoneFile));
  lGone->MarkForDelete();
  ASSERT_TRUE(lList.Save(Folder(), lLast));
  EXPECT_FALSE(QFile::exists(lGoneFile));
  EXPECT_EQ(lList.Count(), 3);
  EXPECT_EQ(lGone->Action(), daNone);
}

TEST_F(DataFiles, ReloadAfterClearFindsTheStoredItemsAgain) {
  TNoteList lList;
  Fill(lList);
  QString lLast;
  ASSERT_TRUE(lList.Save(Folder(), lLast));
  ASSERT_TRUE(lList.Load(Folder()));
  ASSERT_TRUE(lList.Load(Folder())); // clears first, then reads the same files
  EXPECT_EQ(lList.Count(), 3);
}

TEST_F(DataFiles, LoadByIdentifierAndFromSubFolders) {
  TNoteList lList;
  Fill(lList);
  QString lLast;
  ASSERT_TRUE(lList.Save(Folder(), lLast));
  QDir().mkpath(Folder() + QStringLiteral("Old"));
  ASSERT_TRUE(QFile::rename(lLast, Folder() + QStringLiteral("Old/") + lList.Last()->ID() +
                                       QStringLiteral(".dat")));

  TNoteList lAll;
  ASSERT_TRUE(lAll.Load(Folder()));
  EXPECT_EQ(lAll.Count(), 3);

  TNoteList lOne;
  ASSERT_TRUE(lOne.Load(Folder(), QUuid::fromString(lList.First()->ID()), true));
  ASSERT_EQ(lOne.Count(), 1);
  EXPECT_EQ(lOne.First()->ID(), lList.First()->ID());
}

TEST_F(DataFiles, FileThatIsNoItemIsLoggedAndSkipped) {
  TNoteList lList;
  Fill(lList);
  QString lLast;
  ASSERT_TRUE(lList.Save(Folder(), lLast));
  FFolder.WriteFile(QStringLiteral("Notes/{BROKEN}.dat"), "not json at all");
  // Repeated neighbouring lines (an appended copy of the last line) are read as one.
  QFile lFile(lLast);
  ASSERT_TRUE(lFile.open(QIODevice::Append));
  lFile.write("\r\n\r\n\r\n");
  lFile.close();

  TNoteList lLoaded;
  ASSERT_TRUE(lLoaded.Load(Folder()));
  EXPECT_EQ(lLoaded.Count(), 3);
  bool lLoggedWithText = false;
  for (const TLoggingData& lRecord : FLog.Records())
    if (lRecord.FTyp == ltError && lRecord.FText.contains(QStringLiteral("{BROKEN}.dat")))
      lLoggedWithText = lRecord.FTrace == QStringLiteral("not json at all");
  EXPECT_TRUE(lLoggedWithText);
}

TEST_F(DataFiles, AFileThatCannotBeWrittenKeepsItsFormerTextAndItsChange) {
  TNoteList lList;
  TNote* lNote = lList.New();
  lNote->Set(QStringLiteral("short"), 1, TDateTime());
  QString lLast;
  ASSERT_TRUE(lList.Save(Folder(), lLast));
  const QByteArray lFormer = Read(lLast);
  lNote->Set(QString(5000, u'x'), 2, TDateTime());
  // In a child whose files may not grow beyond 100 bytes, as on a full disk.
  const int lCode = RunInChild([&] {
    if (!LimitFileSize(100))
      return 98;
    QString lName;
    if (lList.Save(Folder(), lName))
      return 1;
    return lNote->Action() == daNone ? 2 : 0;
  });
  EXPECT_EQ(lCode, 0) << "1: reported as saved, 2: the change was dropped";
  EXPECT_EQ(Read(lLast), lFormer);
  TNoteList lLoaded;
  ASSERT_TRUE(lLoaded.Load(Folder()));
  ASSERT_EQ(lLoaded.Count(), 1);
  EXPECT_EQ(lLoaded.Items(0)->FText, QStringLiteral("short"));
}

TEST_F(DataFiles, MissingFolderLoadsNothing) {
  TNoteList lList;
  EXPECT_FALSE(lList.LoadFiles(Folder() + QStringLiteral("missing"), QStringLiteral("*"), true));
  EXPECT_EQ(lList.Count(), 0);
  EXPECT_TRUE(lList.SetPath(QString())); // the data folder of the running program
  EXPECT_TRUE(lList.Path().endsWith(QStringLiteral("/Data/"))) << lList.Path().toStdString();
}

TEST_F(DataFiles, ListAsJsonIsTheTextOfTheLastItemFile) {
  TNoteList lList;
  Fill(lList);
  const QString lJson = lList.GetAsJson();
  EXPECT_TRUE(lJson.contains(QStringLiteral("\"text\": \"third\"")));
  EXPECT_TRUE(lJson.contains(lList.Last()->ID()));
  TNoteList lEmpty;
  EXPECT_TRUE(lEmpty.GetAsJson().isEmpty());
}

} // namespace
