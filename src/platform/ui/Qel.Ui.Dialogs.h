#pragma once
// Message kinds of the form library's message box and their standard icons.

#include <QIcon>
#include <cstdint>

enum TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The system's standard icon for a message kind: the style's warning, error, information and
// question icons, and the generic program icon for a custom message.
QIcon StandardMessageIcon(TMsgDlgType aMsgTyp);
