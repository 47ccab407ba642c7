// Reading version resources: synthetic PE files with a VS_VERSIONINFO block, synthetic ELF files
// with our version note, the test program itself, and files that carry no version at all.
#include "Qel.Os.VersionInfo.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

using TVersion = std::array<uint16_t, 4>;
using R = TVersionResourceResult;

// A file image with numbers written at fixed places in either byte order.
class TImage {
public:
  TImage(qsizetype aSize, bool aBigEndian) : FData(aSize, '\0'), FBigEndian(aBigEndian) {}

  void Put(qsizetype aPos, uint64_t aValue, int aBytes) {
    for (int lIndex = 0; lIndex < aBytes; ++lIndex) {
      const int lShift = 8 * (FBigEndian ? aBytes - 1 - lIndex : lIndex);
      FData[aPos + lIndex] = static_cast<char>(aValue >> lShift);
    }
  }
  void Put16(qsizetype aPos, uint64_t aValue) { Put(aPos, aValue, 2); }
  void Put32(qsizetype aPos, uint64_t aValue) { Put(aPos, aValue, 4); }
  void PutWord(qsizetype aPos, uint64_t aValue, bool aWide) { Put(aPos, aValue, aWide ? 8 : 4); }
  void PutText(qsizetype aPos, const char* aText, qsizetype aLength) {
    FData.replace(aPos, aLength, aText, aLength);
  }

  QByteArray FData;

private:
  bool FBigEndian;
};

// ---------------------------------------------------------------------------------------------
// PE layout: DOS header with e_lfanew 0x80, PE signature and COFF header, one optional header,
// one section ".rsrc" at RVA 0x1000 / file offset 0x200 holding the resource tree:
//   0x00 root: ID 14 (an empty icon group directory at 0x20), ID 16 -> name directory at 0x30
//   0x30 name directory: ID 1 -> language directory at 0x48
//   0x48 language directory: 0x409 -> data entry at 0x60
//   0x60 data entry: RVA and size of the VS_VERSIONINFO block at 0x70
constexpr qsizetype cPeOffset = 0x80;
constexpr qsizetype cOptionalOffset = cPeOffset + 24;
constexpr uint32_t cSectionRva = 0x1000;
constexpr qsizetype cSectionFile = 0x200;
constexpr qsizetype cSectionRawSize = 0x200;
constexpr qsizetype cOverlaySize = 0x100; // data after the last section, such as a signature
constexpr uint32_t cIconDirectory = 0x20;
constexpr uint32_t cNameDirectory = 0x30;
constexpr uint32_t cLanguageDirectory = 0x48;
constexpr uint32_t cDataEntry = 0x60;
constexpr uint32_t cBlock = 0x70;
constexpr uint32_t cBlockSize = 92; // header, key, padding and VS_FIXEDFILEINFO
constexpr qsizetype cPeBlockEnd = cSectionFile + cBlock + cBlockSize;
constexpr uint32_t cSubdirectory = 0x80000000u;

struct TPeOptions {
  bool FPlus = false;       // PE32+ instead of PE32
  bool FResources = true;   // the data directory names a resource table
  bool FVersionType = true; // the root has an RT_VERSION entry besides the icon group
  TVersion FVersion{5, 2, 0, 17};
  uint32_t FNameTarget = cSubdirectory | cNameDirectory; // what the RT_VERSION entry points at
  uint32_t FLanguageTarget = cSubdirectory | cLanguageDirectory;
  uint32_t FDataTarget = cDataEntry; // what the language entry points at
  uint32_t FDataRva = cSectionRva + cBlock;
  uint16_t FBlockLength = cBlockSize;
  uint16_t FValueLength = 52;
  const char16_t* FKey = u"VS_VERSION_INFO";
  uint32_t FSignature = 0xFEEF04BD;
  uint32_t FDirectoryCount = 16;       // NumberOfRvaAndSizes
  uint32_t FRawSize = cSectionRawSize; // what the section header claims of the file
};

