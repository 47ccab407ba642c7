#include "Qel.Rtl.Exceptions.h"

Exception::Exception(const QString& aMessage, std::shared_ptr<const Exception> aInner)
    : FMessage(aMessage), FWhat(aMessage.toStdString()), FInner(std::move(aInner)) {}

Exception::~Exception() = default;

QStringList ExceptionMessages(const std::exception& aException) {
  QStringList lResult;
  const auto* lOwn = dynamic_cast<const Exception*>(&aException);
  if (!lOwn) {
    const QString lMessage = QString::fromUtf8(aException.what());
    if (!lMessage.isEmpty())
      lResult << lMessage;
    return lResult;
  }
  for (const Exception* lEx = lOwn; lEx && !lEx->Message().isEmpty(); lEx = lEx->InnerException())
    lResult << lEx->Message();
  return lResult;
}
