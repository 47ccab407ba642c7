#include "Qel.Shared.StrFunc.h"

#include "Qel.Rtl.SysUtils.h"

#include "Qel.Cipher.h"
#include "Qel.Ibdac.Connection.h"
#include "Qel.Ibdac.Query.h"
#include "Qel.Rtl.Format.h"
#include "Qel.Rtl.FormatSettings.h"
#include "Qel.Shared.Setting.h"

#include <QRegularExpression>
#include <functional>
#include <optional>
#include <vector>

#include <cstring>

int TQelStringFunctions::Explode(QStringList& a, const QString& aBorder, const QString& S) {
  if (S.isEmpty())
    return 0;
  if (aBorder.isEmpty()) {
    a << S;
    return 1;
  }
  const QStringList lParts = S.split(aBorder, Qt::KeepEmptyParts, Qt::CaseSensitive);
  a << lParts;
  return static_cast<int>(lParts.size());
}

QString TQelStringFunctions::Normalize(const QString& aStr) {
  QString lResult = Trim(aStr).toLower();
  lResult.remove(u' ');
  lResult.replace(QStringLiteral("ä"), QStringLiteral("ae"), Qt::CaseInsensitive);
  lResult.replace(QStringLiteral("ö"), QStringLiteral("oe"), Qt::CaseInsensitive);
  lResult.replace(QStringLiteral("ü"), QStringLiteral("ue"), Qt::CaseInsensitive);
  lResult.replace(QStringLiteral("ß"), QStringLiteral("ss"), Qt::CaseInsensitive);
  lResult.remove(u'-');
  lResult.remove(u'_');
  return lResult;
}

QString TQelStringFunctions::AddMemoToMemo(const QString& aOrg, const QString& aNew) {
  const QString lOrg = Trim(aOrg);
  const QString lNew = Trim(aNew).replace(QStringLiteral("  "), QStringLiteral(" "));
  QString lResult = lOrg;
  if (!lNew.isEmpty() && !lOrg.toLower().contains(lNew.toLower())) {
    if (!lResult.isEmpty())
      lResult += QStringLiteral("\r\n<") + FormatDateTime(QStringLiteral("dd.mm.yy"), Date()) +
                 QStringLiteral(">\r\n");
    lResult += lNew;
  }
  return lResult;
}

QString ShiftByKey(const QString& aValue, const char* aKey, int aDirection) {
  const auto lKeyLength = static_cast<qsizetype>(std::strlen(aKey));
  QString lResult = aValue;
  for (qsizetype p = 0; p < lResult.size(); ++p) {
    const int lShift = (aKey[p % lKeyLength] - 64) * aDirection;
    lResult[p] = QChar(static_cast<char16_t>(lResult[p].unicode() + lShift));
  }
  return lResult;
}

QString TQelStringFunctions::Cipher(const QString& AValue) {
  return ShiftByKey(AValue, cQelCipherKey, 1);
}

QString TQelStringFunctions::Decipher(const QString& AValue) {
  return ShiftByKey(AValue, cQelCipherKey, -1);
}

namespace {

constexpr int cSeedSize = 16;
constexpr uint32_t AKDFIndex = 1;

// The fixed password of the encrypted texts, used as its UTF-16 bytes.
QByteArray QelPassword() {
  const QString lPassword = QStringLiteral("L#m0q");
  return QByteArray(reinterpret_cast<const char*>(lPassword.utf16()), lPassword.size() * 2);
}

QByteArray Utf16Bytes(const QString& aText) {
  return QByteArray(reinterpret_cast<const char*>(aText.utf16()), aText.size() * 2);
}

} // namespace

QString TQelStringFunctions::EncryptQel(const QString& AText) {
  const QByteArray lSeed = TCipherUtils::RandomBytes(cSeedSize);
  if (lSeed.size() != cSeedSize)
    return QString();
  TRijndaelCBCx lCipher(
      TCipherUtils::KDFx(QelPassword(), lSeed, TRijndaelCBCx::cKeySize, AKDFIndex));
  QByteArray lData;
  if (!lCipher.Encode(Utf16Bytes(AText), lData))
    return QString();
  const QByteArray lMac = lCipher.CalcMAC();
  if (lMac.isEmpty())
    return QString();
  return QString::fromLatin1(TCipherUtils::ToBase64(lSeed + lData + lMac));
}

