#pragma once
// Window helpers of the form library: the application's main window, placing a window over
// its owner, translucency, modal display, and processing pending window messages.

#include <QPointer>
#include <QWidget>
#include <cstdint>

// Points the runtime's message processing hook (ProcessMessages) at the Qt event loop, so that
// framework code that waits on the UI thread keeps the windows alive.
void InstallProcessMessagesHook();

// The application's main window, or nothing; set by the program once its main window exists.
QWidget* ApplicationMainForm();
void SetApplicationMainForm(QWidget* aForm);

// Moves aForm so that it is centred over aOwner; without an owner over the main window, and
// without a main window over the primary screen.
void CenterOverOwner(QWidget* aForm, const QWidget* aOwner);

// Translucency of a top-level window: with aEnabled the window is drawn with aAlpha of 255,
// otherwise opaque.
void SetAlphaBlend(QWidget* aForm, bool aEnabled, uint8_t aAlpha);

// Shows aForm application-modal and returns when it has been hidden or closed. A form that is
// freed meanwhile ends the display as well.
void ShowModal(QWidget* aForm);
