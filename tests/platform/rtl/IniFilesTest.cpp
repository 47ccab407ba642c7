// The INI file: private-profile semantics, forgiving reading, atomic writes, shared files.
#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.IniFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class IniFile : public ::testing::Test {
protected:
  QString Name(const QString& aFile = QStringLiteral("test.ini")) const {
    return FDir.path() + u'/' + aFile;
  }
  void Put(const QByteArray& aContent) const {
    QFile lFile(Name());
    ASSERT_TRUE(lFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lFile.write(aContent);
  }
  QByteArray Content() const {
    QFile lFile(Name());
    return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray();
  }
  ino_t Inode() const {
    struct stat lStat {};
    return ::stat(QFile::encodeName(Name()).constData(), &lStat) == 0 ? lStat.st_ino : 0;
  }

  QTemporaryDir FDir;
};

TEST_F(IniFile, NamesMatchWithoutRegardToCaseAndKeepTheirSpelling) {
  TIniFile lIni(Name());
  EXPECT_EQ(lIni.FileName(), Name());
  ASSERT_TRUE(lIni.WriteString(QStringLiteral("Database"), QStringLiteral("Server"),
                               QStringLiteral("db1")));
  ASSERT_TRUE(
      lIni.WriteString(QStringLiteral("Größe"), QStringLiteral("Äpfel"), QStringLiteral("süß")));
  EXPECT_EQ(lIni.ReadString(QStringLiteral("DATABASE"), QStringLiteral("server"), QString()),
            QStringLiteral("db1"));
  EXPECT_EQ(lIni.ReadString(QStringLiteral("GRÖßE"), QStringLiteral("äPFEL"), QString()),
            QStringLiteral("süß"));
  ASSERT_TRUE(lIni.WriteString(QStringLiteral("DATABASE"), QStringLiteral("SERVER"),
                               QStringLiteral("db2")));
  EXPECT_EQ(Content(), QByteArray("[Database]\nServer=db2\n\n[Größe]\nÄpfel=süß\n"));
  EXPECT_TRUE(lIni.SectionExists(QStringLiteral("dataBASE")));
  EXPECT_TRUE(lIni.ValueExists(QStringLiteral("database"), QStringLiteral("sErVeR")));
}

TEST_F(IniFile, MissingFileSectionOrKeyGivesTheDefault) {
  TIniFile lIni(Name());
  EXPECT_EQ(lIni.ReadString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("def")),
            QStringLiteral("def"));
  EXPECT_EQ(lIni.ReadInteger(QStringLiteral("S"), QStringLiteral("K"), 7), 7);
  EXPECT_TRUE(lIni.ReadBool(QStringLiteral("S"), QStringLiteral("K"), true));
  EXPECT_FALSE(lIni.SectionExists(QStringLiteral("S")));
  EXPECT_FALSE(QFile::exists(Name())) << "reading never creates the file";

  ASSERT_TRUE(lIni.WriteString(QStringLiteral("S"), QStringLiteral("Empty"), QString()));
  EXPECT_EQ(lIni.ReadString(QStringLiteral("S"), QStringLiteral("Empty"), QStringLiteral("def")),
            QString())
      << "an empty value is a value";
  EXPECT_EQ(lIni.ReadString(QStringLiteral("S"), QStringLiteral("Other"), QStringLiteral("def")),
            QStringLiteral("def"));
  EXPECT_EQ(lIni.ReadString(QStringLiteral("T"), QStringLiteral("Empty"), QStringLiteral("def")),
            QStringLiteral("def"));
  // Empty names are no names: default on reading, nothing written.
  EXPECT_EQ(lIni.ReadString(QString(), QStringLiteral("Empty"), QStringLiteral("def")),
            QStringLiteral("def"));
  EXPECT_FALSE(lIni.WriteString(QStringLiteral(" "), QStringLiteral("K"), QStringLiteral("v")));
  EXPECT_FALSE(lIni.WriteString(QStringLiteral("S"), QString(), QStringLiteral("v")));
}

