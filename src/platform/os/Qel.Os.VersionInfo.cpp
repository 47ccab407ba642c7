#include "Qel.Os.VersionInfo.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// No single read takes more than this into memory, whatever a damaged header claims.
constexpr uint64_t cMaxRead = 64ull * 1024 * 1024;

TVersionResourceResult Unreadable(QString& aError, const QString& aReason) {
  aError = aReason;
  return TVersionResourceResult::vrUnreadable;
}

// Random access to the bytes of the open file. Every read is checked against the size of the
// file first, so that no offset taken from a damaged header can reach past its end.
class TFileBytes {
public:
  explicit TFileBytes(QFile& aFile) : FFile(aFile), FSize(static_cast<uint64_t>(aFile.size())) {}

  uint64_t Size() const { return FSize; }

  // The aLength bytes at aOffset; false when they do not lie wholly inside the file.
  bool Read(uint64_t aOffset, uint64_t aLength, QByteArray& aData) {
    aData.clear();
    if (aOffset > FSize || aLength > FSize - aOffset || aLength > cMaxRead)
      return false;
    if (aLength == 0)
      return true;
    if (!FFile.seek(static_cast<qint64>(aOffset)))
      return false;
    aData = FFile.read(static_cast<qint64>(aLength));
    return static_cast<uint64_t>(aData.size()) == aLength;
  }

private:
  QFile& FFile;
  uint64_t FSize;
};

// Numbers inside a block that was read: the caller has checked the block's size, and a field
// outside it reads as zero rather than touching memory beyond the block.
class TDecoder {
public:
  TDecoder(const QByteArray& aData, bool aBigEndian) : FData(aData), FBigEndian(aBigEndian) {}

  uint16_t U16(uint64_t aPos) const { return static_cast<uint16_t>(Field(aPos, 2)); }
  uint32_t U32(uint64_t aPos) const { return static_cast<uint32_t>(Field(aPos, 4)); }
  uint64_t U64(uint64_t aPos) const { return Field(aPos, 8); }
  // A 32-bit or 64-bit field, by the width of the file's format.
  uint64_t Word(uint64_t aPos, bool aWide) const { return aWide ? U64(aPos) : U32(aPos); }

private:
  uint64_t Field(uint64_t aPos, int aBytes) const {
    const auto lSize = static_cast<uint64_t>(FData.size());
    if (aPos > lSize || lSize - aPos < static_cast<uint64_t>(aBytes))
      return 0;
    uint64_t lValue = 0;
    for (int lIndex = 0; lIndex < aBytes; ++lIndex) {
      const int lByte = FBigEndian ? lIndex : aBytes - 1 - lIndex;
      lValue = (lValue << 8) | static_cast<uint8_t>(FData[static_cast<qsizetype>(aPos) + lByte]);
    }
    return lValue;
  }

  const QByteArray& FData;
  bool FBigEndian;
};

uint64_t AlignUp(uint64_t aValue, uint64_t aAlignment) {
  return (aValue + aAlignment - 1) & ~(aAlignment - 1);
}

// ---------------------------------------------------------------------------------------------
// PE files: DOS header -> PE header -> resource directory -> RT_VERSION -> VS_VERSIONINFO.

constexpr uint32_t cResourceTypeVersion = 16; // RT_VERSION
constexpr uint32_t cDirectoryFlag = 0x80000000u;
constexpr uint32_t cFixedInfoSignature = 0xFEEF04BDu;
constexpr uint64_t cSectionHeaderSize = 40;
constexpr uint64_t cResourceDirectorySize = 16;
constexpr uint64_t cResourceEntrySize = 8;
constexpr uint64_t cResourceDataEntrySize = 16;
// VS_VERSIONINFO: wLength, wValueLength, wType, then the key, padded to 32 bits from the start
// of the block, then VS_FIXEDFILEINFO (13 DWORDs).
constexpr char16_t cVersionKey[] = u"VS_VERSION_INFO";
constexpr uint64_t cKeyOffset = 6;
constexpr uint64_t cKeyBytes = sizeof cVersionKey; // with the terminating NUL
constexpr uint64_t cFixedInfoOffset = (cKeyOffset + cKeyBytes + 3) & ~uint64_t(3);
constexpr uint64_t cFixedInfoSize = 13 * 4;
constexpr uint64_t cVersionBlockMinimum = cFixedInfoOffset + cFixedInfoSize;

