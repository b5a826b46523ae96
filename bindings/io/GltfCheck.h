#pragma once
// Checks a glTF document (.gltf, or the JSON chunk of a .glb) and hands VTK's reader a
// copy it can read safely.
//
// VTK's glTF loader follows the document's indices and byte ranges without checking
// them: an accessor that reaches past its buffer, or a node that is its own child,
// crashes it. This check reads the JSON with nlohmann-json and requires every index
// to name an existing object, every accessor to fit in its buffer view, every view in
// its buffer, every buffer to be present in full (embedded base64 data, the .glb
// binary chunk, or a file beside the document), and the nodes to form trees.
//
// VTK's loader is then never given the user's files. It takes a buffer file only when
// the file is exactly as long as declared, and otherwise leaves that buffer out and
// reads the next ones by the wrong index (a buffer file one byte longer crashed it); it
// opens every image the document lists, so an image that is a named pipe hangs it and
// a missing or damaged one fails the whole scene, although the workstation shows no
// textures. So it reads one binary glTF file written here: the checked document without
// images, textures, samplers and materials, and the declared bytes of every buffer one
// after the other in its binary chunk.

#include <string>

namespace wexlan::io {

/// Checks the document at `path` and writes the copy for VTK's reader to `glbPath`
/// (a binary glTF file). Throws ReadError naming the object at fault ("accessor 2",
/// "buffer 0"), or if the copy cannot be written.
void CheckGltfFile(const std::string& path, const std::string& glbPath);

}  // namespace wexlan::io
