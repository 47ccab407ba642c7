#pragma once
// Fetched rows, kept compactly. Firebird hands each row over in its output message, which
// reserves the full declared width of every text column (a VARCHAR(1000) in UTF-8 takes
// 4002 bytes however short its value). Each row is stored instead as one record: per
// column a null flag and the fixed-size value, and for text columns the place and length
// of the actual bytes, which follow the fixed part. Records live in large blocks, so that
// appending never moves the rows stored before.

#include "Qel.Ibdac.Client.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace Ibdac {

class TRowStore {
public:
  TRowStore(std::vector<TColumn> aColumns, unsigned aMessageLength);

  const std::vector<TColumn>& Columns() const { return FColumns; }
  size_t Count() const { return FRows.size(); }

  // Appends the row held in a Firebird output message laid out as the columns say.
  void Append(const unsigned char* aMessage);

  bool IsNull(size_t aRow, size_t aColumn) const { return FRows[aRow][FNullAt[aColumn]] != 0; }
  // The value of a column; aBlob holds the content of a blob column (read at fetch time).
  TVariant Value(size_t aRow, size_t aColumn, const QByteArray* aBlob) const;
  // The row laid out as a Firebird output message again, byte for byte as it came (used to
  // bind key values, which must go back exactly as they were read).
  std::vector<unsigned char> Message(size_t aRow) const;

private:
  // The bytes a text column's value really uses in a message.
  unsigned TextLength(const TColumn& aColumn, const unsigned char* aMessage) const;
  unsigned char* Allocate(size_t aSize);

  std::vector<TColumn> FColumns;
  unsigned FMessageLength;
  // Per column: where its null flag and its value (for text: offset and length) sit in a
  // record, and whether it is text; the size of a record's fixed part.
  std::vector<unsigned> FNullAt;
  std::vector<unsigned> FValueAt;
  std::vector<bool> FIsText;
  size_t FFixedSize = 0;
  // Scratch for the text lengths of the row being appended.
  std::vector<unsigned> FTextLengths;
  std::vector<std::unique_ptr<unsigned char[]>> FBlocks;
  size_t FBlockSize = 0;
  size_t FBlockUsed = 0;
  std::vector<const unsigned char*> FRows;
};

} // namespace Ibdac
