#include "Qel.Ibdac.Query.h"

#include "Qel.Ibdac.Internal.h"
#include "Qel.Ibdac.Rows.h"
#include "Qel.Rtl.Exceptions.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <unordered_map>

using namespace Firebird;
using namespace Ibdac;

struct TIBCQuery::TRows {
  TRows(const std::vector<TColumn>& aColumns, unsigned aMessageLength)
      : Store(aColumns, aMessageLength), Message(aMessageLength) {}

  TRowStore Store;
  // The output message each row is fetched into before it is stored.
  std::vector<unsigned char> Message;
  // Slot of each blob column among the blob columns (-1 for the others), and their values.
  std::vector<int> BlobSlot;
  int BlobColumns = 0;
  std::vector<QByteArray> Blobs;
  bool AllFetched = false;
  size_t Current = 0;
  // Values written back by Post, per row and column; the edit in progress.
  std::unordered_map<size_t, std::map<int, TVariant>> Posted;
  std::map<int, TVariant> Editing;

  const std::vector<TColumn>& Columns() const { return Store.Columns(); }
  size_t Count() const { return Store.Count(); }
  const QByteArray* Blob(size_t aRow, int aColumn) const {
    const int lSlot = BlobSlot[static_cast<size_t>(aColumn)];
    return lSlot < 0 ? nullptr
                     : &Blobs[aRow * static_cast<size_t>(BlobColumns) + static_cast<size_t>(lSlot)];
  }
  // Stores the row in Message together with the contents of its blobs, which aReadBlob reads
  // by their ids; nothing is kept when reading one fails.
  template <typename F> void Keep(F&& aReadBlob) {
    std::vector<QByteArray> lBlobs(static_cast<size_t>(BlobColumns));
    for (size_t c = 0; c < BlobSlot.size() && BlobColumns > 0; ++c) {
      if (BlobSlot[c] < 0)
        continue;
      const TColumn& lColumn = Columns()[c];
      int16_t lNull = 0;
      std::memcpy(&lNull, Message.data() + lColumn.NullOffset, sizeof lNull);
      if (lNull != 0)
        continue;
      ISC_QUAD lId;
      std::memcpy(&lId, Message.data() + lColumn.Offset, sizeof lId);
      lBlobs[static_cast<size_t>(BlobSlot[c])] = aReadBlob(lId);
    }
    Store.Append(Message.data());
    for (QByteArray& lBlob : lBlobs)
      Blobs.push_back(std::move(lBlob));
  }
};

