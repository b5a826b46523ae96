#pragma once

#include <optional>
#include <string>

#include "wexlancp_export.h"

/// Colours written as text, the way a person types them into a colour row or
/// answers the colour chooser in batch mode.
///
/// A colour is held as one unsigned int 0x00BBGGRR: red in the lowest byte, as
/// the sheet's colour rows and wexlan::Prompts::ChooseColor hold it.
namespace wexlan {

/// Reads "#rrggbb", a colour name Qt knows ("orange", "steelblue"; QColor's names)
/// or "r, g, b" with each a whole number 0..255 (brackets and separators as
/// ParseNumberList takes them).
/// @return the colour, or std::nullopt for any other text (the empty text too).
WEXLANCP_EXPORT std::optional<unsigned int> ColorFromText(const std::string& text);

/// The colour as "#rrggbb" (lower-case hex digits); ColorFromText reads it back.
WEXLANCP_EXPORT std::string ColorName(unsigned int color);

}  // namespace wexlan
