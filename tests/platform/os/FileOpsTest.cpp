// Which names are one folder entry, and which files may be opened as a copy's source.
#include "Qel.Os.FileOps.h"
#include "Qel.Os.LockedFile.h"
#include "QelTestChild.h"
#include "QelTestFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class FileOps : public ::testing::Test {
protected:
  void SetUp() override {
    FFile = FFolder.WriteFile(QStringLiteral("Docs/a.txt"), "a");
    FFolder.WriteFile(QStringLiteral("Other/a.txt"), "other a");
    ASSERT_EQ(::symlink("Docs", Native(QStringLiteral("DocsLink"))), 0);
    ASSERT_EQ(::symlink("a.txt", Native(QStringLiteral("Docs/link.txt"))), 0);
    ASSERT_EQ(::link(Native(QStringLiteral("Docs/a.txt")), Native(QStringLiteral("Docs/hard.txt"))),
              0);
  }
  QByteArray NativeBytes(const QString& aRelative) const {
    return QFile::encodeName(FFolder.Root() + aRelative);
  }
  const char* Native(const QString& aRelative) {
    FNames.push_back(NativeBytes(aRelative));
    return FNames.back().constData();
  }

  TTestProgramFolder FFolder;
  QString FFile;
  std::vector<QByteArray> FNames;
};

TEST_F(FileOps, OneFolderEntryHoweverItsFolderIsWritten) {
  const struct {
    const char* Other;
    bool Same;
  } cCases[] = {
      {"Docs/a.txt", true},
      {"Docs/./a.txt", true},
      {"Other/../Docs/a.txt", true},
      {"DocsLink/a.txt", true}, // setting this one aside would move the source away
      {"Docs//a.txt", true},
      {"Docs/link.txt", false}, // a link to the file is an entry of its
                                // own
      {"Docs/hard.txt", false}, // so is a second hard link
      {"Other/a.txt", false},
      {"Missing/a.txt", false},
  };
  for (const auto& c : cCases)
    EXPECT_EQ(IsSameDirectoryEntry(FFile, FFolder.Root() + QString::fromUtf8(c.Other)), c.Same)
        << c.Other;
  EXPECT_FALSE(IsSameDirectoryEntry(FFile, FFile + QChar(u'\0') + QStringLiteral("x")));
}

TEST_F(FileOps, OnlyRegularFilesOpenAsACopysSource) {
  ASSERT_EQ(::mkfifo(Native(QStringLiteral("Docs/fifo")), 0600), 0);
  const struct {
    QString Name;
    bool Opens;
  } cCases[] = {
      {FFile, true},
      {FFolder.Root() + QStringLiteral("Docs/link.txt"), true},
      // A FIFO would wait for a writer forever; a device never ends or copies as empty.
      {FFolder.Root() + QStringLiteral("Docs/fifo"), false},
      {QStringLiteral("/dev/zero"), false},
      {FFolder.Root() + QStringLiteral("Docs"), false},
      {FFolder.Root() + QStringLiteral("Docs/missing.txt"), false},
      {FFile + QChar(u'\0') + QStringLiteral("x"), false},
  };
  for (const auto& c : cCases) {
    QFile lFile;
    QString lError;
    EXPECT_EQ(OpenRegularFileForReading(c.Name, lFile, lError), c.Opens) << qPrintable(c.Name);
    EXPECT_EQ(lFile.isOpen(), c.Opens) << qPrintable(c.Name);
    EXPECT_EQ(lError.isEmpty(), c.Opens) << qPrintable(c.Name) << qPrintable(lError);
    if (c.Opens) {
      EXPECT_EQ(lFile.readAll(), QByteArray("a"));
    }
  }
}

TEST(LockedFile, AnAppendCutShortLeavesTheFileAsItWas) {
  TTestProgramFolder lFolder;
  const QString lName = lFolder.WriteFile(QStringLiteral("Log/app.log"), "first line\r\n");
  // In a child whose files may not grow by more than 10 bytes, as on a full disk.
  const int lCode = RunInChild([&] {
    if (!LimitFileSize(QFile(lName).size() + 10))
      return 98;
    return AppendToLockedFile(lName, QByteArray(300, 'x') + "\r\n") ? 1 : 0;
  });
  EXPECT_EQ(lCode, 0);
  ASSERT_TRUE(AppendToLockedFile(lName, "next line\r\n"));
  QFile lFile(lName);
  ASSERT_TRUE(lFile.open(QIODevice::ReadOnly));
  EXPECT_EQ(lFile.readAll(), QByteArray("first line\r\nnext line\r\n"));
}

} // namespace
