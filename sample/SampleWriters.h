#pragma once
// Writers for the sample files, each in the plainest form of its format. Every function
// throws std::runtime_error if the file cannot be written.

#include <string>
#include <vector>

#include "OrganModel.h"

namespace wexlan::sample {

void WriteBinaryStl(const std::string& path, const Mesh& mesh);
void WriteBinaryPly(const std::string& path, const Mesh& mesh);
void WriteVtp(const std::string& path, const Mesh& mesh);
void WriteFcsv(const std::string& path, const std::vector<Landmark>& landmarks);
void WriteXyz(const std::string& path, const std::vector<Vec3>& points);
/// Binary PCD with a packed colour per point (shaded by height).
void WritePcd(const std::string& path, const std::vector<Vec3>& points);
/// MetaImage with zlib-compressed data.
void WriteMha(const std::string& path, const Volume& volume);
/// VQ: 8192-byte header, file type 1, data type 32 (unsigned 32-bit voxels); rows run
/// along x, so dimension 1 is y, dimension 2 is x, dimension 3 is z.
void WriteVq(const std::string& path, const Volume& volume);

}  // namespace wexlan::sample
