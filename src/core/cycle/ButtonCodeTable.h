#pragma once
// The 36 KeyFunctionCode texts the assignment editor names and compares, kept in step with the
// three profile sections of the WorkingImage: entry 12(m-1) + k is button k (1-12) of work mode m
// (1-3). Setting an entry writes its four bytes into the image at once; after bytes have changed in
// the image, rebuild() (or rebuildEntry) brings the texts up to date.

#include "core/image/ConfigImage.h"
#include "core/keys/KeyFunctionCode.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace tarvik::core {

class ButtonCodeTable {
public:
    static constexpr int kModes = static_cast<int>(image::kProfiles);
    static constexpr int kButtons = static_cast<int>(image::kButtons);
    static constexpr int kEntries = kModes * kButtons; // 36

    // Binds the table to the image it mirrors (the WorkingImage), which must outlive it. The texts
    // start empty; call rebuild() to fill them.
    explicit ButtonCodeTable(ConfigImage& image) : m_image(image) {}
    ButtonCodeTable(const ButtonCodeTable&) = delete;
    ButtonCodeTable& operator=(const ButtonCodeTable&) = delete;

    // 12(mode-1) + button. Mode 1-3 and button 1-12, else std::out_of_range.
    static int entryOf(int mode, int button);

    // The text of an entry (1-36) or of a button in a work mode: eight upper-case hexadecimal
    // digits, or empty between clear() and rebuild().
    const std::string& text(int entry) const;
    const std::string& text(int mode, int button) const { return text(entryOf(mode, button)); }
    std::span<const std::string, kEntries> texts() const { return m_texts; }

    // The code as the image holds it.
    KeyFunctionCode code(int mode, int button) const;
    // All 36 codes from the image, in entry order (work mode 1 buttons 1-12, then modes 2 and 3).
    std::array<KeyFunctionCode, kEntries> codes() const;

    // Stores the entry's text and writes its four bytes into the image.
    void set(int entry, const KeyFunctionCode& code);
    void set(int mode, int button, const KeyFunctionCode& code) { set(entryOf(mode, button), code); }
    // The same from a text; false (and nothing changed) when it is not eight hexadecimal digits.
    bool set(int mode, int button, std::string_view code);

    // All texts, or one, from the bytes of the image.
    void rebuild();
    void rebuildEntry(int mode, int button);
    // Empties the 36 texts (the image is not touched).
    void clear();

    // True when every text is exactly the code in the image.
    bool inStep() const;

private:
    static void checkEntry(int entry);
    static int modeOf(int entry) { return (entry - 1) / kButtons + 1; }
    static int buttonOf(int entry) { return (entry - 1) % kButtons + 1; }

    ConfigImage& m_image;
    std::array<std::string, kEntries> m_texts{};
};

} // namespace tarvik::core
