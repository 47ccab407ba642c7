#include "Qel.Shared.StrFunc.h"

#include "Qel.Rtl.Format.h"

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
  QString lResult = aStr.trimmed().toLower();
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
  const QString lOrg = aOrg.trimmed();
  const QString lNew = aNew.trimmed().replace(QStringLiteral("  "), QStringLiteral(" "));
  QString lResult = lOrg;
  if (!lNew.isEmpty() && !lOrg.toLower().contains(lNew.toLower())) {
    if (!lResult.isEmpty())
      lResult += QStringLiteral("\r\n<") + FormatDateTime(QStringLiteral("dd.mm.yy"), Date()) +
                 QStringLiteral(">\r\n");
    lResult += lNew;
  }
  return lResult;
}
