#include "core/macros/MacroEditing.h"

#include "core/macros/MacroLine.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tarvik::core {

namespace {

constexpr std::string_view kCodeTag = " CODE:";
constexpr std::size_t kCodeSuffix = 10; // " CODE:" and four digits

bool validRow(const MacroText& text, int row) {
    return row >= 0 && static_cast<std::size_t>(row) + 1 < text.size();
}

char kindOf(std::string_view line) {
    return line.empty() ? '\0' : line.front();
}

bool hasCodeSuffix(std::string_view s) {
    if (s.size() < kCodeSuffix || s.substr(s.size() - kCodeSuffix, kCodeTag.size()) != kCodeTag)
        return false;
    return std::all_of(s.end() - 4, s.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

// The selection after deleting lines: the row before, or the first row when that was row 0.
std::optional<int> rowAfterDelete(const MacroText& text, int wanted) {
    const int rows = static_cast<int>(text.size()) - 1;
    if (rows <= 0)
        return std::nullopt;
    return std::clamp(wanted, 0, rows - 1);
}

std::optional<long long> parseNumber(std::string_view text) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || end != text.data() + text.size())
        return std::nullopt;
    if (ec == std::errc::result_out_of_range)
        return text.front() == '-' ? -(1LL << 62) : (1LL << 62);
    if (ec != std::errc())
        return std::nullopt;
    return value;
}

} // namespace

std::string_view keyNameOfLine(std::string_view line) {
    if (line.size() < 2 + kCodeSuffix)
        return {};
    return line.substr(2, line.size() - 2 - kCodeSuffix);
}

std::optional<EditKind> editKindOfRow(const MacroText& text, int row) {
    if (!validRow(text, row))
        return std::nullopt;
    switch (kindOf(text[static_cast<std::size_t>(row) + 1])) {
    case '0':
        return EditKind::Delay;
    case '1':
        return EditKind::Press;
    case '2':
        return EditKind::Release;
    default:
        return std::nullopt;
    }
}

MacroTextEdit deleteRow(MacroText& text, int row) {
    MacroTextEdit result;
    if (!validRow(text, row))
        return result;
    const std::size_t line = static_cast<std::size_t>(row) + 1;
    const std::string_view current = text[line];
    const auto erase = [&text](std::size_t at) {
        text.erase(text.begin() + static_cast<std::ptrdiff_t>(at));
    };

    switch (kindOf(current)) {
    case '0':
    case '3':
    case '4':
    case '5':
    case '6':
    case '8':
    case '9':
        erase(line);
        result.changed = true;
        result.selectRow = rowAfterDelete(text, row - 1);
        return result;
    case '1': {
        const std::string_view name = keyNameOfLine(current);
        for (std::size_t j = line + 1; j < text.size(); ++j) {
            if (kindOf(text[j]) == '2' && keyNameOfLine(text[j]) == name) {
                erase(j);
                erase(line);
                result.changed = true;
                result.selectRow = rowAfterDelete(text, row - 1);
                return result;
            }
        }
        result.contentError = true;
        return result;
    }
    case '2': {
        const std::string_view name = keyNameOfLine(current);
        for (std::size_t j = line - 1; j >= 1; --j) {
            if (kindOf(text[j]) == '1' && keyNameOfLine(text[j]) == name) {
                erase(line);
                erase(j);
                result.changed = true;
                result.selectRow = rowAfterDelete(text, row - 2);
                return result;
            }
        }
        result.contentError = true;
        return result;
    }
    default:
        return result;
    }
}

MacroTextEdit replaceKeyLine(MacroText& text, int row, EditKind kind, std::string_view keyName,
                             std::string_view stepText) {
    MacroTextEdit result;
    if (keyName.empty() || kind == EditKind::Delay || editKindOfRow(text, row) != kind ||
        !hasCodeSuffix(stepText))
        return result;
    text[static_cast<std::size_t>(row) + 1] = (kind == EditKind::Press ? "1 " : "2 ") + std::string(stepText);
    result.changed = true;
    result.selectRow = row;
    return result;
}

MacroTextEdit replaceDelayLine(MacroText& text, int row, std::string_view typed) {
    MacroTextEdit result;
    if (typed.empty() || editKindOfRow(text, row) != EditKind::Delay)
        return result;
    const auto value = parseNumber(typed);
    if (!value)
        return result;
    text[static_cast<std::size_t>(row) + 1] =
        delayLine(static_cast<std::uint16_t>(std::clamp<long long>(*value, 1, 65535)));
    result.changed = true;
    result.selectRow = row;
    return result;
}

bool isKeyChoice(InsertChoice choice) {
    return choice == InsertChoice::KeyFront || choice == InsertChoice::KeyBack;
}

std::optional<InsertChoice> insertChoiceOfItem(int item, bool fireEditor) {
    if (fireEditor && item >= 2)
        item += 2;
    if (item < 0 || item > static_cast<int>(InsertChoice::RepeatStop))
        return std::nullopt;
    return static_cast<InsertChoice>(item);
}

MacroTextEdit insertLine(MacroText& text, int row, InsertChoice choice, const InsertValues& values) {
    MacroTextEdit result;
    if (isKeyChoice(choice) || !validRow(text, row))
        return result;
    bool after = false;
    std::string line;
    switch (choice) {
    case InsertChoice::DelayFront:
    case InsertChoice::DelayBack:
        line = delayLine(static_cast<std::uint16_t>(std::clamp(values.delay, 1, 65535)));
        after = choice == InsertChoice::DelayBack;
        break;
    case InsertChoice::MoveFront:
    case InsertChoice::MoveBack:
        line = moveLine(values.x, values.y);
        after = choice == InsertChoice::MoveBack;
        break;
    case InsertChoice::RepeatStart:
        line = repeatStartLine(values.repeat);
        break;
    case InsertChoice::RepeatStop:
        line = repeatEndLine();
        after = true;
        break;
    case InsertChoice::KeyFront:
    case InsertChoice::KeyBack:
        return result;
    }
    const std::size_t at = static_cast<std::size_t>(row) + (after ? 2 : 1);
    text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    result.changed = true;
    result.selectRow = after ? row + 1 : row;
    return result;
}

std::optional<std::string> guardedFieldText(std::string_view text, int min, int max, bool emptyBecomesMin) {
    const auto value = parseNumber(text);
    if (!value) {
        if (emptyBecomesMin && text.empty())
            return std::to_string(min);
        return std::nullopt;
    }
    if (*value > max)
        return std::to_string(max);
    if (*value < min)
        return std::to_string(min);
    return std::nullopt;
}

bool acceptsFieldKey(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '\b';
}

} // namespace tarvik::core
