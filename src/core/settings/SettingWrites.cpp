#include "core/settings/SettingWrites.h"

#include "core/edit/FieldRanges.h"

#include <charconv>

namespace tarvik::core {

namespace {

LiveWrite one(std::size_t offset, int value) {
    return {static_cast<Byte>(offset), {static_cast<Byte>(value), 0, 0}, 1};
}

LiveWrite rgb(std::size_t offset, Rgb colour) {
    return {static_cast<Byte>(offset), {colour.red, colour.green, colour.blue}, 3};
}

// A digits-and-minus text as a number; nothing for an empty text. Values too large for an int
// come back as a large value of the same sign, which the corrections clamp like any other.
std::optional<long long> number(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto [ptr, error] = std::from_chars(begin, end, value);
    if (error == std::errc::result_out_of_range)
        return text.front() == '-' ? -1 : 1LL << 40;
    if (error != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<LiveWrite> selectDpiStep(DpiState& dpi, int level, int step) {
    if (level < 1 || level > dpi.enabledLevels || step < 1 || step > DpiState::kSteps)
        return std::nullopt;
    const auto at = static_cast<std::size_t>(level - 1);
    dpi.stepIndex[at] = step - 1;
    dpi.stepKnown[at] = true;
    const std::size_t odd = at & ~std::size_t{1};
    const int pair = dpi.stepIndex[odd] | (dpi.stepIndex[odd + 1] << 4);
    return one(image::kDpiLevels + odd / 2, pair);
}

std::optional<LiveWrite> selectCurrentDpi(DpiState& dpi, int level) {
    if (level < 1 || level > dpi.enabledLevels)
        return std::nullopt;
    dpi.currentIndex = level - 1;
    return one(image::kCurrentDpi, level - 1);
}

LiveWrite dpiColourWrite(int level, Rgb colour) {
    return rgb(ConfigImage::dpiColorOffset(level), colour);
}

LiveWrite ledColourWrite(int c, Rgb colour) {
    return rgb(ConfigImage::ledColorOffset(c), colour);
}

RateChoice selectReportRate(DpiState& dpi, ConfigImage& working, int code) {
    working.setReportRateCode(code);
    const int hz = ConfigImage::reportRateHzForCode(code);
    if (hz != dpi.knownReportRate) {
        dpi.knownReportRate = hz;
        dpi.rateResetPending = true;
    }
    RateChoice choice{one(image::kReportRateBits, working.bytes()[image::kReportRateBits]),
                      dpi.rateResetPending};
    dpi.rateResetPending = false;
    return choice;
}

std::optional<LiveWrite> selectLightingMode(LightingState& lighting, const ConfigImage& working, int mode) {
    if (mode < 0 || !lightingOffersMode(lighting.kind, mode))
        return std::nullopt;
    lighting.mode = mode;
    return one(image::kLedMode, (working.bytes()[image::kLedMode] & 0xF0) | mode);
}

std::optional<LiveWrite> selectFallLevel(LightingState& lighting, ConfigImage& working, int level) {
    if (level < 1 || level > 10)
        return std::nullopt;
    lighting.fallLevel = level;
    working.setFallTime(static_cast<Byte>(5 * level));
    return one(image::kFallTime, 5 * level);
}

std::string correctFireCount(const std::string& text) {
    const auto value = number(text);
    constexpr FieldRange range = fields::kFireKeyCount;
    if (!value)
        return std::to_string(text.empty() ? range.initial : range.min);
    // A count of 0 would store 0xFF in the block and code the key as another one.
    return std::to_string(range.clamp(*value));
}

std::string correctFireInterval(const std::string& text) {
    constexpr FieldRange range = fields::kFireKeyInterval;
    const auto value = number(text);
    return std::to_string(value ? range.clamp(*value) : range.min);
}

} // namespace tarvik::core