QByteArray BuildPe(const TPeOptions& aOptions) {
  TImage lImage(cSectionFile + cSectionRawSize + cOverlaySize, false);
  lImage.PutText(0, "MZ", 2);
  lImage.Put32(0x3C, cPeOffset);
  lImage.PutText(cPeOffset, "PE\0\0", 4);

  const qsizetype lOptionalSize = aOptions.FPlus ? 240 : 224;
  lImage.Put16(cPeOffset + 4, aOptions.FPlus ? 0x8664 : 0x14C); // machine
  lImage.Put16(cPeOffset + 6, 1);                               // one section
  lImage.Put16(cPeOffset + 20, lOptionalSize);
  lImage.Put16(cPeOffset + 22, 0x2102); // executable DLL

  // Only the fields that a loader looks at first; the data directory follows the count.
  const qsizetype lCountPos = cOptionalOffset + (aOptions.FPlus ? 108 : 92);
  lImage.Put16(cOptionalOffset, aOptions.FPlus ? 0x20B : 0x10B);
  lImage.Put32(cOptionalOffset + 32, 0x1000); // section alignment
  lImage.Put32(cOptionalOffset + 36, 0x200);  // file alignment
  lImage.Put32(cOptionalOffset + 56, 0x2000); // size of image
  lImage.Put32(cOptionalOffset + 60, 0x200);  // size of headers
  lImage.Put16(cOptionalOffset + 68, 2);      // Windows GUI subsystem
  lImage.Put32(lCountPos, aOptions.FDirectoryCount);
  if (aOptions.FResources) {
    lImage.Put32(lCountPos + 4 + 2 * 8, cSectionRva);
    lImage.Put32(lCountPos + 4 + 2 * 8 + 4, cBlock + cBlockSize);
  }

  const qsizetype lSection = cOptionalOffset + lOptionalSize;
  lImage.PutText(lSection, ".rsrc\0\0\0", 8);
  lImage.Put32(lSection + 8, 2 * cSectionRawSize); // virtual size, the rest filled with zeros
  lImage.Put32(lSection + 12, cSectionRva);
  lImage.Put32(lSection + 16, aOptions.FRawSize);
  lImage.Put32(lSection + 20, cSectionFile);
  lImage.Put32(lSection + 36, 0x40000040); // initialised data, readable

  const auto lDirectory = [&](uint32_t aOffset, std::initializer_list<uint32_t> aEntries) {
    const qsizetype lPos = cSectionFile + aOffset;
    lImage.Put16(lPos + 14, aEntries.size() / 2); // ID entries
    qsizetype lEntry = lPos + 16;
    for (const uint32_t lField : aEntries) {
      lImage.Put32(lEntry, lField);
      lEntry += 4;
    }
  };
  if (aOptions.FVersionType)
    lDirectory(0, {14, cSubdirectory | cIconDirectory, 16, aOptions.FNameTarget});
  else
    lDirectory(0, {14, cSubdirectory | cIconDirectory});
  lDirectory(cIconDirectory, {});
  lDirectory(cNameDirectory, {1, aOptions.FLanguageTarget});
  lDirectory(cLanguageDirectory, {0x409, aOptions.FDataTarget});
  lImage.Put32(cSectionFile + cDataEntry, aOptions.FDataRva);
  lImage.Put32(cSectionFile + cDataEntry + 4, cBlockSize);

  const qsizetype lBlock = cSectionFile + cBlock;
  lImage.Put16(lBlock, aOptions.FBlockLength);
  lImage.Put16(lBlock + 2, aOptions.FValueLength);
  for (qsizetype lIndex = 0; aOptions.FKey[lIndex] != 0; ++lIndex)
    lImage.Put16(lBlock + 6 + 2 * lIndex, aOptions.FKey[lIndex]);
  const qsizetype lFixed = lBlock + 40; // 6 + 32 bytes of key, padded to 32 bits
  lImage.Put32(lFixed, aOptions.FSignature);
  lImage.Put32(lFixed + 4, 0x10000);
  lImage.Put32(lFixed + 8, uint32_t(aOptions.FVersion[0]) << 16 | aOptions.FVersion[1]);
  lImage.Put32(lFixed + 12, uint32_t(aOptions.FVersion[2]) << 16 | aOptions.FVersion[3]);
  lImage.Put32(lFixed + 16, 0x00090008); // a product version that must not be taken instead
  lImage.Put32(lFixed + 20, 0x00070006);
  return lImage.FData;
}

