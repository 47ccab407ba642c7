#include "Qel.Ibdac.Rows.h"

#include <algorithm>
#include <cstring>

namespace Ibdac {

namespace {

// Blocks grow from small (a query of one row stays small) to this size.
constexpr size_t cFirstBlock = 4096;
constexpr size_t cLargestBlock = size_t(1) << 20;
// Octets are kept as they are; other fixed-length text loses its padding blanks.
constexpr unsigned cCharSetOctets = 1;

bool IsText(const TColumn& c) {
  return c.Type == SQL_TEXT || c.Type == SQL_VARYING;
}

// A text value's place in its record: offset from the record's start, then length.
struct TTextSlot {
  uint32_t Offset;
  uint32_t Length;
};

TTextSlot ReadSlot(const unsigned char* aAt) {
  TTextSlot lSlot;
  std::memcpy(&lSlot, aAt, sizeof lSlot);
  return lSlot;
}

int16_t ReadNull(const unsigned char* aMessage, const TColumn& c) {
  int16_t lNull;
  std::memcpy(&lNull, aMessage + c.NullOffset, sizeof lNull);
  return lNull;
}

} // namespace

TRowStore::TRowStore(std::vector<TColumn> aColumns, unsigned aMessageLength)
    : FColumns(std::move(aColumns)), FMessageLength(aMessageLength) {
  for (const TColumn& c : FColumns) {
    FNullAt.push_back(static_cast<unsigned>(FFixedSize++));
    FValueAt.push_back(static_cast<unsigned>(FFixedSize));
    FIsText.push_back(IsText(c));
    FFixedSize += IsText(c) ? sizeof(TTextSlot) : c.Length;
  }
  FTextLengths.resize(FColumns.size());
}

unsigned TRowStore::TextLength(const TColumn& c, const unsigned char* aMessage) const {
  const unsigned char* lAt = aMessage + c.Offset;
  if (c.Type == SQL_VARYING) {
    uint16_t lLength;
    std::memcpy(&lLength, lAt, sizeof lLength);
    return std::min<unsigned>(lLength, c.Length);
  }
  unsigned lLength = c.Length;
  if (c.CharSet != cCharSetOctets)
    while (lLength > 0 && lAt[lLength - 1] == ' ')
      --lLength;
  return lLength;
}

unsigned char* TRowStore::Allocate(size_t aSize) {
  if (FBlocks.empty() || FBlockSize - FBlockUsed < aSize) {
    const size_t lNext = FBlocks.empty() ? cFirstBlock : std::min(FBlockSize * 2, cLargestBlock);
    FBlockSize = std::max(lNext, aSize);
    FBlocks.push_back(std::make_unique_for_overwrite<unsigned char[]>(FBlockSize));
    FBlockUsed = 0;
  }
  unsigned char* lAt = FBlocks.back().get() + FBlockUsed;
  FBlockUsed += aSize;
  return lAt;
}

void TRowStore::Append(const unsigned char* aMessage) {
  size_t lSize = FFixedSize;
  for (size_t i = 0; i < FColumns.size(); ++i) {
    const bool lText = FIsText[i] && ReadNull(aMessage, FColumns[i]) == 0;
    FTextLengths[i] = lText ? TextLength(FColumns[i], aMessage) : 0;
    lSize += FTextLengths[i];
  }
  unsigned char* lRecord = Allocate(lSize);
  auto lText = static_cast<uint32_t>(FFixedSize);
  for (size_t i = 0; i < FColumns.size(); ++i) {
    const TColumn& c = FColumns[i];
    const bool lNull = ReadNull(aMessage, c) != 0;
    lRecord[FNullAt[i]] = lNull ? 1 : 0;
    unsigned char* lValue = lRecord + FValueAt[i];
    const unsigned char* lFrom = aMessage + c.Offset;
    if (!FIsText[i]) {
      std::memcpy(lValue, lFrom, c.Length);
      continue;
    }
    const TTextSlot lSlot{lText, FTextLengths[i]};
    std::memcpy(lValue, &lSlot, sizeof lSlot);
    std::memcpy(lRecord + lText, c.Type == SQL_VARYING ? lFrom + 2 : lFrom, lSlot.Length);
    lText += lSlot.Length;
  }
  FRows.push_back(lRecord);
}

TVariant TRowStore::Value(size_t aRow, size_t aColumn, const QByteArray* aBlob) const {
  const unsigned char* lRecord = FRows[aRow];
  if (lRecord[FNullAt[aColumn]] != 0)
    return TVariant::Null();
  const unsigned char* lValue = lRecord + FValueAt[aColumn];
  if (!FIsText[aColumn])
    return DecodeData(FColumns[aColumn], lValue, 0, aBlob);
  const TTextSlot lSlot = ReadSlot(lValue);
  return DecodeData(FColumns[aColumn], lRecord + lSlot.Offset, lSlot.Length, aBlob);
}

std::vector<unsigned char> TRowStore::Message(size_t aRow) const {
  std::vector<unsigned char> lMessage(FMessageLength, 0);
  const unsigned char* lRecord = FRows[aRow];
  for (size_t i = 0; i < FColumns.size(); ++i) {
    const TColumn& c = FColumns[i];
    const int16_t lNull = lRecord[FNullAt[i]] != 0 ? -1 : 0;
    std::memcpy(lMessage.data() + c.NullOffset, &lNull, sizeof lNull);
    unsigned char* lTo = lMessage.data() + c.Offset;
    const unsigned char* lValue = lRecord + FValueAt[i];
    if (!FIsText[i]) {
      std::memcpy(lTo, lValue, c.Length);
      continue;
    }
    const TTextSlot lSlot = ReadSlot(lValue);
    if (c.Type == SQL_VARYING) {
      const auto lLength = static_cast<uint16_t>(lSlot.Length);
      std::memcpy(lTo, &lLength, sizeof lLength);
      lTo += 2;
    } else {
      std::memset(lTo + lSlot.Length, ' ', c.Length - lSlot.Length);
    }
    std::memcpy(lTo, lRecord + lSlot.Offset, lSlot.Length);
  }
  return lMessage;
}

} // namespace Ibdac
