#include "wViewBase.h"

#include <cctype>
#include <utility>

#include "wProtocol.h"

int wViewBase::GetTypeFromStr(const std::string& label) {
    // The order matters: "PointCloud" must win over "Points", and a label that
    // names several kinds takes the first word of this list it contains.
    static const std::pair<const char*, int> kTypeWords[] = {
        {"PointCloud", wexlan::kModelData}, {"Points", wexlan::kModelData},
        {"Surface", wexlan::kModelData},    {"Matrix", wexlan::kMatrixData},
        {"ImageData", wexlan::kImageData},  {"Hardware", wexlan::kHardwareData},
    };
    for (const auto& [word, code] : kTypeWords) {
        if (label.find(word) != std::string::npos) {
            return code;
        }
    }
    return 0;
}

int wViewBase::GetIdFromStr(const std::string& label) {
    const auto open = label.find('[');
    if (open == std::string::npos || label.find(']') == std::string::npos) {
        return -1;
    }
    const auto close = label.find(']', open + 1);
    if (close == std::string::npos || close - open - 1 != 1) {
        return -1;
    }
    const unsigned char c = static_cast<unsigned char>(label[open + 1]);
    return std::isdigit(c) ? c - '0' : 0;
}
