#pragma once
// What a row of the macro event list shows for its MacroLine. Drawing belongs to the GUI.

#include <string>
#include <string_view>

namespace tarvik::core {

struct EventCaption {
    int iconIndex = 0; // picture 0-9 of the event list's image list: the line's first digit, else 0
    std::string text;
};

// "1"/"2" lines: the key name; "0" lines: "50 ms"; "3" lines: "X: -5  Y: 10" (the line itself,
// less its kind, when a component byte is 0x80 or not hexadecimal); "7" lines: "Rep-Start  10";
// "8" lines: "Rep-Stop"; any other line: the line without its first two characters.
EventCaption eventCaption(std::string_view line);

} // namespace tarvik::core