// ---------------------------------------------------------------------------------------------
// ELF layout: header, program headers at 0x40, notes at 0x100 (a GNU note with a 12-byte
// description first, then ours), section headers at 0x200 (the null section and the notes).
constexpr qsizetype cElfSegments = 0x40;
constexpr qsizetype cElfNotes = 0x100;
constexpr qsizetype cElfSections = 0x200;
constexpr TVersion cElfVersion{7, 3, 258, 1025}; // no number reads the same in both byte orders

struct TElfOptions {
  bool FWide = true;
  bool FBigEndian = false;
  bool FSectionHeaders = true; // else only program headers, as in a stripped file
  bool FExtendedCount = false; // the section count kept in section 0, as with many sections
  uint64_t FAlignment = 4;     // of the note area: 4, or 8 with name and desc padded to 8
  uint8_t FClass = 0;          // 0: by FWide
  uint64_t FSectionTable = cElfSections;
  uint16_t FSectionEntrySize = 0; // 0: the right one
  uint64_t FSegmentTable = cElfSegments;
  uint64_t FNoteOffset = cElfNotes; // where the headers say the notes are
  uint32_t FForeignNameSize = 4;
  uint32_t FVersionDescSize = 8;
  const char* FOwner = "Qel";
};

uint64_t AlignUp(uint64_t aValue, uint64_t aAlignment) {
  return (aValue + aAlignment - 1) / aAlignment * aAlignment;
}

QByteArray BuildElf(const TElfOptions& aOptions) {
  const bool lWide = aOptions.FWide;
  TImage lImage(cElfSections + 2 * 64, aOptions.FBigEndian);
  lImage.PutText(0, "\177ELF", 4);
  lImage.FData[4] = static_cast<char>(aOptions.FClass != 0 ? aOptions.FClass : lWide ? 2 : 1);
  lImage.FData[5] = static_cast<char>(aOptions.FBigEndian ? 2 : 1);
  lImage.FData[6] = 1;
  lImage.Put16(16, 2);                  // executable
  lImage.Put16(18, lWide ? 0x3E : 0x3); // x86-64 or i386
  lImage.Put32(20, 1);

  // The notes: "GNU" type 5 with 12 bytes, then "Qel" type 1 with the version.
  const uint64_t lAlign = aOptions.FAlignment;
  qsizetype lPos = cElfNotes;
  lImage.Put32(lPos, aOptions.FForeignNameSize);
  lImage.Put32(lPos + 4, 12);
  lImage.Put32(lPos + 8, 5);
  lImage.PutText(lPos + 12, "GNU\0", 4);
  lImage.PutText(lPos + 16, "\xAA\xBB\xCC\xDD\x01\x00\x00\x00\x02\x00\x00\x00", 12);
  lPos = cElfNotes + AlignUp(28, lAlign);
  lImage.Put32(lPos, 4);
  lImage.Put32(lPos + 4, aOptions.FVersionDescSize);
  lImage.Put32(lPos + 8, 1);
  lImage.PutText(lPos + 12, aOptions.FOwner, 4);
  for (qsizetype lIndex = 0; lIndex < aOptions.FVersionDescSize / 2 && lIndex < 4; ++lIndex)
    lImage.Put16(lPos + 16 + 2 * lIndex, cElfVersion[lIndex]);
  const uint64_t lNotesSize = lPos + AlignUp(16 + aOptions.FVersionDescSize, lAlign) - cElfNotes;

  // One PT_NOTE program header.
  const qsizetype lSegment = cElfSegments;
  lImage.Put32(lSegment, 4);
  lImage.PutWord(lSegment + (lWide ? 8 : 4), aOptions.FNoteOffset, lWide);
  lImage.PutWord(lSegment + (lWide ? 32 : 16), lNotesSize, lWide);
  lImage.PutWord(lSegment + (lWide ? 40 : 20), lNotesSize, lWide);
  lImage.PutWord(lSegment + (lWide ? 48 : 28), lAlign, lWide);

  // Section 1 is the SHT_NOTE section; section 0 stays null.
  const qsizetype lEntrySize = lWide ? 64 : 40;
  const qsizetype lSection = cElfSections + lEntrySize;
  lImage.Put32(lSection + 4, 7);
  lImage.PutWord(lSection + 8, 2, lWide); // allocated
  lImage.PutWord(lSection + (lWide ? 24 : 16), aOptions.FNoteOffset, lWide);
  lImage.PutWord(lSection + (lWide ? 32 : 20), lNotesSize, lWide);
  lImage.PutWord(lSection + (lWide ? 48 : 32), lAlign, lWide);

  lImage.PutWord(lWide ? 32 : 28, aOptions.FSegmentTable, lWide);
  if (aOptions.FSectionHeaders)
    lImage.PutWord(lWide ? 40 : 32, aOptions.FSectionTable, lWide);
  lImage.Put16(lWide ? 52 : 40, lWide ? 64 : 52);
  lImage.Put16(lWide ? 54 : 42, lWide ? 56 : 32);
  lImage.Put16(lWide ? 56 : 44, 1);
  lImage.Put16(lWide ? 58 : 46,
               aOptions.FSectionEntrySize ? aOptions.FSectionEntrySize : lEntrySize);
  lImage.Put16(lWide ? 60 : 48, aOptions.FSectionHeaders && !aOptions.FExtendedCount ? 2 : 0);
  if (aOptions.FExtendedCount)
    lImage.PutWord(cElfSections + (lWide ? 32 : 20), 2, lWide);
  return lImage.FData;
}

