#include "driver/command_line.hpp"

int main(int argc, char** argv) { return kolvo::runCommandLine(argc, argv); }
