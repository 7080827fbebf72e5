// Creation of ORVO's forms at start. Each subsystem adds its forms here, in
// the order of the start-up, and installs the main window's hooks for them.
#pragma once

// After the main window and the confirmation dialog: every other form, once.
void OrvoForms_CreateFirst();
// After the system type is known: the forms that are created a second time.
void OrvoForms_CreateSecond();
