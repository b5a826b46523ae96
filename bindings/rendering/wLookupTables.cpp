#include "wLookupTables.h"

#include <vtkLookupTable.h>
#include <vtkMath.h>

#include <algorithm>

namespace {

struct Ramp {
    const char* name;
    double red, green, blue;  // the colour at the high end; the low end is black
};

const Ramp kRamps[] = {
    {"None", 1, 1, 1}, {"Red", 1, 0, 0},    {"Green", 0, 1, 0},  {"Blue", 0, 0, 1},
    {"Cyan", 0, 1, 1}, {"Magent", 1, 0, 1}, {"Yellow", 1, 1, 0},
};

constexpr int kEntries = 256;

}  // namespace

namespace wexlan::LookupTables {

const std::vector<std::string>& Names() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const Ramp& ramp : kRamps) {
            all.push_back(ramp.name);
        }
        all.push_back("Rainbow");
        return all;
    }();
    return names;
}

bool IsKnown(const std::string& name) {
    const auto& names = Names();
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool Fill(const std::string& name, vtkLookupTable* table) {
    if (!IsKnown(name)) {
        return false;
    }
    table->SetNumberOfTableValues(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        const double t = i / double(kEntries - 1);
        double rgb[3];
        if (name == "Rainbow") {
            // Hue from 2/3 (blue) down to 0 (red), full saturation and value.
            vtkMath::HSVToRGB((1.0 - t) * 2.0 / 3.0, 1.0, 1.0, rgb, rgb + 1, rgb + 2);
        } else {
            for (const Ramp& ramp : kRamps) {
                if (name == ramp.name) {
                    rgb[0] = t * ramp.red;
                    rgb[1] = t * ramp.green;
                    rgb[2] = t * ramp.blue;
                }
            }
        }
        table->SetTableValue(i, rgb[0], rgb[1], rgb[2], 1.0);
    }
    table->Modified();
    return true;
}

}  // namespace wexlan::LookupTables
