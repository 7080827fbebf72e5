#include "admin/ui/ORVO_ADMIN_Main.h"

int main(int argc, char** argv) { return ORVO_ADMIN_Main(argc, argv); }
