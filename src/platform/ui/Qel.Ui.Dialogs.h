#pragma once
// The form library's message box and input box, and the standard icons of message kinds.

#include <QIcon>
#include <QString>
#include <cstdint>

enum TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The system's standard icon for a message kind: the style's warning, error, information and
// question icons, and the generic program icon for a custom message.
QIcon StandardMessageIcon(TMsgDlgType aMsgTyp);

// A plain message box with an OK button over the active window; returns when it is closed.
void ShowMessage(const QString& aText);

// An input box with aCaption and aPrompt over the active window, prefilled with aDefault:
// the text the user typed, or aDefault when the user cancels.
QString InputBox(const QString& aCaption, const QString& aPrompt, const QString& aDefault);
