#include "QelLogCapture.h"

#include <mutex>

TLogCapture::TLogCapture() {
  if (TLogging* lLogger = TLogging::Instance())
    lLogger->SetKeepData(true); // records stay readable after the writer's passes
  Clear();
}

void TLogCapture::Clear() const {
  if (TLogging* lLogger = TLogging::Instance())
    lLogger->ClearBuffer();
}

std::vector<TLoggingData> TLogCapture::Records() const {
  std::vector<TLoggingData> lResult;
  if (TLogging* lLogger = TLogging::Instance()) {
    std::lock_guard lLock(lLogger->LogLock());
    const TLoggingDataList& lList = lLogger->LoggingDataLst();
    for (qsizetype i = 0; i < lList.Count(); ++i)
      lResult.push_back(lList[i]);
  }
  return lResult;
}

qsizetype TLogCapture::Count(TLogTyp aTyp, const QString& aText) const {
  qsizetype lCount = 0;
  for (const TLoggingData& lData : Records())
    if (lData.FTyp == aTyp && lData.FText.contains(aText, Qt::CaseInsensitive))
      ++lCount;
  return lCount;
}
