// The Firebird embedded engine works without a server: create a database in a temporary
// folder, run a query in a transaction, read its result, and drop the database again.
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <firebird/Interface.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace Firebird;

// Gives back a Firebird interface that was not already given back by close/commit/detach.
template <class T> struct TFbRef {
  T* FObject = nullptr;
  TFbRef() = default;
  TFbRef(const TFbRef&) = delete;
  TFbRef& operator=(const TFbRef&) = delete;
  ~TFbRef() {
    if (!FObject)
      return;
    // Reference counted interfaces are released, plain ones (the builder) disposed.
    if constexpr (requires { FObject->release(); })
      FObject->release();
    else
      FObject->dispose();
  }
  T* operator->() const { return FObject; }
  T* get() const { return FObject; }
  // Call after a successful close/commit/detach/drop: the interface is gone then.
  void forget() { FObject = nullptr; }
};

std::string StatusText(IUtil* aUtil, IStatus* aStatus) {
  char lText[1024] = {};
  aUtil->formatStatus(lText, sizeof(lText), aStatus);
  return lText;
}

// Reads column aIndex of a fetched row as a signed integer of any exact integer type.
bool ReadInteger(ThrowStatusWrapper* aStatus, IMessageMetadata* aMeta, const unsigned char* aRow,
                 unsigned aIndex, std::int64_t& aValue, std::string& aWhy) {
  if (aMeta->getScale(aStatus, aIndex) != 0) {
    aWhy = "scaled number";
    return false;
  }
  if (aMeta->isNullable(aStatus, aIndex)) {
    std::int16_t lNull = 0;
    std::memcpy(&lNull, aRow + aMeta->getNullOffset(aStatus, aIndex), sizeof(lNull));
    if (lNull) {
      aWhy = "NULL";
      return false;
    }
  }
  const unsigned char* lData = aRow + aMeta->getOffset(aStatus, aIndex);
  switch (aMeta->getType(aStatus, aIndex) & ~1u) {
  case SQL_SHORT: {
    std::int16_t lValue;
    std::memcpy(&lValue, lData, sizeof(lValue));
    aValue = lValue;
    return true;
  }
  case SQL_LONG: {
    std::int32_t lValue;
    std::memcpy(&lValue, lData, sizeof(lValue));
    aValue = lValue;
    return true;
  }
  case SQL_INT64: {
    std::memcpy(&aValue, lData, sizeof(aValue));
    return true;
  }
  default:
    aWhy = "unexpected SQL type " + std::to_string(aMeta->getType(aStatus, aIndex));
    return false;
  }
}

} // namespace

TEST(SmokeFirebird, EmbeddedCreateQueryDrop) {
  QTemporaryDir lDir;
  ASSERT_TRUE(lDir.isValid());
  // A plain file name without host means the embedded engine in this process.
  const std::string lDatabase =
      QDir::toNativeSeparators(lDir.filePath(QStringLiteral("smoke.fdb"))).toStdString();

  IMaster* lMaster = fb_get_master_interface();
  ASSERT_NE(lMaster, nullptr);
  IUtil* lUtil = lMaster->getUtilInterface();
  ThrowStatusWrapper lStatus(lMaster->getStatus());

  TFbRef<IProvider> lProvider;
  TFbRef<IXpbBuilder> lDpb;
  TFbRef<IAttachment> lAttachment;
  TFbRef<ITransaction> lTransaction;
  TFbRef<IStatement> lStatement;
  TFbRef<IMessageMetadata> lMeta;
  TFbRef<IResultSet> lCursor;
  std::int64_t lResult = 0;
  bool lGotRow = false;
  bool lSecondRow = true;
  std::string lWhy;
  try {
    lProvider.FObject = lMaster->getDispatcher();
    lDpb.FObject = lUtil->getXpbBuilder(&lStatus, IXpbBuilder::DPB, nullptr, 0);
    lDpb->insertString(&lStatus, isc_dpb_user_name, "SYSDBA");
    lDpb->insertInt(&lStatus, isc_dpb_page_size, 8192);
    lDpb->insertString(&lStatus, isc_dpb_set_db_charset, "UTF8");
    lAttachment.FObject = lProvider->createDatabase(
        &lStatus, lDatabase.c_str(), lDpb->getBufferLength(&lStatus), lDpb->getBuffer(&lStatus));

    lTransaction.FObject = lAttachment->startTransaction(&lStatus, 0, nullptr);
    lStatement.FObject =
        lAttachment->prepare(&lStatus, lTransaction.get(), 0, "select 1 + 1 from rdb$database",
                             SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA);
    lMeta.FObject = lStatement->getOutputMetadata(&lStatus);
    EXPECT_EQ(lMeta->getCount(&lStatus), 1u);

    std::vector<unsigned char> lRow(lMeta->getMessageLength(&lStatus));
    lCursor.FObject =
        lStatement->openCursor(&lStatus, lTransaction.get(), nullptr, nullptr, lMeta.get(), 0);
    lGotRow = lCursor->fetchNext(&lStatus, lRow.data()) == IStatus::RESULT_OK;
    if (lGotRow && !ReadInteger(&lStatus, lMeta.get(), lRow.data(), 0, lResult, lWhy))
      lGotRow = false;
    lSecondRow = lCursor->fetchNext(&lStatus, lRow.data()) == IStatus::RESULT_OK;
    lCursor->close(&lStatus);
    lCursor.forget();
    lStatement->free(&lStatus);
    lStatement.forget();

    lTransaction->commit(&lStatus);
    lTransaction.forget();
    lAttachment->dropDatabase(&lStatus);
    lAttachment.forget();
  } catch (const FbException& lError) {
    ADD_FAILURE() << "Firebird error: " << StatusText(lUtil, lError.getStatus());
  }
  lStatus.dispose();

  EXPECT_TRUE(lGotRow) << lWhy;
  EXPECT_EQ(lResult, 2);
  EXPECT_FALSE(lSecondRow) << "rdb$database has exactly one row";
  EXPECT_FALSE(QFile::exists(QString::fromStdString(lDatabase))) << "the database was not dropped";
}
