#pragma once
// Processing pending window messages while the UI thread waits (the logger's ForceWrite, the
// wait dialog). The program with windows sets the hook to QCoreApplication::processEvents;
// without windows it does nothing. Kept here, not in the UI layer, so that framework code
// without widgets can call it.

using TProcessMessagesHook = void (*)();

void ProcessMessages();
void SetProcessMessagesHook(TProcessMessagesHook aHook);
