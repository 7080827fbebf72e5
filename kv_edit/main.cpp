#include "kv_edit/ui/Unit1.h"

int main(int argc, char** argv) { return kv::KvEdit_Main(argc, argv); }