TEST_F(IniFile, TypedValuesAcceptIntegersOnly) {
  const struct {
    const char* Text;
    int32_t Integer; // default 99
    int64_t Int64;   // default 99
    bool Bool;       // default true
  } cCases[] = {
      {"0", 0, 0, false},
      {"1", 1, 1, true},
      {"-12", -12, -12, true},
      {" 42 ", 42, 42, true},
      {"0x1F", 31, 31, true},
      {"$FF", 255, 255, true},
      {"$FFFFFFFF", -1, 4294967295LL, true},
      {"2147483648", 99, 2147483648LL, true},
      {"-9223372036854775808", 99, INT64_MIN, true},
      {"9223372036854775808", 99, 99, true},
      {"True", 99, 99, true},
      {"1.5", 99, 99, true},
      {"12abc", 99, 99, true},
      {"", 99, 99, true},
  };
  Put("[S]\n");
  TIniFile lIni(Name());
  for (const auto& c : cCases) {
    ASSERT_TRUE(
        lIni.WriteString(QStringLiteral("S"), QStringLiteral("K"), QString::fromUtf8(c.Text)));
    EXPECT_EQ(lIni.ReadInteger(QStringLiteral("S"), QStringLiteral("K"), 99), c.Integer) << c.Text;
    EXPECT_EQ(lIni.ReadInt64(QStringLiteral("S"), QStringLiteral("K"), 99), c.Int64) << c.Text;
    EXPECT_EQ(lIni.ReadBool(QStringLiteral("S"), QStringLiteral("K"), true), c.Bool) << c.Text;
  }
  lIni.WriteString(QStringLiteral("S"), QStringLiteral("F"), QStringLiteral("abc"));
  EXPECT_EQ(lIni.ReadFloat(QStringLiteral("S"), QStringLiteral("F"), 2.5), 2.5);
  lIni.WriteString(QStringLiteral("S"), QStringLiteral("D"), QStringLiteral("31.02.2024"));
  EXPECT_EQ(lIni.ReadDateTime(QStringLiteral("S"), QStringLiteral("D"), EncodeDate(2000, 1, 1)),
            EncodeDate(2000, 1, 1));
}

TEST_F(IniFile, ValuesRoundTrip) {
  const TDateTime lStamp = EncodeDateTime(2024, 2, 29, 13, 45, 10, 0);
  {
    TIniFile lIni(Name());
    const QString s = QStringLiteral("S");
    lIni.WriteString(s, QStringLiteral("Text"), QStringLiteral("Grüße; = \"x\" [y]"));
    lIni.WriteString(s, QStringLiteral("Padded"), QStringLiteral("  two blanks  "));
    lIni.WriteString(s, QStringLiteral("Lines"), QStringLiteral("a\r\nb"));
    lIni.WriteInteger(s, QStringLiteral("Int"), INT32_MIN);
    lIni.WriteInt64(s, QStringLiteral("Big"), INT64_MAX);
    lIni.WriteBool(s, QStringLiteral("Yes"), true);
    lIni.WriteBool(s, QStringLiteral("No"), false);
    lIni.WriteFloat(s, QStringLiteral("Float"), -1234.5);
    lIni.WriteDateTime(s, QStringLiteral("Stamp"), lStamp);
    lIni.WriteDate(s, QStringLiteral("Day"), DateOf(lStamp));
  }
  EXPECT_TRUE(Content().contains("\nYes=1\nNo=0\n")) << Content().toStdString();
  TIniFile lIni(Name());
  const QString s = QStringLiteral("s");
  EXPECT_EQ(lIni.ReadString(s, QStringLiteral("text"), QString()),
            QStringLiteral("Grüße; = \"x\" [y]"));
  EXPECT_EQ(lIni.ReadString(s, QStringLiteral("padded"), QString()),
            QStringLiteral("  two blanks  "));
  EXPECT_EQ(lIni.ReadString(s, QStringLiteral("lines"), QString()), QStringLiteral("a  b"));
  EXPECT_EQ(lIni.ReadInteger(s, QStringLiteral("int"), 0), INT32_MIN);
  EXPECT_EQ(lIni.ReadInt64(s, QStringLiteral("big"), 0), INT64_MAX);
  EXPECT_TRUE(lIni.ReadBool(s, QStringLiteral("yes"), false));
  EXPECT_FALSE(lIni.ReadBool(s, QStringLiteral("no"), true));
  EXPECT_EQ(lIni.ReadFloat(s, QStringLiteral("float"), 0), -1234.5);
  EXPECT_EQ(lIni.ReadDateTime(s, QStringLiteral("stamp"), TDateTime()), lStamp);
  EXPECT_EQ(lIni.ReadDate(s, QStringLiteral("day"), TDateTime()), DateOf(lStamp));
}