struct TPeSection {
  uint32_t FVirtualAddress;
  uint32_t FVirtualSize;
  uint32_t FRawOffset;
  uint32_t FRawSize;
};

class TPeReader {
public:
  TPeReader(TFileBytes& aFile, QString& aError) : FFile(aFile), FError(aError) {}

  TVersionResourceResult Read(std::array<uint16_t, 4>& aVersion) {
    QByteArray lDos;
    if (!FFile.Read(0, 0x40, lDos))
      return Unreadable(FError, QStringLiteral("truncated DOS header"));
    const uint64_t lPeOffset = TDecoder(lDos, false).U32(0x3C);

    // Signature and COFF header.
    QByteArray lCoff;
    if (!FFile.Read(lPeOffset, 24, lCoff))
      return Unreadable(FError, QStringLiteral("PE header outside the file"));
    if (std::memcmp(lCoff.constData(), "PE\0\0", 4) != 0)
      return TVersionResourceResult::vrNoResource; // a DOS program, which carries no resources
    const TDecoder lCoffFields(lCoff, false);
    const uint64_t lSectionCount = lCoffFields.U16(6);
    const uint64_t lOptionalSize = lCoffFields.U16(20);

    QByteArray lOptional;
    if (!FFile.Read(lPeOffset + 24, lOptionalSize, lOptional))
      return Unreadable(FError, QStringLiteral("truncated optional header"));
    const TDecoder lOptionalFields(lOptional, false);
    uint64_t lCountPos = 0; // NumberOfRvaAndSizes, followed by the data directory
    const uint16_t lMagic = lOptionalFields.U16(0);
    if (lOptionalSize >= 2 && lMagic == 0x10B)
      lCountPos = 92;
    else if (lOptionalSize >= 2 && lMagic == 0x20B)
      lCountPos = 108;
    else
      return Unreadable(FError,
                        QStringLiteral("unknown optional header (magic 0x%1)").arg(lMagic, 0, 16));
    if (lOptionalSize < lCountPos + 4)
      return Unreadable(FError, QStringLiteral("optional header too short"));
    if (lOptionalFields.U32(lCountPos) <= 2)
      return TVersionResourceResult::vrNoResource;
    const uint64_t lResourceEntry = lCountPos + 4 + 2 * 8;
    if (lOptionalSize < lResourceEntry + 8)
      return Unreadable(FError, QStringLiteral("data directory outside the optional header"));
    FResourceRva = lOptionalFields.U32(lResourceEntry);
    if (FResourceRva == 0 || lOptionalFields.U32(lResourceEntry + 4) == 0)
      return TVersionResourceResult::vrNoResource;

    QByteArray lTable;
    if (!FFile.Read(lPeOffset + 24 + lOptionalSize, lSectionCount * cSectionHeaderSize, lTable))
      return Unreadable(FError, QStringLiteral("truncated section table"));
    const TDecoder lTableFields(lTable, false);
    for (uint64_t lIndex = 0; lIndex < lSectionCount; ++lIndex) {
      const uint64_t lPos = lIndex * cSectionHeaderSize;
      FSections.push_back({lTableFields.U32(lPos + 12), lTableFields.U32(lPos + 8),
                           lTableFields.U32(lPos + 20), lTableFields.U32(lPos + 16)});
    }

    // The type level: the entry with the integer ID of RT_VERSION.
    QByteArray lEntries;
    if (!ReadDirectory(0, lEntries))
      return TVersionResourceResult::vrUnreadable;
    std::optional<uint32_t> lTarget;
    const TDecoder lRoot(lEntries, false);
    for (uint64_t lPos = 0; lPos < static_cast<uint64_t>(lEntries.size());
         lPos += cResourceEntrySize) {
      if (lRoot.U32(lPos) == cResourceTypeVersion) { // a name has the top bit set instead
        lTarget = lRoot.U32(lPos + 4);
        break;
      }
    }
    if (!lTarget)
      return TVersionResourceResult::vrNoResource;

    // The name and the language level: the first entry of each. The depth is fixed, so that
    // offsets which point back up the tree cannot make the walk go round.
    for (int lLevel = 0; lLevel < 2; ++lLevel) {
      if ((*lTarget & cDirectoryFlag) == 0)
        return Unreadable(FError, QStringLiteral("version resource tree ends early"));
      if (!ReadDirectory(*lTarget & ~cDirectoryFlag, lEntries))
        return TVersionResourceResult::vrUnreadable;
      if (lEntries.isEmpty())
        return TVersionResourceResult::vrNoResource;
      lTarget = TDecoder(lEntries, false).U32(4);
    }
    if ((*lTarget & cDirectoryFlag) != 0)
      return Unreadable(FError, QStringLiteral("version resource tree deeper than three levels"));

    QByteArray lDataEntry;
    if (!ReadRva(uint64_t(FResourceRva) + *lTarget, cResourceDataEntrySize, lDataEntry,
                 QStringLiteral("resource data entry")))
      return TVersionResourceResult::vrUnreadable;
    const TDecoder lDataFields(lDataEntry, false);
    const uint32_t lBlockSize = lDataFields.U32(4);
    if (lBlockSize < cVersionBlockMinimum)
      return Unreadable(FError, QStringLiteral("version resource too small"));
    QByteArray lBlock;
    if (!ReadRva(lDataFields.U32(0), cVersionBlockMinimum, lBlock, QStringLiteral("version data")))
      return TVersionResourceResult::vrUnreadable;
    return ReadVersionBlock(lBlock, lBlockSize, aVersion);
  }

private:
  TVersionResourceResult ReadVersionBlock(const QByteArray& aBlock, uint32_t aResourceSize,
                                          std::array<uint16_t, 4>& aVersion) {
    const TDecoder lFields(aBlock, false);
    const uint16_t lLength = lFields.U16(0);
    if (lLength < cVersionBlockMinimum || lLength > aResourceSize)
      return Unreadable(
          FError, QStringLiteral("version block length %1 does not fit its resource").arg(lLength));
    for (uint64_t lIndex = 0; lIndex < cKeyBytes / 2; ++lIndex)
      if (lFields.U16(cKeyOffset + 2 * lIndex) != cVersionKey[lIndex])
        return Unreadable(FError, QStringLiteral("version block key is not VS_VERSION_INFO"));
    if (lFields.U16(2) < cFixedInfoSize)
      return Unreadable(FError, QStringLiteral("version block holds no fixed file information"));
    if (lFields.U32(cFixedInfoOffset) != cFixedInfoSignature)
      return Unreadable(FError, QStringLiteral("bad fixed file information signature"));
    const uint32_t lMs = lFields.U32(cFixedInfoOffset + 8);
    const uint32_t lLs = lFields.U32(cFixedInfoOffset + 12);
    aVersion = {static_cast<uint16_t>(lMs >> 16), static_cast<uint16_t>(lMs),
                static_cast<uint16_t>(lLs >> 16), static_cast<uint16_t>(lLs)};
    return TVersionResourceResult::vrFound;
  }

