#pragma once
// glTF scenes (.gltf with its buffers, or binary .glb) as one surface.
//
// VTK's glTF reader gives the default scene as a tree of blocks, one poly data per
// mesh primitive, already moved by the transforms of their nodes; it reads the copy
// GltfCheck writes. The workstation shows one model per file, so every primitive with
// points is checked like any other VTK output and appended into a single poly data; the
// point arrays all primitives share (normals, texture coordinates) are kept. Materials
// and textures are not read.

#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <string>

namespace wexlan::io {

/// Reads the scene at `path`. Throws ReadError when VTK reports a problem (a
/// damaged document, a missing buffer file) or the scene holds no mesh.
vtkSmartPointer<vtkPolyData> ReadGltfScene(const std::string& path);

}  // namespace wexlan::io
