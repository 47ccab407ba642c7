#pragma once
// The root of the framework's classes: every object can name its class and the module
// that declares it, which the logger uses to label the sender of a record.

#include <QString>

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;

  virtual QString ClassName() const { return QStringLiteral("TObject"); }
  virtual QString UnitName() const { return QStringLiteral("System"); }
};

// A class reference as a value: the class's name and its module's name.
struct TClassRef {
  QString ClassName;
  QString UnitName;
};

// Declares ClassName and UnitName of a class, and a static ClassRef for class references.
#define QEL_CLASS(UnitLiteral, ClassIdent)                                                         \
public:                                                                                            \
  QString ClassName() const override {                                                             \
    return QStringLiteral(#ClassIdent);                                                            \
  }                                                                                                \
  QString UnitName() const override {                                                              \
    return QStringLiteral(UnitLiteral);                                                            \
  }                                                                                                \
  static TClassRef ClassRef() {                                                                    \
    return {QStringLiteral(#ClassIdent), QStringLiteral(UnitLiteral)};                             \
  }                                                                                                \
                                                                                                   \
private:
