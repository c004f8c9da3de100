// The lensara command.
#include "app/Lensara.h"

int main(int argc, char** argv) { return lensara::RunLensara(argc, argv); }