namespace {

TFieldType FieldTypeOf(const TColumn& c) {
  switch (c.Type) {
  case SQL_TEXT:
  case SQL_VARYING:
    return ftString;
  case SQL_SHORT:
    return c.Scale ? ftBCD : ftSmallint;
  case SQL_LONG:
    return c.Scale ? ftBCD : ftInteger;
  case SQL_INT64:
    return c.Scale ? ftBCD : ftLargeint;
  case SQL_FLOAT:
  case SQL_DOUBLE:
  case SQL_D_FLOAT:
    return ftFloat;
  case SQL_BOOLEAN:
    return ftBoolean;
  case SQL_TYPE_DATE:
    return ftDate;
  case SQL_TYPE_TIME:
    return ftTime;
  case SQL_TIMESTAMP:
    return ftDateTime;
  case SQL_BLOB:
    return c.SubType == 1 ? ftMemo : ftBlob;
  default:
    return ftUnknown;
  }
}

// A blob of the row just fetched, read in the transaction the query runs in.
QByteArray ReadBlobOf(const TIBCQuery& aQuery, const ISC_QUAD& aId) {
  return ReadBlob(aQuery.Connection()->Impl().Attachment.get(),
                  aQuery.Impl().RunningIn->Impl().Handle.get(), aId);
}

int FieldSizeOf(const TColumn& c) {
  if (c.Type != SQL_TEXT && c.Type != SQL_VARYING)
    return 0;
  return static_cast<int>(c.CharSet == 4 ? c.Length / 4 : c.Length);
}

QString QuoteName(const QString& aName) {
  QString lName = aName;
  return u'"' + lName.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// Runs one statement of our own; calls aOnRow for each row of a cursor. The rows affected.
template <typename F>
uint64_t RunInternal(IAttachment* aAttachment, ITransaction* aTransaction, unsigned aDialect,
                     const QString& aSql, const std::vector<TBindValue>& aValues, F&& aOnRow) {
  const QByteArray lSql = ToUtf8(aSql);
  TRef<IStatement> lStatement(Call([&](ThrowStatusWrapper* s) {
    return aAttachment->prepare(s, aTransaction, static_cast<unsigned>(lSql.size()),
                                lSql.constData(), aDialect, IStatement::PREPARE_PREFETCH_METADATA);
  }));
  TRef<IMessageMetadata> lInMeta(
      Call([&](ThrowStatusWrapper* s) { return lStatement->getInputMetadata(s); }));
  TRef<IMessageMetadata> lOutMeta(
      Call([&](ThrowStatusWrapper* s) { return lStatement->getOutputMetadata(s); }));
  TInputMessage lInput;
  lInput.Build(aAttachment, aTransaction, lInMeta.get(), aValues);
  IMessageMetadata* lUsedIn = lInput.Metadata() ? lInput.Metadata() : lInMeta.get();
  const std::vector<TColumn> lColumns = DescribeColumns(lOutMeta.get());
  const unsigned lLength =
      Call([&](ThrowStatusWrapper* s) { return lOutMeta->getMessageLength(s); });
  std::vector<unsigned char> lRow(lLength);
  const bool lCursor = Call([&](ThrowStatusWrapper* s) {
    return (lStatement->getFlags(s) & IStatement::FLAG_HAS_CURSOR) != 0;
  });
  if (!lCursor) {
    return Call([&](ThrowStatusWrapper* s) {
      lStatement->execute(s, aTransaction, lUsedIn, lInput.Buffer(), lOutMeta.get(),
                          lRow.empty() ? nullptr : lRow.data());
      return static_cast<uint64_t>(lStatement->getAffectedRecords(s));
    });
  }
  TRef<IResultSet> lCursorRef(Call([&](ThrowStatusWrapper* s) {
    return lStatement->openCursor(s, aTransaction, lUsedIn, lInput.Buffer(), lOutMeta.get(), 0);
  }));
  while (Call([&](ThrowStatusWrapper* s) { return lCursorRef->fetchNext(s, lRow.data()); }) ==
         IStatus::RESULT_OK)
    aOnRow(lColumns, lRow.data());
  lCursorRef.End([](IResultSet* c, ThrowStatusWrapper* s) { c->close(s); });
  return 0;
}

} // namespace

TIBCQuery::TIBCQuery(TComponent* aOwner) : TIBCCommand(aOwner) {}

TIBCQuery::~TIBCQuery() {
  Deactivate();
}

void TIBCQuery::SetActive(bool aValue) {
  if (aValue == Active())
    return;
  if (aValue) {
    InternalOpen();
    return;
  }
  Deactivate();
  try {
    Impl().Cursor.End([](IResultSet* c, ThrowStatusWrapper* s) { c->close(s); });
  } catch (const EIBCError& e) {
    CheckLost(e);
  }
}

void TIBCQuery::Execute() {
  Close();
  InternalExecute(1, 0);
}

void TIBCQuery::InternalOpen() {
  DoInternalOpen();
}

void TIBCQuery::InternalExecute(int aIters, int aOffset) {
  DoInternalExecute(aIters, aOffset);
}

void TIBCQuery::DoInternalOpen() {
  if (Active())
    return;
  Prepare();
  if (!Impl().HasCursor && Impl().Outputs.empty())
    throw EDatabaseError(QStringLiteral("The statement returns no rows; use Execute"));
  DoInternalExecute(1, 0);
}

void TIBCQuery::DoInternalExecute(int aIters, int aOffset) {
  if (aIters != 1 || aOffset != 0)
    throw EArgumentException(
        QStringLiteral("Batch execution is not supported (Iters %1, Offset %2)")
            .arg(aIters)
            .arg(aOffset));
  Deactivate();
  const bool lCursor = ExecuteStatement([this] {
    if (!Impl().Outputs.empty())
      Activate();
  });
  if (lCursor)
    Activate();
}

void TIBCQuery::Activate() {
  TImpl& i = Impl();
  FRows = std::make_unique<TRows>(i.Outputs, i.OutLength);
  TRows& r = *FRows;
  r.BlobSlot.assign(r.Columns().size(), -1);
  for (size_t c = 0; c < r.Columns().size(); ++c) {
    const TColumn& lColumn = r.Columns()[c];
    if (lColumn.Type == SQL_BLOB)
      r.BlobSlot[c] = r.BlobColumns++;
    FFields.push_back(std::make_unique<TIBCField>(this, static_cast<int>(c), lColumn.Name,
                                                  FieldTypeOf(lColumn), FieldSizeOf(lColumn)));
  }
  FState = dsBrowse;
  if (!i.Cursor) {
    // The single output row of a statement without cursor.
    r.Message = i.SingletonRow;
    r.Keep([&](const ISC_QUAD& aId) { return ReadBlobOf(*this, aId); });
    r.AllFetched = true;
  } else {
    FetchRows(FFetchAll ? SIZE_MAX : 1);
  }
  FBof = true;
  FEof = r.Count() == 0;
}

void TIBCQuery::Deactivate() {
  FState = dsInactive;
  FEof = true;
  FBof = true;
  FFields.clear();
  FRows.reset();
}

bool TIBCQuery::FetchRows(size_t aMax) {
  TRows& r = *FRows;
  TImpl& i = Impl();
  if (r.AllFetched || !i.Cursor)
    return false;
  size_t lFetched = 0;
  bool lEnd = false;
  try {
    // One status for the whole run of fetches.
    Call([&](ThrowStatusWrapper* s) {
      while (lFetched < aMax) {
        if (i.Cursor->fetchNext(s, r.Message.data()) != IStatus::RESULT_OK) {
          lEnd = true;
          return;
        }
        r.Keep([&](const ISC_QUAD& aId) { return ReadBlobOf(*this, aId); });
        ++lFetched;
      }
    });
    if (lEnd) {
      r.AllFetched = true;
      i.Cursor.End([](IResultSet* c, ThrowStatusWrapper* s) { c->close(s); });
    }
  } catch (const EIBCError& e) {
    r.AllFetched = true;
    CheckLost(e);
    throw;
  }
  return lFetched > 0;
}

void TIBCQuery::CheckActive() const {
  if (!Active())
    throw EDatabaseError(
        QStringLiteral("%1: the query is not open").arg(Name().isEmpty() ? ClassName() : Name()));
}

void TIBCQuery::Next() {
  CheckActive();
  if (FState == dsEdit)
    Post();
  TRows& r = *FRows;
  if (FEof)
    return;
  if (r.Current + 1 < r.Count() || FetchRows(1)) {
    ++r.Current;
    FBof = false;
  } else {
    FEof = true;
  }
}

void TIBCQuery::First() {
  CheckActive();
  if (FState == dsEdit)
    Post();
  FRows->Current = 0;
  FBof = true;
  FEof = FRows->Count() == 0;
}

int TIBCQuery::RecordCount() const {
  return FRows ? static_cast<int>(FRows->Count()) : 0;
}

int TIBCQuery::RecNo() const {
  return (FRows && FRows->Count() > 0) ? static_cast<int>(FRows->Current) + 1 : 0;
}

TIBCField* TIBCQuery::Fields(int aIndex) const {
  if (aIndex < 0 || aIndex >= FieldCount())
    throw ERangeError(QStringLiteral("Field index out of bounds (%1)").arg(aIndex));
  return FFields[static_cast<size_t>(aIndex)].get();
}

TIBCField* TIBCQuery::FindField(const QString& aName) const {
  for (const auto& lField : FFields)
    if (lField->FieldName().compare(aName, Qt::CaseInsensitive) == 0)
      return lField.get();
  return nullptr;
}

TIBCField* TIBCQuery::FieldByName(const QString& aName) const {
  TIBCField* lField = FindField(aName);
  if (!lField)
    throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(aName));
  return lField;
}

