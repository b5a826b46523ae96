#pragma once
// The vocabulary the control panel, the workstation and the plug-in modules share:
// data type codes, module command words and the fixed table sizes. Modules compiled
// against one build of the panel keep working with the next only while these values
// stay as they are.

namespace wexlan {

/// Data type codes.
///
/// Each code is one bit, so a module's target data type ("GetModuleTargetDataType")
/// is a bit mask of the codes it shows, and `mask & code` tells whether it takes an
/// item. The controller addresses the items it holds by kModelData, kImageData or
/// kHardwareData and an index into that registry or table; the reader's output
/// types (wFileReader::GetOutputType) refine kModelData into surface, markers and
/// point cloud, and every one of them goes into the model registry.
/// @{
inline constexpr int kNoData = 0;           ///< nothing: not found, no output
inline constexpr int kMatrixData = 1;       ///< a transformation matrix, e.g. a tracked tool's pose
inline constexpr int kModelData = 2;        ///< a model; as reader output, one that is none of
                                            ///< the three kinds below (lines, unstructured grids)
inline constexpr int kImageData = 4;        ///< an image volume (vtkImageData)
inline constexpr int kSurfaceData = 16;     ///< poly data with polygons or triangle strips
inline constexpr int kMarkerData = 32;      ///< a marker list (landmarks) read from a marker file
inline constexpr int kPointCloudData = 64;  ///< poly data with only vertices, or no cells
inline constexpr int kHardwareData = 256;   ///< a hardware resource; a module receives instead
                                            ///< the data type its library reports
/// @}

/// Optional entry points of a hardware library that delivers live data. They may start
/// the library's own threads, so they are called only while a caller keeps the library
/// loaded; the library stops its threads when it is unloaded.
/// @{
/// `int GetLiveStatus(char* text, int capacity)`: one line per stream, "name<TAB>state<TAB>
/// rate<TAB>value" (value: 16 pose numbers, or "image WxHxD"; lines about the device as a
/// whole have an empty name), NUL-terminated within `capacity`; returns the length the
/// whole text needs (without the NUL).
inline constexpr char kLiveStatusEntry[] = "GetLiveStatus";
using LiveStatusFunction = int (*)(char* text, int capacity);
/// `int GetLivePose(double matrix[16], unsigned long long* sequence)`: the newest pose of
/// the first stream that sends poses, row-major, and a number that changes with each new
/// pose; returns 0 (leaving both alone) while no pose has arrived.
inline constexpr char kLivePoseEntry[] = "GetLivePose";
using LivePoseFunction = int (*)(double* matrix, unsigned long long* sequence);
/// `int GetLiveImage(int size[3], double spacing[3], double origin[3], int* vtkScalarType,
/// int* components, const void** pixels, unsigned long long* sequence)`: the newest frame of
/// the first stream that sends images (scalars in host byte order, x fastest, of a VTK scalar
/// type code); `pixels` stays valid until the next call. Returns 0 (leaving all alone) while no
/// frame has arrived.
inline constexpr char kLiveImageEntry[] = "GetLiveImage";
using LiveImageFunction = int (*)(int* size, double* spacing, double* origin, int* vtkScalarType,
                                  int* components, const void** pixels,
                                  unsigned long long* sequence);
/// @}

/// Whether a reader output type is a model, held by the model registry.
constexpr bool IsModelOutput(int outputType) {
    return outputType == kModelData || outputType == kSurfaceData || outputType == kMarkerData ||
           outputType == kPointCloudData;
}

/// Command words a module's "Command" entry point receives, each at the start of
/// the line, its arguments after one blank.
/// @{
/// Start without data: an empty viewer in the current render window. No arguments.
inline constexpr char kCoolStartCommand[] = "coolstart";
/// Show data items: the names of the items follow, separated by one blank.
inline constexpr char kAddCommand[] = "add";
/// @}

/// Table sizes.
/// @{
/// Render windows: ids 0..kRenderWindowCount - 1, one per viewing tab; a module is
/// active in at most one viewer per window.
inline constexpr int kRenderWindowCount = 24;
/// Modules the module registry holds; the libraries beyond are not loaded.
inline constexpr int kMaxModules = 128;
/// Hardware resources the hardware table holds; the libraries beyond are not loaded.
inline constexpr int kMaxHardwareResources = 129;
/// @}

}  // namespace wexlan
