// Button states of the main window and the return from a subform.
#pragma once

void Common_SetConnected();
void Common_SetDisconnected();
// Shows the main buttons again and focuses the last pressed one if enabled.
void Common_ReturnToMain();