  // The entries of the resource directory at aOffset from the start of the resources.
  bool ReadDirectory(uint64_t aOffset, QByteArray& aEntries) {
    QByteArray lHeader;
    const QString lWhat = QStringLiteral("resource directory");
    if (!ReadRva(FResourceRva + aOffset, cResourceDirectorySize, lHeader, lWhat))
      return false;
    const TDecoder lFields(lHeader, false);
    const uint64_t lCount = uint64_t(lFields.U16(12)) + lFields.U16(14);
    return ReadRva(FResourceRva + aOffset + cResourceDirectorySize, lCount * cResourceEntrySize,
                   aEntries, lWhat);
  }

  // The bytes at an RVA, through the section that holds it; the whole range must lie inside the
  // data that the section has in the file.
  bool ReadRva(uint64_t aRva, uint64_t aLength, QByteArray& aData, const QString& aWhat) {
    for (const TPeSection& lSection : FSections) {
      const uint64_t lSpan = lSection.FVirtualSize != 0 ? lSection.FVirtualSize : lSection.FRawSize;
      if (aRva < lSection.FVirtualAddress || aRva - lSection.FVirtualAddress >= lSpan)
        continue;
      const uint64_t lInside = aRva - lSection.FVirtualAddress;
      if (aLength > lSection.FRawSize || lInside > lSection.FRawSize - aLength) {
        Unreadable(FError, QStringLiteral("%1 beyond the data of its section").arg(aWhat));
        return false;
      }
      if (!FFile.Read(uint64_t(lSection.FRawOffset) + lInside, aLength, aData)) {
        Unreadable(FError, QStringLiteral("%1 outside the file").arg(aWhat));
        return false;
      }
      return true;
    }
    Unreadable(FError,
               QStringLiteral("%1 at RVA 0x%2 lies in no section").arg(aWhat).arg(aRva, 0, 16));
    return false;
  }

