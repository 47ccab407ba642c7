#pragma once
// Inside of the data-access components: the libfbclient OO API behind them. Only the
// components' .cpp files include this header.

#include "Qel.Ibdac.Error.h"
#include "Qel.Rtl.DateTime.h"
#include "Qel.Rtl.Variant.h"

#include <firebird/Interface.h>

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

namespace Ibdac {

Firebird::IMaster* Master();
Firebird::IUtil* Util();

// The error of a failed call, with Firebird's formatted message text.
EIBCError ErrorFromStatus(const Firebird::IStatus* aStatus);

// Runs aCall(&lStatusWrapper) and turns a Firebird error into EIBCError.
template <typename F> auto Call(F&& aCall) {
  Firebird::IStatus* lStatus = Master()->getStatus();
  Firebird::ThrowStatusWrapper lWrapper(lStatus);
  struct TDispose {
    Firebird::IStatus* Status;
    ~TDispose() { Status->dispose(); }
  } lDispose{lStatus};
  try {
    return aCall(&lWrapper);
  } catch (const Firebird::FbException& e) {
    throw ErrorFromStatus(e.getStatus());
  }
}

// A reference to a Firebird interface, released when it goes. Calls that end an object on
// success (detach, commit, close, free) take it out first with Take.
template <typename T> class TRef {
public:
  TRef() = default;
  explicit TRef(T* aPtr) : FPtr(aPtr) {}
  ~TRef() { Reset(); }
  TRef(TRef&& aOther) noexcept : FPtr(std::exchange(aOther.FPtr, nullptr)) {}
  TRef& operator=(TRef&& aOther) noexcept {
    if (this != &aOther) {
      Reset();
      FPtr = std::exchange(aOther.FPtr, nullptr);
    }
    return *this;
  }
  TRef(const TRef&) = delete;
  TRef& operator=(const TRef&) = delete;

  T* get() const { return FPtr; }
  T* operator->() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }
  void Reset(T* aPtr = nullptr) {
    if (FPtr)
      Free(FPtr);
    FPtr = aPtr;
  }
  // Ends the object through aEnd (detach, commit, ...); the reference is dropped before, so
  // that a failed end still leaves nothing behind but the object's release.
  template <typename F> void End(F&& aEnd) {
    T* lPtr = std::exchange(FPtr, nullptr);
    if (!lPtr)
      return;
    try {
      Call([&](Firebird::ThrowStatusWrapper* s) { aEnd(lPtr, s); });
    } catch (...) {
      Free(lPtr);
      throw;
    }
  }

private:
  // Reference-counted interfaces are released, disposable ones (builders) disposed.
  static void Free(T* aPtr) {
    if constexpr (requires { aPtr->release(); })
      aPtr->release();
    else
      aPtr->dispose();
  }

  T* FPtr = nullptr;
};

// Firebird's date (days since 17 November 1858) and time (1/10000 s) and the runtime's
// date-time (milliseconds since 30 December 1899).
inline constexpr int cIscDateOffset = 15018;
TDateTime FromIscDate(ISC_DATE aDate);
TDateTime FromIscTime(ISC_TIME aTime);
TDateTime FromIscTimestamp(const ISC_TIMESTAMP& aStamp);
ISC_DATE ToIscDate(TDateTime aValue);
ISC_TIME ToIscTime(TDateTime aValue);

// One column of a message (an output row or the input parameters).
struct TColumn {
  QString Name;     // alias as the select list names it
  QString Field;    // the table column it comes from, empty for expressions
  QString Relation; // the table it comes from
  unsigned Type = 0;
  int SubType = 0;
  unsigned Length = 0;
  int Scale = 0;
  unsigned CharSet = 0;
  unsigned Offset = 0;
  unsigned NullOffset = 0;
};

std::vector<TColumn> DescribeColumns(Firebird::IMessageMetadata* aMeta);

// A value of a column in a message buffer; aBlob holds the blob's content already read.
TVariant DecodeValue(const TColumn& aColumn, const unsigned char* aRow, const QByteArray* aBlob);
// A value that is not NULL: aAt points to the value, for text columns to its bytes, of
// which there are aTextLength.
TVariant DecodeData(const TColumn& aColumn, const unsigned char* aAt, unsigned aTextLength,
                    const QByteArray* aBlob);

// Reads a whole blob.
QByteArray ReadBlob(Firebird::IAttachment* aAttachment, Firebird::ITransaction* aTransaction,
                    const ISC_QUAD& aBlobId);

// One value to bind to a '?' marker: a variant, or the raw bytes of a column of a fetched row
// (used for key values, which must go back exactly as they came).
struct TBindValue {
  TVariant Value;
  const TColumn* RawColumn = nullptr;
  const unsigned char* RawRow = nullptr;
};

// An input message built for the values at hand: each value is sent in its own type and
// Firebird converts it to the parameter's type. Strings for blob parameters become blobs.
class TInputMessage {
public:
  void Build(Firebird::IAttachment* aAttachment, Firebird::ITransaction* aTransaction,
             Firebird::IMessageMetadata* aStatementInput, const std::vector<TBindValue>& aValues);
  Firebird::IMessageMetadata* Metadata() const { return FMeta.get(); }
  unsigned char* Buffer() { return FBuffer.empty() ? nullptr : FBuffer.data(); }

private:
  TRef<Firebird::IMessageMetadata> FMeta;
  std::vector<unsigned char> FBuffer;
};

// The text of a string for Firebird and back.
QByteArray ToUtf8(const QString& aText);

} // namespace Ibdac
