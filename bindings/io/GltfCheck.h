#pragma once
// Checks a glTF document (.gltf, or the JSON chunk of a .glb) before VTK's reader
// sees it.
//
// VTK's glTF loader follows the document's indices and byte ranges without checking
// them: an accessor that reaches past its buffer, or a node that is its own child,
// crashes it. This check reads the JSON with nlohmann-json and requires every index
// to name an existing object, every accessor to fit in its buffer view, every view in
// its buffer, every buffer to be present in full (embedded base64 data, the .glb
// binary chunk, or a file beside the document), and the nodes to form trees.

#include <string>

namespace wexlan::io {

/// Throws ReadError naming the object at fault ("accessor 2", "buffer 0").
void CheckGltfFile(const std::string& path);

}  // namespace wexlan::io