  TFileBytes& FFile;
  QString& FError;
  uint32_t FResourceRva = 0;
  std::vector<TPeSection> FSections;
};

// ---------------------------------------------------------------------------------------------
// ELF files: the note of owner "Qel", type 1, with four 16-bit numbers in the file's byte order.

constexpr uint32_t cSectionTypeNote = 7; // SHT_NOTE
constexpr uint32_t cSegmentTypeNote = 4; // PT_NOTE
constexpr uint32_t cVersionNoteType = 1;
constexpr uint64_t cNoteHeaderSize = 12;

class TElfReader {
public:
  TElfReader(TFileBytes& aFile, QString& aError) : FFile(aFile), FError(aError) {}

  TVersionResourceResult Read(std::array<uint16_t, 4>& aVersion) {
    QByteArray lIdent;
    if (!FFile.Read(0, 16, lIdent))
      return Unreadable(FError, QStringLiteral("truncated ELF header"));
    if (lIdent[4] != 1 && lIdent[4] != 2)
      return Unreadable(FError, QStringLiteral("unknown ELF class %1").arg(int(lIdent[4])));
    if (lIdent[5] != 1 && lIdent[5] != 2)
      return Unreadable(FError, QStringLiteral("unknown ELF byte order %1").arg(int(lIdent[5])));
    FWide = lIdent[4] == 2;
    FBigEndian = lIdent[5] == 2;

    QByteArray lHeader;
    if (!FFile.Read(0, FWide ? 64 : 52, lHeader))
      return Unreadable(FError, QStringLiteral("truncated ELF header"));
    const TDecoder lFields(lHeader, FBigEndian);
    const uint64_t lSectionTable = lFields.Word(FWide ? 40 : 32, FWide);
    const uint64_t lSectionEntrySize = lFields.U16(FWide ? 58 : 46);
    uint64_t lSectionCount = lFields.U16(FWide ? 60 : 48);
    const uint64_t lSegmentTable = lFields.Word(FWide ? 32 : 28, FWide);
    const uint64_t lSegmentEntrySize = lFields.U16(FWide ? 54 : 42);
    const uint64_t lSegmentCount = lFields.U16(FWide ? 56 : 44);

    if (lSectionTable != 0) {
      if (lSectionEntrySize < (FWide ? 64u : 40u))
        return Unreadable(
            FError, QStringLiteral("ELF section header size %1 too small").arg(lSectionEntrySize));
      if (lSectionCount == 0) {
        // Many sections: the count is kept in the size of section 0.
        QByteArray lFirst;
        if (!FFile.Read(lSectionTable, lSectionEntrySize, lFirst))
          return Unreadable(FError, QStringLiteral("ELF section headers outside the file"));
        lSectionCount = TDecoder(lFirst, FBigEndian).Word(FWide ? 32 : 20, FWide);
      }
    }
    if (lSectionTable != 0 && lSectionCount != 0) {
      QByteArray lTable;
      if (lSectionCount > cMaxRead / lSectionEntrySize ||
          !FFile.Read(lSectionTable, lSectionCount * lSectionEntrySize, lTable))
        return Unreadable(FError, QStringLiteral("ELF section headers outside the file"));
      const TDecoder lTableFields(lTable, FBigEndian);
      for (uint64_t lIndex = 0; lIndex < lSectionCount; ++lIndex) {
        const uint64_t lPos = lIndex * lSectionEntrySize;
        if (lTableFields.U32(lPos + 4) != cSectionTypeNote)
          continue;
        const TVersionResourceResult lResult =
            ReadNotes(lTableFields.Word(lPos + (FWide ? 24 : 16), FWide),
                      lTableFields.Word(lPos + (FWide ? 32 : 20), FWide),
                      lTableFields.Word(lPos + (FWide ? 48 : 32), FWide), aVersion);
        if (lResult != TVersionResourceResult::vrNoResource)
          return lResult;
      }
      return TVersionResourceResult::vrNoResource;
    }

    // No section headers (a stripped or unusual file): the note segments of the program headers.
    if (lSegmentTable == 0 || lSegmentCount == 0)
      return TVersionResourceResult::vrNoResource;
    if (lSegmentEntrySize < (FWide ? 56u : 32u))
      return Unreadable(
          FError, QStringLiteral("ELF program header size %1 too small").arg(lSegmentEntrySize));
    QByteArray lTable;
    if (!FFile.Read(lSegmentTable, lSegmentCount * lSegmentEntrySize, lTable))
      return Unreadable(FError, QStringLiteral("ELF program headers outside the file"));
    const TDecoder lTableFields(lTable, FBigEndian);
    for (uint64_t lIndex = 0; lIndex < lSegmentCount; ++lIndex) {
      const uint64_t lPos = lIndex * lSegmentEntrySize;
      if (lTableFields.U32(lPos) != cSegmentTypeNote)
        continue;
      const TVersionResourceResult lResult =
          ReadNotes(lTableFields.Word(lPos + (FWide ? 8 : 4), FWide),
                    lTableFields.Word(lPos + (FWide ? 32 : 16), FWide),
                    lTableFields.Word(lPos + (FWide ? 48 : 28), FWide), aVersion);
      if (lResult != TVersionResourceResult::vrNoResource)
        return lResult;
    }
    return TVersionResourceResult::vrNoResource;
  }

private:
  // The notes in aSize bytes at aOffset. Notes are 4-byte aligned, except in areas aligned to
  // 8 bytes, where name and description are padded to 8.
  TVersionResourceResult ReadNotes(uint64_t aOffset, uint64_t aSize, uint64_t aAlignment,
                                   std::array<uint16_t, 4>& aVersion) {
    QByteArray lNotes;
    if (!FFile.Read(aOffset, aSize, lNotes))
      return Unreadable(FError, QStringLiteral("ELF notes outside the file"));
    const uint64_t lAlignment = aAlignment == 8 ? 8 : 4;
    const TDecoder lFields(lNotes, FBigEndian);
    // Every note takes at least its header, so the walk ends; a rest shorter than a header is
    // padding.
    for (uint64_t lPos = 0; aSize - lPos >= cNoteHeaderSize;) {
      const uint64_t lNameSize = lFields.U32(lPos);
      const uint64_t lDescSize = lFields.U32(lPos + 4);
      const uint32_t lType = lFields.U32(lPos + 8);
      const uint64_t lDescPos = AlignUp(lPos + cNoteHeaderSize + lNameSize, lAlignment);
      if (lDescPos > aSize || lDescSize > aSize - lDescPos)
        return Unreadable(FError, QStringLiteral("ELF note runs past its end"));
      if (lNameSize == 4 && lType == cVersionNoteType &&
          std::memcmp(lNotes.constData() + lPos + cNoteHeaderSize, "Qel", 4) == 0) {
        if (lDescSize != 8)
          return Unreadable(
              FError, QStringLiteral("version note has %1 bytes instead of 8").arg(lDescSize));
        for (uint64_t lIndex = 0; lIndex < 4; ++lIndex)
          aVersion[lIndex] = lFields.U16(lDescPos + 2 * lIndex);
        return TVersionResourceResult::vrFound;
      }
      lPos = AlignUp(lDescPos + lDescSize, lAlignment);
      if (lPos > aSize)
        break;
    }
    return TVersionResourceResult::vrNoResource;
  }

