#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "wexlancp_export.h"

namespace wexlan {

/// Number texts of the property sheet and its dialogs, independent of the process locale
/// (a Qt application sets the user's locale, under which printf would write "1,5").

/// The decimal number at the start of `text`, read as C's atof reads it: leading blanks
/// are skipped, a sign, digits, a decimal point and an exponent are taken as far as they
/// form a number, and the rest is ignored ("12abc" gives 12). 0 when the text does not
/// begin with a number. Only decimal forms are read ("inf", "nan" and hex give 0).
WEXLANCP_EXPORT double LeadingDouble(std::string_view text);

/// The whole of `text` read as a list of finite decimal numbers separated by commas or
/// semicolons, blanks allowed around each, the list optionally in square brackets
/// ("[1, 0; 0, 1]", "3, 4, 5", "12"). @return false, leaving `numbers` empty, when any
/// field is not a finite number in decimal form, or the text holds none.
WEXLANCP_EXPORT bool ParseNumberList(std::string_view text, std::vector<double>& numbers);

/// `value` with `decimals` digits after the point, as printf("%.*f") writes it
/// ("%f" is FormatFixed(value, 6)); a negative value that rounds to zero keeps its sign.
WEXLANCP_EXPORT std::string FormatFixed(double value, int decimals);

}  // namespace wexlan
