#pragma once
// Histograms under the contrast controls, internal to WexlanRendering.

#include <vector>

class vtkDataArray;

namespace wexlan {

/// How many of the first components of `values` fall in each of `bins` equal bins
/// across `range` (values outside count in the end bins). More than 4 million values
/// are sampled evenly and the counts scaled to the whole: that draws the same picture
/// as every voxel of a large volume. Empty for null values or `bins` below 1.
std::vector<double> SampledHistogram(vtkDataArray* values, const double range[2], int bins);

}  // namespace wexlan
