#include "Qel.Ibdac.Client.h"

#include <QStringDecoder>

#include <ibase.h>
#include <iberror.h>

#include <array>
#include <cmath>
#include <cstring>

using namespace Firebird;

bool EIBCError::IsConnectionLost() const {
  switch (FErrorCode) {
  case isc_network_error:
  case isc_net_read_err:
  case isc_net_write_err:
  case isc_conn_lost:
  case isc_lost_db_connection:
  case isc_shutdown:
  case isc_att_shutdown:
  case isc_bad_db_handle:
    return true;
  default:
    return false;
  }
}

namespace Ibdac {

namespace {

template <typename T> T Read(const unsigned char* aAt) {
  T lValue;
  std::memcpy(&lValue, aAt, sizeof(T));
  return lValue;
}

template <typename T> void Write(unsigned char* aAt, const T& aValue) {
  std::memcpy(aAt, &aValue, sizeof(T));
}

constexpr unsigned cCharSetUtf8 = 4;
constexpr unsigned cMaxVarChar = 32765;

TVariant ScaledValue(int64_t aValue, int aScale, bool aWide) {
  if (aScale == 0)
    return aWide ? TVariant(aValue) : TVariant(static_cast<int32_t>(aValue));
  // Dividing by the power of ten gives the double nearest to the decimal value.
  return TVariant(static_cast<double>(aValue) / std::pow(10.0, -aScale));
}

// Text of a column in character set NONE: the bytes as the writing program left them. Ours
// are UTF-8; bytes that are no UTF-8 come from a Windows program of the family, in its code
// page, so that umlauts stay umlauts.
QString UntaggedText(const char* aData, unsigned aLength) {
  QStringDecoder lUtf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString lText = lUtf8(QByteArrayView(aData, aLength));
  if (!lUtf8.hasError())
    return lText;
  QStringDecoder lWindows("windows-1252");
  return lWindows.isValid() ? QString(lWindows(QByteArrayView(aData, aLength)))
                            : QString::fromLatin1(aData, aLength);
}

QString TextOf(const char* aData, unsigned aLength, unsigned aCharSet) {
  // OCTETS passes bytes through; NONE carries no character set of its own; everything else
  // arrives in the connection's character set, UTF-8.
  constexpr unsigned cCharSetNone = 0;
  constexpr unsigned cCharSetOctets = 1;
  if (aCharSet == cCharSetOctets)
    return QString::fromLatin1(aData, aLength);
  if (aCharSet == cCharSetNone)
    return UntaggedText(aData, aLength);
  return QString::fromUtf8(aData, aLength);
}

} // namespace

IMaster* Master() {
  static IMaster* const cMaster = fb_get_master_interface();
  return cMaster;
}

IUtil* Util() {
  return Master()->getUtilInterface();
}

EIBCError ErrorFromStatus(const IStatus* aStatus) {
  std::array<char, 2048> lBuffer{};
  auto* lStatus = const_cast<IStatus*>(aStatus); // formatStatus does not change it
  Util()->formatStatus(lBuffer.data(), static_cast<unsigned>(lBuffer.size() - 1), lStatus);
  const intptr_t* lErrors = lStatus->getErrors();
  const intptr_t lCode = (lErrors && lErrors[0] == isc_arg_gds) ? lErrors[1] : 0;
  return EIBCError(QString::fromUtf8(lBuffer.data()).trimmed(), lCode);
}

TDateTime FromIscDate(ISC_DATE aDate) {
  return TDateTime::FromMSecs((static_cast<int64_t>(aDate) - cIscDateOffset) *
                              TDateTime::cMSecsPerDay);
}

TDateTime FromIscTime(ISC_TIME aTime) {
  return TDateTime::FromMSecs(static_cast<int64_t>(aTime) / 10);
}

TDateTime FromIscTimestamp(const ISC_TIMESTAMP& aStamp) {
  return FromIscDate(aStamp.timestamp_date) + FromIscTime(aStamp.timestamp_time);
}

ISC_DATE ToIscDate(TDateTime aValue) {
  return static_cast<ISC_DATE>(aValue.Day() + cIscDateOffset);
}

ISC_TIME ToIscTime(TDateTime aValue) {
  return static_cast<ISC_TIME>(aValue.MSecOfDay() * 10);
}

QByteArray ToUtf8(const QString& aText) {
  return aText.toUtf8();
}

std::vector<TColumn> DescribeColumns(IMessageMetadata* aMeta) {
  std::vector<TColumn> lColumns;
  if (!aMeta)
    return lColumns;
  Call([&](ThrowStatusWrapper* s) {
    const unsigned lCount = aMeta->getCount(s);
    lColumns.reserve(lCount);
    for (unsigned i = 0; i < lCount; ++i) {
      TColumn c;
      c.Name = QString::fromUtf8(aMeta->getAlias(s, i));
      c.Field = QString::fromUtf8(aMeta->getField(s, i));
      c.Relation = QString::fromUtf8(aMeta->getRelation(s, i));
      c.Type = aMeta->getType(s, i) & ~1u;
      c.SubType = aMeta->getSubType(s, i);
      c.Length = aMeta->getLength(s, i);
      c.Scale = aMeta->getScale(s, i);
      c.CharSet = aMeta->getCharSet(s, i);
      c.Offset = aMeta->getOffset(s, i);
      c.NullOffset = aMeta->getNullOffset(s, i);
      lColumns.push_back(std::move(c));
    }
  });
  return lColumns;
}

TVariant DecodeValue(const TColumn& c, const unsigned char* aRow, const QByteArray* aBlob) {
  if (Read<int16_t>(aRow + c.NullOffset) != 0)
    return TVariant::Null();
  const unsigned char* lAt = aRow + c.Offset;
  if (c.Type == SQL_VARYING)
    return DecodeData(c, lAt + 2, Read<uint16_t>(lAt), aBlob);
  return DecodeData(c, lAt, c.Length, aBlob);
}

TVariant DecodeData(const TColumn& c, const unsigned char* aAt, unsigned aTextLength,
                    const QByteArray* aBlob) {
  switch (c.Type) {
  case SQL_TEXT:
    // Fixed-length text comes padded with blanks.
    while (aTextLength > 0 && aAt[aTextLength - 1] == ' ')
      --aTextLength;
    return TextOf(reinterpret_cast<const char*>(aAt), aTextLength, c.CharSet);
  case SQL_VARYING:
    return TextOf(reinterpret_cast<const char*>(aAt), aTextLength, c.CharSet);
  case SQL_SHORT:
    return ScaledValue(Read<int16_t>(aAt), c.Scale, false);
  case SQL_LONG:
    return ScaledValue(Read<int32_t>(aAt), c.Scale, false);
  case SQL_INT64:
    return ScaledValue(Read<int64_t>(aAt), c.Scale, true);
  case SQL_FLOAT:
    return static_cast<double>(Read<float>(aAt));
  case SQL_DOUBLE:
  case SQL_D_FLOAT:
    return Read<double>(aAt);
  case SQL_TYPE_DATE:
    return FromIscDate(Read<ISC_DATE>(aAt));
  case SQL_TYPE_TIME:
    return FromIscTime(Read<ISC_TIME>(aAt));
  case SQL_TIMESTAMP:
    return FromIscTimestamp(Read<ISC_TIMESTAMP>(aAt));
  case SQL_BOOLEAN:
    return *aAt != 0;
  case SQL_BLOB:
    if (!aBlob)
      return TVariant::Null();
    return c.SubType == 1 ? QString::fromUtf8(*aBlob) : QString::fromLatin1(*aBlob);
  case SQL_NULL:
    return TVariant::Null();
  default:
    throw EDatabaseError(QStringLiteral("Column '%1' has a data type that is not supported (%2)")
                             .arg(c.Name)
                             .arg(c.Type));
  }
}

QByteArray ReadBlob(IAttachment* aAttachment, ITransaction* aTransaction, const ISC_QUAD& aBlobId) {
  QByteArray lResult;
  ISC_QUAD lId = aBlobId;
  TRef<IBlob> lBlob(Call([&](ThrowStatusWrapper* s) {
    return aAttachment->openBlob(s, aTransaction, &lId, 0, nullptr);
  }));
  std::array<char, 32768> lSegment{};
  for (;;) {
    unsigned lRead = 0;
    const int lResultCode = Call([&](ThrowStatusWrapper* s) {
      return lBlob->getSegment(s, static_cast<unsigned>(lSegment.size()), lSegment.data(), &lRead);
    });
    if (lResultCode != IStatus::RESULT_OK && lResultCode != IStatus::RESULT_SEGMENT)
      break;
    lResult.append(lSegment.data(), lRead);
  }
  lBlob.End([](IBlob* b, ThrowStatusWrapper* s) { b->close(s); });
  return lResult;
}

namespace {

ISC_QUAD WriteBlob(IAttachment* aAttachment, ITransaction* aTransaction, const QByteArray& aData) {
  ISC_QUAD lId{};
  TRef<IBlob> lBlob(Call([&](ThrowStatusWrapper* s) {
    return aAttachment->createBlob(s, aTransaction, &lId, 0, nullptr);
  }));
  constexpr qsizetype cSegment = 32768;
  for (qsizetype lPos = 0; lPos < aData.size(); lPos += cSegment) {
    const auto lLength = static_cast<unsigned>(std::min(cSegment, aData.size() - lPos));
    Call([&](ThrowStatusWrapper* s) { lBlob->putSegment(s, lLength, aData.constData() + lPos); });
  }
  lBlob.End([](IBlob* b, ThrowStatusWrapper* s) { b->close(s); });
  return lId;
}

// The message type a value travels in, given the parameter's own type.
struct TWireType {
  unsigned Type;
  unsigned Length;
  int SubType = 0;
  unsigned CharSet = 0;
};

TWireType WireTypeOf(const TVariant& aValue, const QByteArray& aText, unsigned aParamType,
                     int aParamSubType) {
  const auto& v = aValue.Value();
  if (std::holds_alternative<bool>(v))
    return {SQL_BOOLEAN, 1};
  if (std::holds_alternative<int32_t>(v))
    return {SQL_LONG, 4};
  if (std::holds_alternative<int64_t>(v))
    return {SQL_INT64, 8};
  if (std::holds_alternative<double>(v))
    return {SQL_DOUBLE, 8};
  if (std::holds_alternative<TDateTime>(v)) {
    if (aParamType == SQL_TYPE_DATE)
      return {SQL_TYPE_DATE, 4};
    if (aParamType == SQL_TYPE_TIME)
      return {SQL_TYPE_TIME, 4};
    return {SQL_TIMESTAMP, 8};
  }
  // Text: into a blob parameter as a blob of its own, otherwise as UTF-8 text.
  if (aParamType == SQL_BLOB)
    return {SQL_BLOB, 8, aParamSubType, aParamSubType == 1 ? cCharSetUtf8 : 0};
  if (aText.size() > static_cast<qsizetype>(cMaxVarChar))
    throw EDatabaseError(
        QStringLiteral("A text parameter is longer than %1 bytes").arg(cMaxVarChar));
  return {SQL_VARYING, static_cast<unsigned>(std::max<qsizetype>(aText.size(), 1)), 0,
          cCharSetUtf8};
}

} // namespace

void TInputMessage::Build(IAttachment* aAttachment, ITransaction* aTransaction,
                          IMessageMetadata* aStatementInput,
                          const std::vector<TBindValue>& aValues) {
  FMeta.Reset();
  FBuffer.clear();
  const std::vector<TColumn> lParams = DescribeColumns(aStatementInput);
  if (lParams.size() != aValues.size())
    throw EDatabaseError(QStringLiteral("The statement expects %1 parameter values, %2 were given")
                             .arg(lParams.size())
                             .arg(aValues.size()));
  if (lParams.empty())
    return;
  std::vector<QByteArray> lTexts(aValues.size());
  Call([&](ThrowStatusWrapper* s) {
    TRef<IMetadataBuilder> lBuilder(aStatementInput->getBuilder(s));
    for (unsigned i = 0; i < lParams.size(); ++i) {
      const TBindValue& b = aValues[i];
      TWireType w{lParams[i].Type, lParams[i].Length, lParams[i].SubType, lParams[i].CharSet};
      if (b.RawColumn)
        w = {b.RawColumn->Type, b.RawColumn->Length, b.RawColumn->SubType, b.RawColumn->CharSet};
      else if (!b.Value.IsNullOrEmpty()) {
        if (std::holds_alternative<QString>(b.Value.Value()))
          lTexts[i] = ToUtf8(std::get<QString>(b.Value.Value()));
        w = WireTypeOf(b.Value, lTexts[i], lParams[i].Type, lParams[i].SubType);
      }
      lBuilder->setType(s, i, w.Type | 1u);
      lBuilder->setLength(s, i, w.Length);
      lBuilder->setSubType(s, i, w.SubType);
      lBuilder->setCharSet(s, i, w.CharSet);
      lBuilder->setScale(s, i, b.RawColumn ? b.RawColumn->Scale : 0);
    }
    FMeta.Reset(lBuilder->getMetadata(s));
  });
  const std::vector<TColumn> lWire = DescribeColumns(FMeta.get());
  const unsigned lLength = Call([&](ThrowStatusWrapper* s) { return FMeta->getMessageLength(s); });
  FBuffer.assign(lLength, 0);
  for (size_t i = 0; i < lWire.size(); ++i) {
    const TColumn& c = lWire[i];
    const TBindValue& b = aValues[i];
    unsigned char* lAt = FBuffer.data() + c.Offset;
    if (b.RawColumn) {
      std::memcpy(FBuffer.data() + c.NullOffset, b.RawRow + b.RawColumn->NullOffset, 2);
      const unsigned lSize = c.Type == SQL_VARYING ? c.Length + 2 : c.Length;
      std::memcpy(lAt, b.RawRow + b.RawColumn->Offset, lSize);
      continue;
    }
    const bool lNull = b.Value.IsNullOrEmpty();
    Write<int16_t>(FBuffer.data() + c.NullOffset, lNull ? -1 : 0);
    if (lNull)
      continue;
    const auto& v = b.Value.Value();
    switch (c.Type) {
    case SQL_BOOLEAN:
      *lAt = std::get<bool>(v) ? 1 : 0;
      break;
    case SQL_LONG:
      Write<int32_t>(lAt, std::get<int32_t>(v));
      break;
    case SQL_INT64:
      Write<int64_t>(lAt, std::get<int64_t>(v));
      break;
    case SQL_DOUBLE:
      Write<double>(lAt, std::get<double>(v));
      break;
    case SQL_TYPE_DATE:
      Write<ISC_DATE>(lAt, ToIscDate(std::get<TDateTime>(v)));
      break;
    case SQL_TYPE_TIME:
      Write<ISC_TIME>(lAt, ToIscTime(std::get<TDateTime>(v)));
      break;
    case SQL_TIMESTAMP:
      Write<ISC_TIMESTAMP>(
          lAt, ISC_TIMESTAMP{ToIscDate(std::get<TDateTime>(v)), ToIscTime(std::get<TDateTime>(v))});
      break;
    case SQL_BLOB:
      Write<ISC_QUAD>(lAt, WriteBlob(aAttachment, aTransaction, lTexts[i]));
      break;
    case SQL_VARYING:
      Write<uint16_t>(lAt, static_cast<uint16_t>(lTexts[i].size()));
      std::memcpy(lAt + 2, lTexts[i].constData(), static_cast<size_t>(lTexts[i].size()));
      break;
    default:
      break;
    }
  }
}

} // namespace Ibdac