TEST_F(IniFile, SectionsKeysAndRemoval) {
  Put("; settings\n[One]\nb=2\na=1\n\n[Empty]\n\n[Two]\nc=3\n");
  TIniFile lIni(Name());
  QStringList lList;
  lIni.ReadSections(lList);
  EXPECT_EQ(lList, (QStringList{"One", "Empty", "Two"}));
  lIni.ReadSection(QStringLiteral("one"), lList);
  EXPECT_EQ(lList, (QStringList{"b", "a"}));
  lIni.ReadSectionValues(QStringLiteral("ONE"), lList);
  EXPECT_EQ(lList, (QStringList{"b=2", "a=1"}));
  EXPECT_FALSE(lIni.SectionExists(QStringLiteral("Empty"))) << "a header without keys";
  EXPECT_FALSE(lIni.ValueExists(QStringLiteral("One"), QStringLiteral("c")));

  EXPECT_TRUE(lIni.DeleteKey(QStringLiteral("ONE"), QStringLiteral("B")));
  EXPECT_TRUE(lIni.EraseSection(QStringLiteral("two")));
  EXPECT_EQ(Content(), QByteArray("; settings\n\n[One]\na=1\n\n[Empty]\n"));
}

TEST_F(IniFile, RemovingOrWritingNothingNewLeavesTheFileAlone) {
  Put("[S]\nk=v\n");
  TIniFile lIni(Name());
  const ino_t lBefore = Inode();
  for (int i = 0; i < 1000; ++i)
    EXPECT_TRUE(lIni.EraseSection(QStringLiteral("Section%1").arg(i)));
  EXPECT_TRUE(lIni.DeleteKey(QStringLiteral("S"), QStringLiteral("missing")));
  EXPECT_TRUE(lIni.WriteString(QStringLiteral("s"), QStringLiteral("K"), QStringLiteral("v")));
  EXPECT_EQ(Inode(), lBefore);
  ASSERT_TRUE(lIni.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("w")));
  EXPECT_NE(Inode(), lBefore) << "a real write replaces the file";
}

struct TGarbageCase {
  const char* Title;
  QByteArray Content;
  const char* Section;
  const char* Key;
  const char* Expected; // nullptr: the default
};