class VersionInfoTest : public ::testing::Test {
protected:
  QString Write(const QByteArray& aContent, const QString& aName = QStringLiteral("file.bin")) {
    const QString lName = FDir.filePath(aName);
    QFile lFile(lName);
    EXPECT_TRUE(lFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lFile.write(aContent);
    return lName;
  }

  // Reads the file and checks that a reason is given exactly when the file is unreadable.
  R Read(const QString& aFileName) {
    const R lResult = ReadVersionResource(aFileName, FVersion, FError);
    EXPECT_EQ(lResult == R::vrUnreadable, !FError.isEmpty()) << FError.toStdString();
    return lResult;
  }
  R ReadBytes(const QByteArray& aContent) { return Read(Write(aContent)); }

  QTemporaryDir FDir;
  TVersion FVersion{};
  QString FError;
};

// ---------------------------------------------------------------------------------------------

TEST_F(VersionInfoTest, PeFileVersionIsFoundForBothOptionalHeaders) {
  for (const bool lPlus : {false, true}) {
    SCOPED_TRACE(lPlus ? "PE32+" : "PE32");
    TPeOptions lOptions;
    lOptions.FPlus = lPlus;
    EXPECT_EQ(ReadBytes(BuildPe(lOptions)), R::vrFound) << FError.toStdString();
    EXPECT_EQ(FVersion, (TVersion{5, 2, 0, 17}));
  }
}

TEST_F(VersionInfoTest, PeWithoutVersionHasNoResource) {
  const struct {
    const char* FName;
    std::function<void(TPeOptions&)> FChange;
  } cCases[] = {
      {"no resource table", [](TPeOptions& aOptions) { aOptions.FResources = false; }},
      {"data directory ends before the resource entry",
       [](TPeOptions& aOptions) { aOptions.FDirectoryCount = 2; }},
      {"resources without RT_VERSION", [](TPeOptions& aOptions) { aOptions.FVersionType = false; }},
      {"RT_VERSION directory without entries",
       [](TPeOptions& aOptions) { aOptions.FNameTarget = cSubdirectory | cIconDirectory; }},
  };
  for (const auto& lCase : cCases) {
    SCOPED_TRACE(lCase.FName);
    TPeOptions lOptions;
    lOptions.FPlus = true;
    lCase.FChange(lOptions);
    FVersion = {1, 1, 1, 1};
    EXPECT_EQ(ReadBytes(BuildPe(lOptions)), R::vrNoResource) << FError.toStdString();
    EXPECT_EQ(FVersion, (TVersion{}));
  }
}

TEST_F(VersionInfoTest, DamagedPeIsUnreadable) {
  const struct {
    const char* FName;
    std::function<void(TPeOptions&)> FChange;
  } cCases[] = {
      {"bad signature", [](TPeOptions& aOptions) { aOptions.FSignature = 0xFEEF04BC; }},
      {"data RVA in no section", [](TPeOptions& aOptions) { aOptions.FDataRva = 0x90000; }},
      {"raw data of the section ends inside the block",
       [](TPeOptions& aOptions) { aOptions.FRawSize = cBlock + 40; }},
      {"name entry points at itself",
       [](TPeOptions& aOptions) { aOptions.FLanguageTarget = cSubdirectory | cNameDirectory; }},
      {"language entry points back at the root",
       [](TPeOptions& aOptions) { aOptions.FDataTarget = cSubdirectory; }},
      {"type entry names data instead of a directory",
       [](TPeOptions& aOptions) { aOptions.FNameTarget = cDataEntry; }},
      {"directory offset far outside",
       [](TPeOptions& aOptions) { aOptions.FNameTarget = cSubdirectory | 0x7FFFFFF0; }},
      {"value too short for fixed file information",
       [](TPeOptions& aOptions) { aOptions.FValueLength = 51; }},
      {"wrong key", [](TPeOptions& aOptions) { aOptions.FKey = u"VS_VERSION_INFX"; }},
      {"block longer than its resource",
       [](TPeOptions& aOptions) { aOptions.FBlockLength = cBlockSize + 1; }},
  };
  for (const bool lPlus : {false, true}) {
    for (const auto& lCase : cCases) {
      SCOPED_TRACE(std::string(lCase.FName) + (lPlus ? " (PE32+)" : " (PE32)"));
      TPeOptions lOptions;
      lOptions.FPlus = lPlus;
      lCase.FChange(lOptions);
      EXPECT_EQ(ReadBytes(BuildPe(lOptions)), R::vrUnreadable);
    }
  }
}

// A file cut anywhere after its magic is damage, never a crash or a version: for PE inside the
// DOS header, the PE header, the optional header, the section table, the resource tree or the
// version block; for ELF before the section headers at its end are complete.
TEST_F(VersionInfoTest, FileTruncatedAtEveryLengthIsUnreadable) {
  const struct {
    const char* FName;
    QByteArray FImage;
    qsizetype FMagicSize; // shorter files are not taken for programs
    qsizetype FNeeded;    // from this length on the version is found
  } cCases[] = {
      {"PE32", BuildPe({}), 2, cPeBlockEnd},
      {"PE32+", BuildPe({.FPlus = true}), 2, cPeBlockEnd},
      {"ELF64 little endian", BuildElf({}), 4, cElfSections + 2 * 64},
      {"ELF32 big endian", BuildElf({.FWide = false, .FBigEndian = true}), 4,
       cElfSections + 2 * 40},
  };
  for (const auto& lCase : cCases) {
    for (qsizetype lLength = 0; lLength <= lCase.FImage.size(); ++lLength) {
      const R lExpected = lLength < lCase.FMagicSize ? R::vrNoResource
                          : lLength < lCase.FNeeded  ? R::vrUnreadable
                                                     : R::vrFound;
      const R lResult = ReadBytes(lCase.FImage.left(lLength));
      if (lResult != lExpected) {
        ADD_FAILURE() << lCase.FName << " cut at " << lLength << ": " << int(lResult) << " "
                      << FError.toStdString();
        break;
      }
    }
  }
}

// Every byte of the headers, the resource tree and the notes in turn is inverted: whatever the
// result, the reader stays inside the file and gives a reason when it fails.
TEST_F(VersionInfoTest, FileWithAnyByteInvertedIsReadSafely) {
  for (const QByteArray& lImage :
       {BuildPe({.FPlus = true}), BuildElf({.FBigEndian = true, .FAlignment = 8})}) {
    for (qsizetype lPos = 0; lPos < lImage.size(); ++lPos) {
      QByteArray lDamaged = lImage;
      lDamaged[lPos] = static_cast<char>(~lDamaged[lPos]);
      ReadBytes(lDamaged);
    }
  }
}

// ---------------------------------------------------------------------------------------------

TEST_F(VersionInfoTest, ElfVersionNoteIsFoundInEveryLayout) {
  const struct {
    const char* FName;
    TElfOptions FOptions;
  } cCases[] = {
      {"64-bit little endian, sections, 8-aligned notes", {.FAlignment = 8}},
      {"64-bit big endian, sections", {.FBigEndian = true}},
      {"32-bit little endian, sections", {.FWide = false}},
      {"32-bit big endian, section count in section 0, no program headers",
       {.FWide = false, .FBigEndian = true, .FExtendedCount = true, .FSegmentTable = 0}},
      {"32-bit big endian, program headers only",
       {.FWide = false, .FBigEndian = true, .FSectionHeaders = false}},
      {"64-bit little endian, program headers only, 8-aligned notes",
       {.FSectionHeaders = false, .FAlignment = 8}},
  };
  for (const auto& lCase : cCases) {
    SCOPED_TRACE(lCase.FName);
    EXPECT_EQ(ReadBytes(BuildElf(lCase.FOptions)), R::vrFound) << FError.toStdString();
    EXPECT_EQ(FVersion, cElfVersion);
  }
}

TEST_F(VersionInfoTest, DamagedElfIsUnreadable) {
  const struct {
    const char* FName;
    std::function<void(TElfOptions&)> FChange;
  } cCases[] = {
      {"unknown class", [](TElfOptions& aOptions) { aOptions.FClass = 3; }},
      {"section headers past the end",
       [](TElfOptions& aOptions) { aOptions.FSectionTable = 0x10000; }},
      {"section header size too small",
       [](TElfOptions& aOptions) { aOptions.FSectionEntrySize = 16; }},
      {"notes past the end", [](TElfOptions& aOptions) { aOptions.FNoteOffset = 0x270; }},
      {"note name runs past its section",
       [](TElfOptions& aOptions) { aOptions.FForeignNameSize = 0xFFFFFFF0; }},
      {"version note of 6 bytes", [](TElfOptions& aOptions) { aOptions.FVersionDescSize = 6; }},
      {"program headers past the end",
       [](TElfOptions& aOptions) {
         aOptions.FSectionHeaders = false;
         aOptions.FSegmentTable = 0x10000;
       }},
  };
  for (const bool lBigEndian : {false, true}) {
    for (const auto& lCase : cCases) {
      SCOPED_TRACE(std::string(lCase.FName) + (lBigEndian ? " (big endian)" : ""));
      TElfOptions lOptions;
      lOptions.FBigEndian = lBigEndian;
      lCase.FChange(lOptions);
      EXPECT_EQ(ReadBytes(BuildElf(lOptions)), R::vrUnreadable);
    }
  }
  EXPECT_EQ(ReadBytes(BuildElf({}).left(40)), R::vrUnreadable) << "truncated header";
}

TEST_F(VersionInfoTest, RunningProgramCarriesProjectVersion) {
  const QStringList lParts = QStringLiteral(QEL_TEST_VERSION).split(u'.');
  TVersion lExpected{};
  for (qsizetype lIndex = 0; lIndex < lParts.size() && lIndex < 4; ++lIndex)
    lExpected[lIndex] = lParts[lIndex].toUShort();
  ASSERT_EQ(Read(QStringLiteral("/proc/self/exe")), R::vrFound) << FError.toStdString();
  EXPECT_EQ(FVersion, lExpected);
}

TEST_F(VersionInfoTest, FilesWithoutVersionHaveNoResource) {
  const struct {
    const char* FName;
    QByteArray FContent;
  } cCases[] = {
      {"text", "MS-DOS and ELF are both mentioned here.\n"},
      {"empty", ""},
      {"one byte", "M"},
      {"DOS program", QByteArray("MZ").leftJustified(0x40, '\0')},
      {"part of the ELF magic", "\177EL"},
      {"ELF without our note", BuildElf({.FOwner = "Qe!"})},
  };
  for (const auto& lCase : cCases) {
    SCOPED_TRACE(lCase.FName);
    EXPECT_EQ(ReadBytes(lCase.FContent), R::vrNoResource) << FError.toStdString();
  }
  const QString lForeign = QStringLiteral("/bin/true");
  if (QFileInfo(lForeign).isFile()) {
    EXPECT_EQ(Read(lForeign), R::vrNoResource) << FError.toStdString();
  }
}

TEST_F(VersionInfoTest, MissingFileIsReported) {
  for (const QString& lName :
       {QString(), FDir.filePath(QStringLiteral("absent.exe")), FDir.path()}) {
    SCOPED_TRACE(lName.toStdString());
    EXPECT_EQ(Read(lName), R::vrFileMissing);
  }
}

} // namespace
