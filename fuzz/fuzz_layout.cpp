// Layout tables from outside bytes: the INI reader and the general table's switches.

#include "core/text/GeneralLayout.h"
#include "core/text/LayoutConfig.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace tarvik::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const LayoutConfig config = LayoutConfig::parse(text);

    const GeneralLayout general = GeneralLayout::read(config);
    if (general.web.size() > size || general.macroPath.size() > size)
        std::abort();

    for (const char* section : {"org", "ORG1", "org2", ""}) {
        for (const char* key : {"Size_A", "M_L_W", "DPI_Orientation", "Web", "Path", ""}) {
            const std::string value = config.readString(section, key);
            if (!config.contains(section, key) && !value.empty())
                std::abort();
            const int number = config.readInteger(section, key, -12345);
            if (number != -12345 && value != std::to_string(number) && value.front() != '+' &&
                value[0] != '0' && value.rfind("-0", 0) != 0)
                std::abort();
            (void)config.readSwitch(section, key);
            (void)config.readColor(section, key);
        }
    }
    return 0;
}
