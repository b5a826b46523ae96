#pragma once

#include <string>
#include <utility>
#include <vector>

#include "wexlanrendering_export.h"

/// One line of a viewer's or layer's script (wLayer::GetScript, wViewer::GetScript):
/// what a workspace file records so that the scene can be built again later.
///
/// Grammar (one line, no line end inside; fields are separated by one TAB):
///
///     line   = kind TAB name TAB data *( TAB item )
///     item   = tag "=" value                ; split at the first "="
///     kind   = "Viewer" | "MeshLayer" | "ImageLayer" | "Image3DLayer"
///            | "LandmarkLayer" | "TextLayer" | "MeasureLayer" | "MeshSliceLayer"
///            | "VolumeLayer"
///     name   = the layer's display name     ; "View" for a viewer
///     data   = the data item's name         ; empty for a viewer, a text or measure layer
///
/// Items are the renderable's property items in their order (the "IsA" item excepted,
/// the kind says it), with the same tags and value texts, followed by a few that the
/// property sheet does not show (e.g. "Text" of a text layer, "Scale Factor" of a
/// viewer). docs/rendering.md lists them per kind.
///
/// Escapes: a backslash, TAB, line feed or carriage return inside a field is written
/// as "\\", "\t", "\n" or "\r"; a '#' that would start the line as "\#", so that no
/// script line is taken for a comment or section header of a workspace file.
struct WEXLANRENDERING_EXPORT wScriptRecord {
    std::string kind;
    std::string name;
    std::string data;
    std::vector<std::pair<std::string, std::string>> items;

    /// The value of item `tag`, or "null" when the line has no such item.
    std::string Get(const std::string& tag) const;

    /// The line text, without a line end. Tags must not contain "=".
    std::string Format() const;

    /// Reads one line (a trailing "\r" or "\n" is dropped). Returns false, leaving
    /// `out` alone, for fewer than three fields, an item without "=", or a bad escape.
    static bool Parse(const std::string& line, wScriptRecord& out);
};
