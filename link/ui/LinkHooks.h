// Ties the link to the UI thread: the message pump of a waiting transaction,
// the posted disconnect notice, and the main window's disconnect.
#pragma once

// Installed once at start, after the main window exists.
void Link_InstallMainHooks();

// Posts QEvent::User + userMessage to a form (a QObject); safe from any thread.
void Link_PostToForm(void* form, int userMessage);