QString TQelStringFunctions::DecryptQel(const QString& AText) {
  if (AText.isEmpty())
    return QString();
  QByteArray lBytes;
  if (!TCipherUtils::FromBase64(AText.toLatin1(), lBytes))
    return QString();
  const qsizetype lLength = lBytes.size() - cSeedSize - TRijndaelCBCx::cBlockSize;
  if (lLength < 0)
    return QString();
  TRijndaelCBCx lCipher(TCipherUtils::KDFx(QelPassword(), lBytes.left(cSeedSize),
                                           TRijndaelCBCx::cKeySize, AKDFIndex));
  QByteArray lPlain;
  if (!lCipher.Decode(lBytes.mid(cSeedSize, lLength), lPlain) ||
      lCipher.CalcMAC() != lBytes.right(TRijndaelCBCx::cBlockSize))
    return QString();
  return QString(reinterpret_cast<const QChar*>(lPlain.constData()), lPlain.size() / 2);
}

QString TQelStringFunctions::StringToHex(const QByteArray& S) {
  return QString::fromLatin1(S.toHex().toUpper());
}

// --- template replacement ------------------------------------------------------------------

namespace {

using TReplacement = std::pair<QString, std::function<QString()>>;

// Replaces every placeholder of aReplacements (without regard to case) in one pass from left
// to right; the first placeholder in list order wins at a position. Values are computed once,
// on first use, and inserted text is not searched again.
QString ReplaceAll(const QString& aText, std::vector<TReplacement>& aReplacements) {
  std::vector<std::optional<QString>> lValues(aReplacements.size());
  QString lResult;
  lResult.reserve(aText.size());
  qsizetype i = 0;
  while (i < aText.size()) {
    bool lReplaced = false;
    for (size_t r = 0; r < aReplacements.size() && !lReplaced; ++r) {
      const QString& lKey = aReplacements[r].first;
      if (lKey.isEmpty() ||
          QStringView(aText).mid(i, lKey.size()).compare(lKey, Qt::CaseInsensitive) != 0)
        continue;
      if (!lValues[r])
        lValues[r] = aReplacements[r].second();
      lResult += *lValues[r];
      i += lKey.size();
      lReplaced = true;
    }
    if (!lReplaced)
      lResult += aText[i++];
  }
  return lResult;
}

void AddBuiltIns(std::vector<TReplacement>& aList, const TIBCConnection* aConnection,
                 const QString& aText, const QString& aPrefix, const QString& aPostfix) {
  const QString lUpper = aText.toUpper();
  const auto lAdd = [&](const char* aName, std::function<QString()> aValue) {
    const QString lKey = aPrefix + QLatin1String(aName) + aPostfix;
    if (lUpper.contains(lKey))
      aList.emplace_back(lKey, std::move(aValue));
  };
  lAdd("__TODAY", [] { return FormatDateTime(QStringLiteral("dddddd"), Date()); });
  lAdd("__TIME", [] { return FormatDateTime(QStringLiteral("tt"), Now()); });
  lAdd("__SSL_NAME", [aConnection] {
    return TQelSetting::GetSettingFromRuzadadiv(const_cast<TIBCConnection*>(aConnection),
                                                QStringLiteral("ANSCHRIFT"),
                                                QStringLiteral("ssName"), QString())
        .AsString();
  });
  lAdd("__CURRENCY", [] { return FormatSettings().CurrencyString; });
  lAdd("__CONNECT_DB", [aConnection] { return aConnection ? aConnection->Database() : QString(); });
  lAdd("__CONNECT_USER",
       [aConnection] { return aConnection ? aConnection->Username() : QString(); });
  lAdd("__CONNECT_PWD",
       [aConnection] { return aConnection ? aConnection->Password() : QString(); });
}

QString DropRemarks(const QString& aTemplate) {
  QStringList lLines = aTemplate.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
  lLines.removeIf([](const QString& aLine) {
    return aLine.left(3).compare(QStringLiteral("REM"), Qt::CaseInsensitive) == 0;
  });
  return lLines.join(QStringLiteral("\r\n"));
}

} // namespace

QString TQelStringFunctions::PerformTemplateReplace(const QString& Template,
                                                    const TIBCQuery* DataSetRecord,
                                                    const QString& varPrefix,
                                                    const QString& varPostfix) {
  const QString lText = DropRemarks(Template);
  std::vector<TReplacement> lList;
  if (DataSetRecord)
    for (int i = 0; i < DataSetRecord->FieldCount(); ++i) {
      const TIBCField* lField = DataSetRecord->Fields(i);
      lList.emplace_back(varPrefix + lField->FieldName() + varPostfix,
                         [lField] { return lField->AsString(); });
    }
  AddBuiltIns(lList, DataSetRecord ? DataSetRecord->Connection() : nullptr, lText, varPrefix,
              varPostfix);
  return ReplaceAll(lText, lList);
}

QString TQelStringFunctions::PerformTemplateReplace(const TIBCConnection* AConnection,
                                                    const QString& Template,
                                                    const QString& varPrefix,
                                                    const QString& varPostfix) {
  std::vector<TReplacement> lList;
  AddBuiltIns(lList, AConnection, Template, varPrefix, varPostfix);
  return ReplaceAll(Template, lList);
}
