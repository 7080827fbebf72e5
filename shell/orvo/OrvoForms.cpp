#include "shell/orvo/OrvoForms.h"

// Start-up order of the forms. The forms of the subsystems are added to
// these two routines as they are built.
void OrvoForms_CreateFirst() {}

void OrvoForms_CreateSecond() {}
