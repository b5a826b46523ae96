#pragma once
// Large benchmark inputs, generated on first use into a scratch folder (default
// /tmp/wexlan-io-bench, or $WEXLAN_BENCH_DIR) and reused by later runs.

#include <cstdint>
#include <string>

namespace wexlan::io::bench {

/// The folder with the inputs (created if missing).
const std::string& InputFolder();

/// Full path of an input, written first (with the others of its group) if missing:
/// "mesh_binary.stl", "mesh_ascii.stl", "mesh_binary.ply", "mesh_ascii.ply", "mesh.obj",
/// "mesh.vtp", "chest.mha", "chest.nrrd", "chest.nii", "chest.nii.gz",
/// "chest_analyze.hdr" (Analyze 7.5, with "chest_analyze.img"), "chest.vq", "cloud.xyz", "ct_series/IM0000" (one of 300 DICOM slices) and
/// "ct_series.mha" (the same CT volume as one MetaImage file), "markers_160k.mrk.json" and
/// "markers_640k.mrk.json" (markups files of kMarkers and 4 * kMarkers control points).
std::string Input(const std::string& name);

/// Size of a file in bytes.
std::uint64_t FileSize(const std::string& path);

constexpr int kMeshRings = 1000;  // x 1000 segments: 1 million points, 2 million triangles
constexpr int kVolumeSize = 512;  // 512^3 voxels
constexpr int kCloudPoints = 5000000;
constexpr int kMarkers = 160000;
constexpr int kCtSize = 512;    // 512 x 512 pixels per CT slice
constexpr int kCtSlices = 300;  // slices, one DICOM file each

}  // namespace wexlan::io::bench