TEST_F(IniFile, GarbageReadsAsFarAsItCanAndSurvivesAWrite) {
  const QByteArray lLong(10 * 1024 * 1024, 'x');
  const TGarbageCase cCases[] = {
      {"binary bytes", QByteArray("\x00\xff\xfe\x01\n[S]\nk=v\x00w\n\x7f\x80=\x00\n", 20), "S", "k",
       "v w"},
      {"10 MB line", "[S]\nbig=" + lLong + "\nk=v\n" + lLong + "\n", "S", "k", "v"},
      {"header without bracket", "[A]\nk=1\n[Broken\nj=2\n", "A", "j", "2"},
      {"header without bracket, own keys", "[A]\n[Broken\nj=2\n", "Broken", "j", nullptr},
      {"bracket at file end", "[A]\nk=1\n[", "A", "k", "1"},
      {"duplicate keys: first wins", "[S]\nk=first\nK=second\n", "S", "k", "first"},
      {"duplicate sections merge", "[S]\na=1\n[T]\n[s]\nk=2\n", "S", "k", "2"},
      {"CR LF", "[S]\r\nk=v\r\n", "S", "k", "v"},
      {"lone CR", "[S]\rk=v\r", "S", "k", "v"},
      {"invalid UTF-8", "[S]\n\xE2\x82=\xF0\x9F\nk=v\n[\xC3]\nk=w\n", "S", "k", "v"},
      {"keys before any section", "k=v\n[S]\nj=1\n", "S", "k", nullptr},
      {"no equals sign", "[S]\n<empty>\nk\nk=v\n", "S", "k", "v"},
      {"empty key", "[S]\n=x\nk=v\n", "S", "k", "v"},
      {"byte-order mark", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "v"},
      {"quoted value", "[S]\nk=\"  v  \"\n", "S", "k", "  v  "},
      {"empty file", "", "S", "k", nullptr},
  };
  for (const auto& c : cCases) {
    SCOPED_TRACE(c.Title);
    Put(c.Content);
    const QString lSection = QString::fromLocal8Bit(c.Section);
    const QString lExpected = c.Expected ? QString::fromLocal8Bit(c.Expected) : "<default>";
    {
      TIniFile lIni(Name());
      EXPECT_EQ(lIni.ReadString(lSection, QString::fromLocal8Bit(c.Key), "<default>"), lExpected);
      ASSERT_TRUE(lIni.WriteString(QStringLiteral("New"), QStringLiteral("n"), "1"));
      EXPECT_EQ(lIni.ReadString(lSection, QString::fromLocal8Bit(c.Key), "<default>"), lExpected);
    }
    // A fresh reader of the rewritten file sees the same.
    TIniFile lIni(Name());
    EXPECT_EQ(lIni.ReadString(lSection, QString::fromLocal8Bit(c.Key), "<default>"), lExpected);
    EXPECT_EQ(lIni.ReadInteger(QStringLiteral("new"), QStringLiteral("N"), 0), 1);
  }
}

TEST_F(IniFile, LineEndsAndByteOrderMarkAreKept) {
  Put("\xEF\xBB\xBF[S]\r\nk=v\r\n");
  TIniFile lIni(Name());
  ASSERT_TRUE(lIni.WriteString(QStringLiteral("S"), QStringLiteral("j"), QStringLiteral("w")));
  EXPECT_EQ(Content(), QByteArray("\xEF\xBB\xBF[S]\r\nk=v\r\nj=w\r\n"));
}

TEST_F(IniFile, WritesFailQuietlyWithoutAFolderOrOnADirectory) {
  TIniFile lMissing(Name(QStringLiteral("no/such/folder/test.ini")));
  EXPECT_FALSE(lMissing.WriteString(QStringLiteral("S"), QStringLiteral("k"), "v"));
  EXPECT_EQ(lMissing.ReadString(QStringLiteral("S"), QStringLiteral("k"), "def"), "def")
      << "the failed write is not kept in memory";
  EXPECT_FALSE(QDir(Name(QStringLiteral("no"))).exists());

  ASSERT_TRUE(QDir().mkpath(Name(QStringLiteral("dir.ini"))));
  TIniFile lDirectory(Name(QStringLiteral("dir.ini")));
  EXPECT_EQ(lDirectory.ReadString(QStringLiteral("S"), QStringLiteral("k"), "def"), "def");
  EXPECT_FALSE(lDirectory.WriteString(QStringLiteral("S"), QStringLiteral("k"), "v"));
}

