#include "Qel.Shared.Date.h"

#include "Qel.Rtl.Format.h"
#include "Qel.Shared.Logging.h"

void TTimeRange::Init(bool aHasData, TTime aFrom, TTime aTo) {
  FHasData = aHasData;
  FFrom = aFrom;
  FTo = aTo;
}

void TTimeRange::Init(const QString& aFrom, const QString& aTo) {
  TDateTime lFrom, lTo;
  if (TryStrToTime(aFrom, lFrom) && TryStrToTime(aTo, lTo))
    Init(true, lFrom, lTo);
  else
    Init(false, TTime(), TTime());
}

bool TTimeRange::GetActive() const {
  const TDateTime lNow = Now();
  const TDateTime lToday = DateOf(lNow);
  const TDateTime lFromTime = TimeOf(FFrom);
  const TDateTime lToTime = TimeOf(FTo);
  TDateTime lFrom = lToday + lFromTime;
  TDateTime lTo = lToday + lToTime;
  bool lResult;
  if (lFrom == lTo) {
    lResult = true;
    if (lFrom > lNow)
      lFrom = IncDay(lFrom, -1);
    else
      lTo = IncDay(lTo, 1);
    TLogging::Add(nullptr, QString(),
                  QStringLiteral("Timer-Range is ident --> Time-Range is active!"), ltInformation);
  } else if (lFromTime < lToTime) {
    lResult = lNow >= lFrom && lNow <= lTo;
  } else {
    lTo = IncDay(lToday, 1) + lToTime;
    lResult = lNow >= lFrom && lNow <= lTo;
    if (!lResult) {
      lFrom = IncDay(lToday, -1) + lFromTime;
      lTo = lToday + lToTime;
      lResult = lNow >= lFrom && lNow <= lTo;
    }
  }
  TLogging::SuccessError(lResult,
                         u'"' + TimeToStr(FFrom) + u'-' + TimeToStr(FTo) +
                             QStringLiteral("\" is in Time-Range: \"") + DateTimeToStr(lFrom) +
                             u'-' + DateTimeToStr(lTo) + u'"',
                         nullptr, QString());
  return lResult;
}

QString TTimeRange::GetCaption() const {
  if (FFrom == FTo)
    return TimeToStr(FFrom);
  const TTime lFirst = TimeOf(FFrom) < TimeOf(FTo) ? FFrom : FTo;
  const TTime lLast = lFirst == FFrom ? FTo : FFrom;
  return TimeToStr(lFirst) + u'-' + TimeToStr(lLast);
}

void TDateRange::Init(bool aHasData, TDate aFrom, TDate aTo) {
  FHasData = aHasData;
  FFrom = aFrom;
  FTo = aTo;
}

void TDateRange::Init(const QString& aFrom, const QString& aTo) {
  TDateTime lFrom, lTo;
  if (TryStrToDate(aFrom, lFrom) && TryStrToDate(aTo, lTo))
    Init(true, lFrom, lTo);
  else
    Init(false, TDate(), TDate());
}
