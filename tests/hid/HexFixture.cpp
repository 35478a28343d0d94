#include "HexFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tarvik::hid::test {

std::vector<std::uint8_t> loadHexFixture(const std::string& name) {
    const std::string path = std::string(TARVIK_SOURCE_DIR) + "/tests/data/hid/" + name;
    std::ifstream file(path);
    if (!file) {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    std::vector<std::uint8_t> bytes;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string word;
        while (words >> word) {
            if (word.size() != 2 || word.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
                ADD_FAILURE() << path << ": not a hex byte: " << word;
                return {};
            }
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
        }
    }
    return bytes;
}

} // namespace tarvik::hid::test
