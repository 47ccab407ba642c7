#pragma once
// Exceptions of the runtime: a message and an optional inner exception.

#include <QString>
#include <QStringList>
#include <exception>
#include <memory>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(const QString& aMessage, std::shared_ptr<const Exception> aInner = nullptr);
  ~Exception() override;

  const QString& Message() const { return FMessage; }
  const Exception* InnerException() const { return FInner.get(); }
  const char* what() const noexcept override { return FWhat.c_str(); }

private:
  QString FMessage;
  std::string FWhat;
  std::shared_ptr<const Exception> FInner;
};

// A value outside the range of its type.
class ERangeError : public Exception {
public:
  using Exception::Exception;
};

// An arithmetic result that cannot be represented (a tick later than now, say).
class EOverflow : public Exception {
public:
  using Exception::Exception;
};

// A text that cannot be converted into the requested type.
class EConvertError : public Exception {
public:
  using Exception::Exception;
};

// A programming error: an argument a caller must never pass.
class EArgumentException : public Exception {
public:
  using Exception::Exception;
};

// The messages of an exception and its inner exceptions, outermost first, stopping at the
// first one that is missing or has an empty message.
QStringList ExceptionMessages(const std::exception& aException);
