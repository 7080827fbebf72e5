#pragma once

// ORVO_ADMIN's start: single instance, its forms, the message loop.
int ORVO_ADMIN_Main(int argc, char** argv);

// Creates the main window, the two subforms and the message dialog, each
// once for the run.
void ORVO_ADMIN_CreateForms();
