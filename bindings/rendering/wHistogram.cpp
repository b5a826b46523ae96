#include "wHistogram.h"

#include <vtkDataArray.h>

#include <algorithm>

namespace wexlan {

std::vector<double> SampledHistogram(vtkDataArray* values, const double range[2], int bins) {
    if (values == nullptr || bins < 1) {
        return {};
    }
    std::vector<double> counts(static_cast<std::size_t>(bins), 0.0);
    const double low = range[0];
    const double width = range[1] - range[0];
    constexpr vtkIdType kSamples = vtkIdType{1} << 22;
    const vtkIdType tuples = values->GetNumberOfTuples();
    const vtkIdType stride = std::max<vtkIdType>(1, tuples / kSamples);
    for (vtkIdType t = 0; t < tuples; t += stride) {
        const double value = values->GetComponent(t, 0);
        const int bin = width > 0 ? static_cast<int>((value - low) / width * bins) : 0;
        counts[static_cast<std::size_t>(std::clamp(bin, 0, bins - 1))] += stride;
    }
    return counts;
}

}  // namespace wexlan
