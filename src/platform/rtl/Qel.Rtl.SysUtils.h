#pragma once
// Text, path and file helpers of the runtime.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

inline constexpr QChar PathDelim = u'/';

// --- text -----------------------------------------------------------------------------
// Trims characters up to and including blank (control characters too), as the runtime's Trim.
QString Trim(const QString& aText);
QString TrimLeft(const QString& aText);
QString TrimRight(const QString& aText);
// Decimal integers; leading blanks are skipped, anything else makes the text invalid.
bool TryStrToInt(const QString& aText, int& aValue);
bool TryStrToInt64(const QString& aText, int64_t& aValue);
// The whole text is a decimal integer (as TryStrToInt64 reads it).
bool IsInteger(const QString& aText);

// Comma text: items separated by commas; an item holding a control character, a blank, a
// comma or a double quote is enclosed in double quotes with inner quotes doubled.
QString ToCommaText(const QStringList& aItems);
QStringList FromCommaText(const QString& aText);
// Delimited text with a free delimiter and quote character; with aStrict false, blanks and
// control characters separate items as well (the runtime's non-strict splitting).
QString ToDelimitedText(const QStringList& aItems, QChar aDelimiter, QChar aQuote = u'"');
QStringList FromDelimitedText(const QString& aText, QChar aDelimiter, QChar aQuote = u'"',
                              bool aStrict = false);

// GUID texts: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} (38 characters, upper case) and 32 hex digits.
QString NewGuidText();
QString NewGuidHex();

// --- paths ------------------------------------------------------------------------------
// The file system's rule for names: case-sensitive on this platform.
bool SameFileName(const QString& a, const QString& b);
// The form under which the rule compares a name (the name itself on this platform): two names
// are the same file name exactly when their keys are equal.
QString FileNameKey(const QString& aFileName);
int CompareFileName(const QString& a, const QString& b);
QString IncludeTrailingPathDelimiter(const QString& aPath);
QString ExcludeTrailingPathDelimiter(const QString& aPath);
// Everything up to and including the last delimiter.
QString ExtractFilePath(const QString& aFileName);
// ExtractFilePath without the trailing delimiter (the root stays "/").
QString ExtractFileDir(const QString& aFileName);
QString ExtractFileName(const QString& aFileName);
// The extension with its dot, or empty.
QString ExtractFileExt(const QString& aFileName);
QString ChangeFileExt(const QString& aFileName, const QString& aExtension);
// The drive part: "/" for an absolute path, empty for a relative one.
QString ExtractFileDrive(const QString& aFileName);
bool IsPathDelimiter(const QString& aText, qsizetype aIndex);
// Wildcards "*" and "?" (and [set]) as the platform's file-name matching.
bool MatchesMask(const QString& aFileName, const QString& aMask);

// --- files ------------------------------------------------------------------------------
// The name as the system's file calls take it; false for an empty name and for one with a NUL
// character, which those calls would read cut short (and so act on another file).
bool NativeFileName(const QString& aName, QByteArray& aNative);
bool FileExists(const QString& aFileName); // a file (not a directory)
bool DirectoryExists(const QString& aDirectory);
// The size of a regular file (after links); -1 when there is none under that name.
int64_t RegularFileSize(const QString& aFileName);
// Writes aData into a new file beside aFileName and renames it over aFileName, so that the
// file is either the old one or the whole new one. False with aError when anything failed
// (also a failure that shows only when the last buffered bytes are written).
bool SaveFileAtomically(const QString& aFileName, const QByteArray& aData, QString& aError);
// Creates the folder and all missing parents; true when it exists afterwards.
bool ForceDirectories(const QString& aDirectory);
// The same without an answer: one system call when the folder exists already.
void CreateDirectories(const QString& aDirectory);
// Names (not full paths) of the entries of a folder in the order the listing returns them:
// regular files (also through links) and folders (not links to folders); no FIFOs, sockets,
// devices or broken links.
QStringList ListDirectory(const QString& aDirectory, bool aFiles, bool aDirectories);
