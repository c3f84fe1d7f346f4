// zorvel: the correspondent register tool of the local mail system.
#include "correspondent_register/program.h"

int main(int argc, char** argv) { return zorvel::RunRegisterTool(argc, argv); }