TEST_F(IniFile, AFailedWriteLeavesTheOldFileComplete) {
  // A large value fails while it is written; a small one only when the buffer is flushed.
  for (const int lLength : {100000, 200}) {
    SCOPED_TRACE(lLength);
    const QByteArray lOld = "[S]\nk=old\n";
    Put(lOld);
    const pid_t lChild = fork();
    ASSERT_NE(lChild, -1);
    if (lChild == 0) {
      // Files may grow to 64 bytes only; the write of a larger value must fail.
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit lLimit{64, 64};
      setrlimit(RLIMIT_FSIZE, &lLimit);
      TIniFile lIni(Name());
      const bool lWritten =
          lIni.WriteString(QStringLiteral("S"), QStringLiteral("k"), QString(lLength, u'x'));
      const bool lReadsOld =
          lIni.ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()) == "old";
      _exit(lWritten ? 1 : lReadsOld ? 0 : 2);
    }
    int lStatus = 0;
    ASSERT_EQ(waitpid(lChild, &lStatus, 0), lChild);
    ASSERT_TRUE(WIFEXITED(lStatus));
    EXPECT_EQ(WEXITSTATUS(lStatus), 0) << "1: the write succeeded, 2: the cache kept it";
    EXPECT_EQ(Content(), lOld);
    EXPECT_EQ(QDir(FDir.path()).entryList(QDir::Files), QStringList{"test.ini"})
        << "no temporary file left behind";
  }
}

TEST_F(IniFile, AFileThatCannotBeReadIsNotWrittenOver) {
  const QByteArray lOld = "[S]\nk1=precious\n";
  Put(lOld);
  ASSERT_EQ(::chmod(QFile::encodeName(Name()).constData(), 0200), 0);
  // As a user for whom the permission bits hold (root reads anything).
  constexpr uid_t cNobody = 65534;
  if (geteuid() == 0) {
    ASSERT_EQ(::chmod(QFile::encodeName(FDir.path()).constData(), 0777), 0);
    ASSERT_EQ(::chown(QFile::encodeName(Name()).constData(), cNobody, cNobody), 0);
  }
  const pid_t lChild = fork();
  ASSERT_NE(lChild, -1);
  if (lChild == 0) {
    if (geteuid() == 0 && (setgid(cNobody) != 0 || setuid(cNobody) != 0))
      _exit(98);
    TIniFile lIni(Name());
    _exit(lIni.WriteString(QStringLiteral("S"), QStringLiteral("k2"), "new") ? 1 : 0);
  }
  int lStatus = 0;
  ASSERT_EQ(waitpid(lChild, &lStatus, 0), lChild);
  ASSERT_TRUE(WIFEXITED(lStatus));
  EXPECT_EQ(WEXITSTATUS(lStatus), 0) << "1: the write went through";
  EXPECT_EQ(Content(), lOld);
}

TEST_F(IniFile, ObjectsOnOneFileSeeEachOthersWrites) {
  TIniFile lFirst(Name());
  TIniFile lSecond(Name());
  EXPECT_EQ(lSecond.ReadString(QStringLiteral("S"), QStringLiteral("k"), "def"), "def");
  ASSERT_TRUE(lFirst.WriteString(QStringLiteral("S"), QStringLiteral("k"), "1"));
  EXPECT_EQ(lSecond.ReadString(QStringLiteral("S"), QStringLiteral("k"), "def"), "1");
  ASSERT_TRUE(lSecond.WriteString(QStringLiteral("S"), QStringLiteral("j"), "2"));
  EXPECT_EQ(lFirst.ReadString(QStringLiteral("S"), QStringLiteral("j"), "def"), "2");
  ASSERT_TRUE(lFirst.EraseSection(QStringLiteral("S")));
  EXPECT_FALSE(lSecond.SectionExists(QStringLiteral("S")));
  // Another program that rewrites the file in place.
  Put("[S]\nk=from outside\n");
  EXPECT_EQ(lFirst.ReadString(QStringLiteral("S"), QStringLiteral("k"), "def"), "from outside");
  ASSERT_TRUE(QFile::remove(Name()));
  EXPECT_EQ(lFirst.ReadString(QStringLiteral("S"), QStringLiteral("k"), "def"), "def");
}

} // namespace
