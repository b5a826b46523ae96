#pragma once
// A CT of a chest as a scanner would give it, for benchmarks and for looking at pictures:
// air around a body of fat and soft tissue, two lungs, a heart whose chambers and the
// aorta hold contrast, a spine of vertebrae and discs, ribs and a sternum, in Hounsfield
// units with the soft edges of partial volume and a little noise. The slices are made on
// every core.

#include <vtkImageData.h>
#include <vtkSmartPointer.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

namespace wexlan::bench {

namespace phantom {

// How much of a voxel lies inside a shape whose signed distance (mm, negative inside)
// is `distance`, over an edge `edge` mm wide.
inline double Inside(double distance, double edge) {
    const double t = std::clamp(0.5 - distance / edge, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Approximate signed distance (mm) to an ellipsoid centred at c with semi-axes a.
inline double Ellipsoid(double x, double y, double z, const double c[3], const double a[3]) {
    const double u = (x - c[0]) / a[0], v = (y - c[1]) / a[1], w = (z - c[2]) / a[2];
    return (std::sqrt(u * u + v * v + w * w) - 1) * std::min({a[0], a[1], a[2]});
}

// Noise of +-amplitude, the same for the same voxel.
inline double Noise(std::uint32_t i, double amplitude) {
    i ^= i >> 16;
    i *= 0x7feb352dU;
    i ^= i >> 15;
    i *= 0x846ca68bU;
    i ^= i >> 16;
    return (static_cast<double>(i & 0xffff) / 65535.0 * 2 - 1) * amplitude;
}

// The HU value at (x, y, z) mm: x to the patient's left, y to the back, z up (LPS).
inline double Value(double x, double y, double z) {
    const double edge = 1.2;
    double hu = -1000;
    auto paint = [&](double share, double value) { hu += share * (value - hu); };
    // Body: a slightly flattened cylinder, a fat layer under the skin.
    const double body = (std::hypot(x / 165, (y - 5) / 115) - 1) * 115;
    paint(Inside(body, edge), -90);
    paint(Inside(body + 12, edge), 45);
    // Lungs.
    const double lungL[3] = {78, 5, 10}, lungR[3] = {-78, 5, 10}, lungA[3] = {58, 80, 150};
    paint(Inside(Ellipsoid(x, y, z, lungL, lungA), edge), -860);
    paint(Inside(Ellipsoid(x, y, z, lungR, lungA), edge), -860);
    // Heart, its chambers with contrast, and the aorta.
    const double heart[3] = {18, -30, -40}, heartA[3] = {62, 50, 55};
    const double chamber[3] = {22, -32, -38}, chamberA[3] = {35, 28, 32};
    paint(Inside(Ellipsoid(x, y, z, heart, heartA), edge), 42);
    paint(Inside(Ellipsoid(x, y, z, chamber, chamberA), edge), 260);
    paint(Inside(std::hypot(x - 18, y - 38) - 13, edge), 300);
    // Spine: vertebral bodies every 30 mm with discs between, cortical rims.
    const double disc = std::fabs(std::fmod(z + 3000, 30.0) - 15) - 12;  // < 0 in a body
    const double spine = std::hypot(x, y - 78) - 21;
    paint(Inside(spine, edge), disc < 0 ? 820 : 90);
    paint(Inside(spine + 3, edge) * (disc < -2 ? 1 : 0), 260);
    // Spinous processes behind the bodies.
    paint(Inside(std::max(std::fabs(x) - 6, std::fabs(y - 118) - 14), edge) * (disc < 0 ? 1 : 0),
          700);
    // Ribs: rings around the chest every 26 mm, dropping towards the front.
    const double around = std::hypot(x / 150, (y - 5) / 102);
    const double ribZ = z + 25 * std::clamp((8 - y) / 120, 0.0, 1.0);
    const double ribLevel = std::fabs(std::fmod(ribZ + 2600, 26.0) - 13);
    const double rib = std::hypot((around - 1) * 102, 13 - ribLevel) - 5;
    paint(Inside(rib, edge) * (y > -70 ? 1 : 0) * (z < 140 ? 1 : 0), 720);
    // Sternum.
    paint(Inside(std::max(std::fabs(x) - 14, std::fabs(y + 98) - 7), edge), 600);
    return hu;
}

}  // namespace phantom

/// A signed 16-bit CT of nx x ny x nz voxels of `spacing` mm, centred on the origin in
/// patient coordinates (LPS).
inline vtkSmartPointer<vtkImageData> ChestCt(int nx, int ny, int nz, const double spacing[3]) {
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(nx, ny, nz);
    image->SetSpacing(spacing[0], spacing[1], spacing[2]);
    image->SetOrigin(-spacing[0] * (nx - 1) / 2, -spacing[1] * (ny - 1) / 2,
                     -spacing[2] * (nz - 1) / 2);
    image->AllocateScalars(VTK_SHORT, 1);
    auto* voxels = static_cast<std::int16_t*>(image->GetScalarPointer());
    double origin[3];
    image->GetOrigin(origin);
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    for (unsigned core = 0; core < cores; ++core) {
        workers.emplace_back([&, core] {
            for (int k = static_cast<int>(core); k < nz; k += static_cast<int>(cores)) {
                const double z = origin[2] + k * spacing[2];
                for (int j = 0; j < ny; ++j) {
                    const double y = origin[1] + j * spacing[1];
                    std::int16_t* row = voxels + (static_cast<std::size_t>(k) * ny + j) * nx;
                    for (int i = 0; i < nx; ++i) {
                        const double x = origin[0] + i * spacing[0];
                        const auto index = static_cast<std::uint32_t>((k * ny + j) * nx + i);
                        const double hu = phantom::Value(x, y, z) + phantom::Noise(index, 18);
                        row[i] = static_cast<std::int16_t>(std::lround(std::clamp(hu, -1024.0, 3071.0)));
                    }
                }
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    image->Modified();
    return image;
}

}  // namespace wexlan::bench
