// Editors of fixed-length texts, digit strings, DTMF memories and bit sets.

#include "values/EditorKeys.h"
#include "values/Editors.h"

#include <algorithm>
#include <array>
#include <vector>

namespace editors {

using namespace detail;

namespace {

constexpr std::string_view kDigitChars = "0123456789ABCDEF";
constexpr std::string_view kDtmfChars = "0123456789ABCD*#";
constexpr std::string_view kFiveToneChars = "0123456789ABCDE*";

// A digit value as shown; a slot holding more than a nibble (a damaged image) shows '?'
// instead of reading past the table.
char DigitChar(unsigned value, std::string_view table) { return value < table.size() ? table[value] : '?'; }

unsigned NibbleOf(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    return static_cast<unsigned>(c - 'A' + 10);
}

// The typed digits of a digit string: digits (and hexadecimal letters), padded on the left
// with '0' to n and cut to n. Empty when nothing was typed that counts.
std::vector<std::uint8_t> TypedDigits(std::string_view text, std::size_t n, bool hex) {
    std::string kept;
    for (const char c : text)
        if (IsDigit(c) || (hex && IsHexLetter(c))) kept.push_back(c);
    if (kept.empty()) return {};
    if (kept.size() < n) kept.insert(0, n - kept.size(), '0');
    kept.resize(n);
    std::vector<std::uint8_t> digits;
    for (const char c : kept) digits.push_back(static_cast<std::uint8_t>(NibbleOf(c)));
    return digits;
}

// Keys of the digit-string editors: Space, Backspace and Enter open the editor on the
// text; the characters `starts` accepts begin typing.
template <class Starts>
void DigitKeys(cmcCellCapsule& r, CellResult& result, Starts starts) {
    const std::int32_t key = ActionKey(r);
    if (IsEnter(key) || IsStep(key)) {
        OpenEditorOn(r, result, r.displayText);
    } else if (key > 0 && key < 256 && starts(key)) {
        StartTyping(r, result, key);
    }
}

}  // namespace

bool EditText(cmcCellCapsule& r, CellResult& result, std::span<std::uint8_t> field) {
    bool changed = false;
    if (r.mode == CellMode::SetText || r.mode == CellMode::Pick) {
        for (std::size_t i = 0; i < field.size(); ++i) {
            const std::uint8_t byte = i < r.editText.size() ? static_cast<std::uint8_t>(r.editText[i]) : ' ';
            if (field[i] != byte) changed = true;
            field[i] = byte;
        }
    }
    // A byte the grid cannot show (a control code, a character of another code page) is
    // a space in the field as well, so that what is written back is what was shown.
    for (std::uint8_t& byte : field)
        if (!IsPrintable(byte)) byte = ' ';
    std::string text(field.begin(), field.end());
    text.erase(text.find_last_not_of(' ') + 1);
    Show(r, std::move(text));

    const std::int32_t key = ActionKey(r);
    if (IsEnter(key) || IsStep(key)) {
        OpenEditorOn(r, result, r.displayText);
    } else if (IsPrintable(key)) {
        StartTyping(r, result, key);
    }
    return changed;
}

bool EditName(cmcCellCapsule& r, CellResult& result, std::string& name, std::size_t length) {
    std::vector<std::uint8_t> field(length, ' ');
    for (std::size_t i = 0; i < length && i < name.size(); ++i) field[i] = static_cast<std::uint8_t>(name[i]);
    const std::vector<std::uint8_t> before = field;
    EditText(r, result, field);
    if (field == before) return false;
    name.assign(field.begin(), field.end());
    return true;
}

bool EditDigits(cmcCellCapsule& r, CellResult& result, std::span<std::uint8_t> digits, bool hex) {
    bool changed = false;
    if (r.mode == CellMode::SetText) {
        const auto typed = TypedDigits(r.editText, digits.size(), hex);
        if (!typed.empty()) {
            changed = !std::equal(typed.begin(), typed.end(), digits.begin());
            std::copy(typed.begin(), typed.end(), digits.begin());
        }
    }
    std::string text;
    for (const std::uint8_t d : digits) text.push_back(DigitChar(d, kDigitChars));
    Show(r, std::move(text));
    DigitKeys(r, result, [hex](std::int32_t k) { return IsDigit(k) || (hex && IsHexLetter(k)); });
    return changed;
}

bool EditHexDigits(cmcCellCapsule& r, CellResult& result, std::uint32_t& value, int digits, bool hex) {
    const int n = std::clamp(digits, 1, 8);
    std::array<std::uint8_t, 8> nibbles{};
    for (int i = 0; i < n; ++i) nibbles[static_cast<std::size_t>(i)] = (value >> (4 * (n - 1 - i))) & 0x0Fu;
    if (!EditDigits(r, result, std::span(nibbles.data(), static_cast<std::size_t>(n)), hex)) return false;
    std::uint32_t packed = 0;
    for (int i = 0; i < n; ++i) packed = (packed << 4) | nibbles[static_cast<std::size_t>(i)];
    // Bits above the shown digits are not the cell's: they keep their value.
    const std::uint32_t mask = n == 8 ? 0xFFFFFFFFu : (1u << (4 * n)) - 1u;
    value = (value & ~mask) | packed;
    return true;
}

bool EditIdentifier(cmcCellCapsule& r, CellResult& result, std::uint32_t& value, const IdentifierView& view) {
    if (!view.decimal) return EditHexDigits(r, result, value, view.hexDigits, true);
    auto number = static_cast<std::int32_t>(value);
    if (!EditPaddedNumber(r, result, number, view.decimalDigits, 0, static_cast<std::int32_t>(view.highest), true)) {
        return false;
    }
    value = static_cast<std::uint32_t>(number);
    return true;
}

bool EditDtmf(cmcCellCapsule& r, CellResult& result, std::span<std::uint8_t> packed, std::uint8_t& length,
              int maxDigits) {
    const int m = std::clamp(maxDigits, 0, static_cast<int>(packed.size() * 2));
    auto nibble = [&](int i) -> std::uint8_t {
        const std::uint8_t byte = packed[static_cast<std::size_t>(i / 2)];
        return i % 2 == 0 ? byte >> 4 : byte & 0x0F;
    };
    bool changed = false;
    if (r.mode == CellMode::SetText) {
        // An empty text clears the memory: that is how a technician removes a code.
        std::vector<std::uint8_t> typed;
        for (const char c : r.editText) {
            if (static_cast<int>(typed.size()) == m) break;
            if (c == '*') typed.push_back(14);
            else if (c == '#') typed.push_back(15);
            else if (IsDigit(c) || IsHexLetter(c)) typed.push_back(static_cast<std::uint8_t>(NibbleOf(c)));
        }
        for (int i = 0; i < m; ++i) {
            const std::uint8_t d = i < static_cast<int>(typed.size()) ? typed[static_cast<std::size_t>(i)] : 0;
            if (nibble(i) != d) changed = true;
            std::uint8_t& byte = packed[static_cast<std::size_t>(i / 2)];
            byte = i % 2 == 0 ? static_cast<std::uint8_t>((byte & 0x0F) | (d << 4))
                              : static_cast<std::uint8_t>((byte & 0xF0) | d);
        }
        if (length != typed.size()) changed = true;
        length = static_cast<std::uint8_t>(typed.size());
    }
    if (length > m) length = static_cast<std::uint8_t>(m);
    std::string text;
    for (int i = 0; i < length; ++i) text.push_back(DigitChar(nibble(i), kDtmfChars));
    Show(r, std::move(text));
    DigitKeys(r, result, [](std::int32_t k) { return IsDigit(k) || IsHexLetter(k) || k == '*' || k == '#'; });
    return changed;
}

bool EditFiveTone(cmcCellCapsule& r, CellResult& result, std::span<std::uint8_t> digits, std::uint8_t& length) {
    const std::size_t m = digits.size();
    bool changed = false;
    if (r.mode == CellMode::SetText) {
        std::vector<std::uint8_t> typed;
        for (const char c : r.editText) {
            if (typed.size() == m) break;
            if (c == '*') typed.push_back(15);
            else if (IsDigit(c) || (IsHexLetter(c) && c != 'f' && c != 'F'))
                typed.push_back(static_cast<std::uint8_t>(NibbleOf(c)));
        }
        for (std::size_t i = 0; i < m; ++i) {
            const std::uint8_t d = i < typed.size() ? typed[i] : 0;
            if (digits[i] != d) changed = true;
            digits[i] = d;
        }
        if (length != typed.size()) changed = true;
        length = static_cast<std::uint8_t>(typed.size());
    }
    if (length > m) length = static_cast<std::uint8_t>(m);
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text.push_back(DigitChar(digits[i], kFiveToneChars));
    Show(r, std::move(text));
    DigitKeys(r, result,
              [](std::int32_t k) { return IsDigit(k) || (IsHexLetter(k) && k != 'f' && k != 'F') || k == '*'; });
    return changed;
}

namespace {

// The key that toggles bit k, which is also the character a set bit shows: the digit of
// k, '0' for bit 10 (when bit 0 is not in the set) and 'Z' for bit 11.
char BitChar(int bit) {
    if (bit >= 0 && bit <= 9) return static_cast<char>('0' + bit);
    if (bit == 10) return '0';
    if (bit == 11) return 'Z';
    return '?';
}

std::optional<int> BitOfKey(std::int32_t key, int first, int last) {
    auto inSet = [&](int bit) { return bit >= first && bit <= last; };
    if (IsDigit(key) && inSet(key - '0')) return key - '0';
    if (key == '0' && inSet(10)) return 10;
    if ((key == 'z' || key == 'Z') && inSet(11)) return 11;
    return std::nullopt;
}

}  // namespace

bool EditBits(cmcCellCapsule& r, CellResult& /*result*/, std::uint32_t& bits, int first, int last) {
    first = std::clamp(first, 0, 31);
    last = std::clamp(last, first, 31);
    std::uint32_t mask = 0;
    for (int b = first; b <= last; ++b) mask |= 1u << b;
    const std::uint32_t before = bits;

    if (r.mode == CellMode::Pick) {
        if (const auto number = ParseTypedNumber(r.editText, ""); number && *number <= 0xFFFFFFFF)
            bits = static_cast<std::uint32_t>(*number);
    }
    const std::int32_t key = ActionKey(r);
    if (key == cellkey::kSpace) {
        bits = (bits & mask) == 0 ? bits | mask : bits & ~mask;
    } else if (const auto bit = BitOfKey(key, first, last)) {
        bits ^= 1u << *bit;
    }

    std::string text;
    for (int b = first; b <= last; ++b) text.push_back((bits >> b) & 1u ? BitChar(b) : '-');
    Show(r, std::move(text));
    return bits != before;
}

}  // namespace editors
