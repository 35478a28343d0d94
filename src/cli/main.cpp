#include "cli/Commands.h"

#include <iostream>

int main(int argc, char** argv) {
    return tarvik::cli::runTarvikctl(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr);
}
