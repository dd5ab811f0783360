#include "driver/command_line.hpp"
#include "driver/fonts_module.hpp"

int main(int argc, char** argv) { return kolvo::runCommandLine(argc, argv, kolvo::moduleFallbackFonts); }
