#pragma once
// The file names of one extraction row: where the document lies below the source folder and
// the name its copy gets below the destination folder (the stored name with "_" and the
// document's ID before its extension: Brief.docx with ID 17 becomes Brief_17.docx).

#include <QString>

class TLintrelNames {
public:
  // The stored names may come from the application on Windows: "\" separates folders there.
  static QString ToPlatformDelimiters(const QString& aName);

  // The name of the copy, relative to the destination folder: aFileName (folder parts
  // included) with "_" + aID put before its extension, or appended when it has none. False,
  // with aError set, for an empty name or ID, and for a name that would leave the destination
  // folder (an absolute name, or a ".." element).
  static bool TargetName(const QString& aFileName, const QString& aID, QString& aName,
                         QString& aError);

  // The full name of the document: the source folder (ending in a delimiter) with the stored
  // relative name appended unchanged but for its delimiters. False, with aError set, for an
  // empty stored name.
  static bool SourceName(const QString& aSrcPath, const QString& aPathName, QString& aName,
                         QString& aError);
};
