#include "dialog_rules.h"

#include "number_text.h"
#include "twips.h"

std::string FormatHash(std::int16_t value) { return value == 0 ? std::string() : std::to_string(value); }

DialogOrigin PlaceDialog(double screenWidth, double screenHeight, double windowWidth, double windowHeight) {
    return {RoundToInt32(screenWidth - windowWidth).value_or(0) / 2,
            RoundToInt32(screenHeight - windowHeight).value_or(0) / 3};
}

std::int16_t RepeatFromText(std::string_view text, std::int16_t old) {
    const RoundedText read = ReadRoundedNumber(text);
    switch (read.kind) {
    case RoundedText::Kind::Number: return read.value;
    case RoundedText::Kind::NotANumber: return 0;
    case RoundedText::Kind::OutOfRange: return old;
    }
    return old;
}