TVariant TIBCQuery::FieldValue(int aIndex) const {
  CheckActive();
  const TRows& r = *FRows;
  if (r.Count() == 0)
    return TVariant::Null();
  if (FState == dsEdit)
    if (const auto lEdited = r.Editing.find(aIndex); lEdited != r.Editing.end())
      return lEdited->second;
  if (!r.Posted.empty())
    if (const auto lRow = r.Posted.find(r.Current); lRow != r.Posted.end())
      if (const auto lPosted = lRow->second.find(aIndex); lPosted != lRow->second.end())
        return lPosted->second;
  return r.Store.Value(r.Current, static_cast<size_t>(aIndex), r.Blob(r.Current, aIndex));
}

void TIBCQuery::SetFieldValue(int aIndex, const TVariant& aValue) {
  if (FState != dsEdit)
    throw EDatabaseError(QStringLiteral("%1: the query is not in edit mode")
                             .arg(Name().isEmpty() ? ClassName() : Name()));
  FRows->Editing[aIndex] = aValue;
}

void TIBCQuery::Edit() {
  CheckActive();
  if (FState == dsEdit)
    return;
  if (FRows->Count() == 0)
    throw EDatabaseError(QStringLiteral("Cannot edit an empty result"));
  FState = dsEdit;
}