  TFileBytes& FFile;
  QString& FError;
  bool FWide = false;
  bool FBigEndian = false;
};

} // namespace

TVersionResourceResult ReadVersionResource(const QString& aFileName,
                                           std::array<uint16_t, 4>& aVersion, QString& aError) {
  aVersion = {};
  aError.clear();
  if (aFileName.isEmpty() || !QFileInfo(aFileName).isFile())
    return TVersionResourceResult::vrFileMissing;
  QFile lFile(aFileName);
  if (!lFile.open(QIODevice::ReadOnly))
    return Unreadable(aError, QStringLiteral("cannot open the file: %1").arg(lFile.errorString()));

  TFileBytes lBytes(lFile);
  QByteArray lMagic;
  lBytes.Read(0, std::min<uint64_t>(lBytes.Size(), 4), lMagic);
  TVersionResourceResult lResult = TVersionResourceResult::vrNoResource;
  if (lMagic.startsWith("MZ"))
    lResult = TPeReader(lBytes, aError).Read(aVersion);
  else if (lMagic == QByteArray("\177ELF"))
    lResult = TElfReader(lBytes, aError).Read(aVersion);
  if (lResult != TVersionResourceResult::vrFound)
    aVersion = {};
  if (lResult != TVersionResourceResult::vrUnreadable)
    aError.clear();
  return lResult;
}
