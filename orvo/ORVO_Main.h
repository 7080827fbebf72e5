#pragma once

// The program's start: single instance, forms, system type, message loop.
int ORVO_Main(int argc, char** argv);

// Steps after the application object exists: creates the forms, reads the
// system type (showing "0501" on failure). false when the program must end.
bool ORVO_CreateForms();
