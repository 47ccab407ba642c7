#pragma once
// A data object bound to one INI file and one section: it opens the file when it is created,
// fills itself from the file at once and writes itself back on request. Every configuration
// section derives from it.

#include "Qel.Rtl.IniFiles.h"
#include "Qel.Shared.Data.h"

#include <QString>
#include <memory>

class TFileData;

class TIniData : public TData {
  QEL_CLASS("Qel.Shared.Config.Ini.Data", TIniData)
  QEL_FIELDS(TIniData, TData, QEL_FIELD(FFile), QEL_FIELD(FSection))

protected:
  // Only Create (and descendants forwarding it) can construct section objects, so that no
  // object is ever handed out before its after-construction load ran.
  struct TCreateKey {
    explicit TCreateKey() = default;
  };

public:
  // A section object of class T for aFile, already loaded from it. T's constructor takes
  // (TCreateKey, TFileData*) and passes its own section name on.
  template <class T> static std::unique_ptr<T> Create(TFileData* aFile) {
    auto lResult = std::make_unique<T>(TCreateKey(), aFile);
    lResult->AfterConstruction();
    return lResult;
  }

  // Closes the file; it does not save.
  ~TIniData() override;
  TIniData(const TIniData&) = delete;
  TIniData& operator=(const TIniData&) = delete;

  // Closes any open file and binds the object to aFile: a missing file is created with the
  // single line "<empty>", then opened and read. False without a file.
  virtual bool Load(TFileData* aFile);
  // Reads the object's section from the open file.
  virtual bool Load();
  // Writes the object's section into the open file and flushes it.
  virtual bool Save();

  // The full name of the open file; empty when none is open.
  QString GetFileName() const;
  TFileData* File() const { return FFile; }
  const QString& Section() const { return FSection; }

protected:
  // Not loaded yet: the after-construction step does that.
  TIniData(TFileData* aFile, const QString& aSection);
  // Loads the object from its file once it is fully constructed.
  virtual void AfterConstruction();
  // The open file, or none.
  TIniFile* Ini() const { return FIni.get(); }

private:
  TFileData* FFile = nullptr; // an entry of the known-files catalogue, not owned
  std::unique_ptr<TIniFile> FIni;
  QString FSection;
};
