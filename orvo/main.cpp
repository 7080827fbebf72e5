#include "orvo/ORVO_Main.h"

int main(int argc, char** argv) { return ORVO_Main(argc, argv); }
