#include "Qel.Ibdac.Params.h"

#include "Qel.Ibdac.Error.h"
#include "Qel.Rtl.Exceptions.h"

namespace {

bool IsNameStart(QChar c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

bool IsNamePart(QChar c) {
  return IsNameStart(c) || (c >= u'0' && c <= u'9') || c == u'$';
}

// The end (exclusive) of a quoted part that starts at aStart with aQuote; a doubled quote
// inside stands for one. An unclosed quote runs to the end of the text.
qsizetype QuotedEnd(const QString& aSql, qsizetype aStart, QChar aQuote) {
  qsizetype i = aStart + 1;
  while (i < aSql.size()) {
    if (aSql[i] == aQuote) {
      if (i + 1 < aSql.size() && aSql[i + 1] == aQuote) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return aSql.size();
}

// The end (exclusive) of a comment starting at aStart, or aStart when none starts there.
qsizetype CommentEnd(const QString& aSql, qsizetype aStart) {
  const QStringView lRest = QStringView(aSql).mid(aStart);
  if (lRest.startsWith(u"--")) {
    const qsizetype lEnd = aSql.indexOf(u'\n', aStart);
    return lEnd < 0 ? aSql.size() : lEnd + 1;
  }
  if (lRest.startsWith(u"/*")) {
    const qsizetype lEnd = aSql.indexOf(QStringLiteral("*/"), aStart + 2);
    return lEnd < 0 ? aSql.size() : lEnd + 2;
  }
  return aStart;
}

} // namespace

TParsedSql ParseSqlParams(const QString& aSql, bool aParamCheck) {
  TParsedSql lResult;
  lResult.Sql.reserve(aSql.size());
  qsizetype i = 0;
  while (i < aSql.size()) {
    const QChar c = aSql[i];
    qsizetype lEnd = i;
    if (c == u'\'' || c == u'"')
      lEnd = QuotedEnd(aSql, i, c);
    else
      lEnd = CommentEnd(aSql, i);
    if (lEnd > i) {
      lResult.Sql += QStringView(aSql).mid(i, lEnd - i);
      i = lEnd;
      continue;
    }
    if (c == u'?') {
      lResult.Markers.append(QString());
    } else if (aParamCheck && c == u':' && i + 1 < aSql.size() && IsNameStart(aSql[i + 1])) {
      qsizetype lNameEnd = i + 1;
      while (lNameEnd < aSql.size() && IsNamePart(aSql[lNameEnd]))
        ++lNameEnd;
      lResult.Markers.append(aSql.mid(i + 1, lNameEnd - i - 1));
      lResult.Sql += u'?';
      i = lNameEnd;
      continue;
    }
    lResult.Sql += c;
    ++i;
  }
  return lResult;
}

TDateTime TIBCParam::AsDateTime() const {
  if (const auto* lValue = std::get_if<TDateTime>(&FValue.Value()))
    return *lValue;
  if (IsNull())
    return TDateTime();
  throw EConvertError(QStringLiteral("Parameter '%1' holds no date-time value").arg(FName));
}

TIBCParam* TIBCParams::Items(int aIndex) const {
  if (aIndex < 0 || aIndex >= Count())
    throw ERangeError(QStringLiteral("Parameter index out of bounds (%1)").arg(aIndex));
  return FItems[static_cast<size_t>(aIndex)].get();
}

TIBCParam* TIBCParams::FindParam(const QString& aName) const {
  if (aName.isEmpty())
    return nullptr;
  for (const auto& lParam : FItems)
    if (lParam->Name().compare(aName, Qt::CaseInsensitive) == 0)
      return lParam.get();
  return nullptr;
}

TIBCParam* TIBCParams::ParamByName(const QString& aName) const {
  TIBCParam* lParam = FindParam(aName);
  if (!lParam)
    throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(aName));
  return lParam;
}

void TIBCParams::Rebuild(const QStringList& aMarkers) {
  std::vector<std::unique_ptr<TIBCParam>> lItems;
  for (const QString& lName : aMarkers) {
    if (!lName.isEmpty()) {
      const bool lKnown = std::any_of(lItems.begin(), lItems.end(), [&](const auto& p) {
        return p->Name().compare(lName, Qt::CaseInsensitive) == 0;
      });
      if (lKnown)
        continue;
    }
    auto lParam = std::make_unique<TIBCParam>(lName);
    if (const TIBCParam* lOld = FindParam(lName))
      lParam->SetValue(lOld->Value());
    lItems.push_back(std::move(lParam));
  }
  FItems = std::move(lItems);
}

std::vector<const TIBCParam*> TIBCParams::ForMarkers(const QStringList& aMarkers) const {
  std::vector<const TIBCParam*> lResult;
  lResult.reserve(static_cast<size_t>(aMarkers.size()));
  size_t lUnnamed = 0;
  for (const QString& lName : aMarkers) {
    if (!lName.isEmpty()) {
      lResult.push_back(ParamByName(lName));
      continue;
    }
    // Unnamed parameters in order of their markers.
    size_t lSeen = 0;
    const TIBCParam* lFound = nullptr;
    for (const auto& lParam : FItems)
      if (lParam->Name().isEmpty() && lSeen++ == lUnnamed) {
        lFound = lParam.get();
        break;
      }
    if (!lFound)
      throw EDatabaseError(QStringLiteral("Unnamed parameter %1 not found").arg(lUnnamed + 1));
    lResult.push_back(lFound);
    ++lUnnamed;
  }
  return lResult;
}
