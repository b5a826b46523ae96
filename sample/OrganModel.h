#pragma once
// Synthetic anatomy for the sample cases: smooth organ-like surfaces, landmarks on them,
// scanner-like point samples, and a CT-like volume in which the organ sits.
//
// Everything is made from formulas and a fixed random seed, so every build produces the
// same files. Coordinates are millimetres; the volume and the surfaces share one frame.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace wexlan::sample {

using Vec3 = std::array<double, 3>;

/// A closed surface given by a radius for every direction around a centre.
struct OrganShape {
    Vec3 centre;
    Vec3 radii;     // of the underlying ellipsoid
    double indent;  // depth of a kidney-like notch (0 for none), relative
    double bumps;   // amplitude of gentle lobes, relative
    double lean;    // shear of the top towards +x, relative (liver-like wedge)

    /// The surface point at polar angle theta (0..pi) and azimuth phi (0..2pi).
    Vec3 PointAt(double theta, double phi) const;
    /// Whether p lies inside the surface.
    bool Contains(const Vec3& p) const;
};

struct Mesh {
    std::vector<Vec3> points;
    std::vector<std::array<std::uint32_t, 3>> triangles;
};

/// A latitude-longitude triangulation of the shape with `rings` x `segments` quads.
Mesh Triangulate(const OrganShape& shape, int rings, int segments);

struct Landmark {
    std::string label;
    Vec3 position;
};

/// `count` points spread over the surface with Gaussian noise of `noise` mm.
std::vector<Vec3> ScanPoints(const OrganShape& shape, int count, double noise, std::uint32_t seed);

/// A CT-like volume (values are Hounsfield units + 1024): air, a body of fat and soft
/// tissue, a spine, and the organ slightly brighter than its surroundings.
struct Volume {
    int nx, ny, nz;
    double spacing[3];
    double origin[3];
    std::vector<std::uint16_t> values;  // x fastest, then y, then z
};

Volume Phantom(const OrganShape& organ, int nx, int ny, int nz, const double spacing[3]);

}  // namespace wexlan::sample