void TIBCQuery::Cancel() {
  if (FState != dsEdit)
    return;
  FRows->Editing.clear();
  FState = dsBrowse;
}

void TIBCQuery::Post() {
  if (FState != dsEdit)
    throw EDatabaseError(QStringLiteral("%1: the query is not in edit mode")
                             .arg(Name().isEmpty() ? ClassName() : Name()));
  TRows& r = *FRows;
  if (!r.Editing.empty())
    WriteBack();
  for (auto& [lIndex, lValue] : r.Editing)
    r.Posted[r.Current][lIndex] = lValue;
  r.Editing.clear();
  FState = dsBrowse;
}

void TIBCQuery::WriteBack() {
  TRows& r = *FRows;
  // The one table all changed columns come from.
  QString lRelation;
  for (const auto& [lIndex, lValue] : r.Editing) {
    const TColumn& c = r.Columns()[static_cast<size_t>(lIndex)];
    if (c.Relation.isEmpty() || c.Field.isEmpty())
      throw EDatabaseError(
          QStringLiteral("Field '%1' is no table column and cannot be written").arg(c.Name));
    if (!lRelation.isEmpty() && lRelation != c.Relation)
      throw EDatabaseError(QStringLiteral("Changed fields come from more than one table"));
    lRelation = c.Relation;
  }

  TIBCConnection* lConnection = CheckConnection();
  if (!lConnection->Connected())
    throw EDatabaseError(QStringLiteral("Connection is not open"));
  TIBCTransaction* lTransaction = Impl().RunningIn ? Impl().RunningIn : UsedTransaction();
  if (!lTransaction->DefaultConnection())
    lTransaction->SetDefaultConnection(lConnection);
  if (!lTransaction->Active())
    lTransaction->StartTransaction();
  IAttachment* lAttachment = lConnection->Impl().Attachment.get();
  ITransaction* lHandle = lTransaction->Impl().Handle.get();
  const auto lDialect = static_cast<unsigned>(lConnection->SQLDialect());

  // The key: RDB$DB_KEY when selected, else the primary key columns.
  std::vector<int> lKey;
  for (size_t c = 0; c < r.Columns().size(); ++c)
    if (r.Columns()[c].Relation == lRelation && r.Columns()[c].Field == QLatin1String("DB_KEY"))
      lKey = {static_cast<int>(c)};
  if (lKey.empty()) {
    QStringList lKeyFields;
    RunInternal(
        lAttachment, lHandle, lDialect,
        QStringLiteral("SELECT TRIM(s.RDB$FIELD_NAME) FROM RDB$RELATION_CONSTRAINTS c "
                       "JOIN RDB$INDEX_SEGMENTS s ON s.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
                       "WHERE c.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' AND c.RDB$RELATION_NAME = ? "
                       "ORDER BY s.RDB$FIELD_POSITION"),
        {TBindValue{TVariant(lRelation)}},
        [&](const std::vector<TColumn>& aColumns, const unsigned char* aRow) {
          lKeyFields.append(DecodeValue(aColumns[0], aRow, nullptr).AsString());
        });
    for (const QString& lName : lKeyFields)
      for (size_t c = 0; c < r.Columns().size(); ++c)
        if (r.Columns()[c].Relation == lRelation && r.Columns()[c].Field == lName) {
          lKey.push_back(static_cast<int>(c));
          break;
        }
    if (lKeyFields.isEmpty() || lKey.size() != static_cast<size_t>(lKeyFields.size()))
      throw EDatabaseError(QStringLiteral("Cannot write the row back to %1: select RDB$DB_KEY or "
                                          "its primary key columns")
                               .arg(lRelation));
  }

  QStringList lSets;
  QStringList lWheres;
  std::vector<TBindValue> lValues;
  for (const auto& [lIndex, lValue] : r.Editing) {
    lSets.append(QuoteName(r.Columns()[static_cast<size_t>(lIndex)].Field) +
                 QStringLiteral(" = ?"));
    lValues.push_back({lValue});
  }
  const auto lPosted = r.Posted.find(r.Current);
  // Key values go back byte for byte as they came, from the row laid out as its message.
  const std::vector<unsigned char> lKeyRow = r.Store.Message(r.Current);
  for (int lIndex : lKey) {
    const TColumn& c = r.Columns()[static_cast<size_t>(lIndex)];
    lWheres.append(
        (c.Field == QLatin1String("DB_KEY") ? QStringLiteral("RDB$DB_KEY") : QuoteName(c.Field)) +
        QStringLiteral(" = ?"));
    // A key changed by an earlier Post is looked up by its new value.
    if (lPosted != r.Posted.end() && lPosted->second.count(lIndex))
      lValues.push_back({lPosted->second.at(lIndex)});
    else
      lValues.push_back({TVariant(), &c, lKeyRow.data()});
  }
  const QString lSql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                           .arg(QuoteName(lRelation), lSets.join(QStringLiteral(", ")),
                                lWheres.join(QStringLiteral(" AND ")));
  uint64_t lAffected = 0;
  try {
    lAffected = RunInternal(lAttachment, lHandle, lDialect, lSql, lValues,
                            [](const std::vector<TColumn>&, const unsigned char*) {});
  } catch (const EIBCError& e) {
    CheckLost(e);
    throw;
  }
  if (lAffected == 0)
    throw EDatabaseError(
        QStringLiteral("The row to write back was not found in %1").arg(lRelation));
}

void TIBCQuery::ReleaseHandles(bool aGone) {
  Deactivate();
  TIBCCommand::ReleaseHandles(aGone);
}

void TIBCQuery::TransactionEnding() {
  if (FRows)
    FRows->AllFetched = true;
  TIBCCommand::TransactionEnding();
}

void TIBCQuery::SQLChanged() {
  Deactivate();
  TIBCCommand::SQLChanged();
}
