#include "OrganModel.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace wexlan::sample {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Radius scale for a unit direction: the notch and lobes that make the ellipsoid look
// like an organ.
double Relief(const OrganShape& s, double theta, double phi) {
    // The notch faces -x at the equator (a kidney's hilum).
    const double dTheta = theta - kPi / 2, dPhi = std::remainder(phi - kPi, 2 * kPi);
    const double notch = s.indent * std::exp(-(dTheta * dTheta + dPhi * dPhi) / 0.35);
    const double lobes =
        s.bumps * (std::sin(3 * theta) * std::cos(2 * phi) + 0.5 * std::cos(5 * theta + phi));
    return 1.0 - notch + lobes;
}

}  // namespace

Vec3 OrganShape::PointAt(double theta, double phi) const {
    const double k = Relief(*this, theta, phi);
    const double z = radii[2] * std::cos(theta) * k;
    const double x = radii[0] * std::sin(theta) * std::cos(phi) * k + lean * z;
    const double y = radii[1] * std::sin(theta) * std::sin(phi) * k;
    return {centre[0] + x, centre[1] + y, centre[2] + z};
}

bool OrganShape::Contains(const Vec3& p) const {
    // Undo the shear, then compare the ellipsoidal radius with the relief there.
    const double z = p[2] - centre[2];
    const double x = (p[0] - centre[0] - lean * z) / radii[0];
    const double y = (p[1] - centre[1]) / radii[1];
    const double zz = z / radii[2];
    const double r = std::sqrt(x * x + y * y + zz * zz);
    if (r == 0) {
        return true;
    }
    const double theta = std::acos(std::max(-1.0, std::min(1.0, zz / r)));
    double phi = std::atan2(y, x);
    if (phi < 0) {
        phi += 2 * kPi;
    }
    return r <= Relief(*this, theta, phi);
}

Mesh Triangulate(const OrganShape& shape, int rings, int segments) {
    Mesh mesh;
    mesh.points.push_back(shape.PointAt(0, 0));  // north pole
    for (int r = 1; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            mesh.points.push_back(shape.PointAt(kPi * r / rings, 2 * kPi * s / segments));
        }
    }
    mesh.points.push_back(shape.PointAt(kPi, 0));  // south pole
    const auto south = static_cast<std::uint32_t>(mesh.points.size() - 1);
    const auto at = [segments](int ring, int s) {
        return static_cast<std::uint32_t>(1 + (ring - 1) * segments + (s % segments));
    };
    for (int s = 0; s < segments; ++s) {
        mesh.triangles.push_back({0, at(1, s), at(1, s + 1)});
        mesh.triangles.push_back({south, at(rings - 1, s + 1), at(rings - 1, s)});
    }
    for (int r = 1; r + 1 < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            mesh.triangles.push_back({at(r, s), at(r + 1, s), at(r + 1, s + 1)});
            mesh.triangles.push_back({at(r, s), at(r + 1, s + 1), at(r, s + 1)});
        }
    }
    return mesh;
}

std::vector<Vec3> ScanPoints(const OrganShape& shape, int count, double noise, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::normal_distribution<double> jitter(0.0, noise);
    std::vector<Vec3> points;
    points.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        // Uniform over the sphere of directions, like a scanner sweeping around.
        const double theta = std::acos(1 - 2 * unit(random));
        const double phi = 2 * kPi * unit(random);
        Vec3 p = shape.PointAt(theta, phi);
        for (double& c : p) {
            c += jitter(random);
        }
        points.push_back(p);
    }
    return points;
}

Volume Phantom(const OrganShape& organ, int nx, int ny, int nz, const double spacing[3]) {
    Volume v{nx, ny, nz, {spacing[0], spacing[1], spacing[2]}, {0, 0, 0}, {}};
    // The organ's centre is the volume's centre.
    for (int i = 0; i < 3; ++i) {
        const int n = i == 0 ? nx : i == 1 ? ny : nz;
        v.origin[i] = organ.centre[i] - 0.5 * (n - 1) * spacing[i];
    }
    v.values.resize(static_cast<std::size_t>(nx) * ny * nz);
    const double bodyA = 0.46 * nx * spacing[0], bodyB = 0.40 * ny * spacing[1];
    std::mt19937 random(7);
    std::normal_distribution<double> grain(0.0, 12.0);  // scanner noise in HU
    std::size_t i = 0;
    for (int z = 0; z < nz; ++z) {
        for (int y = 0; y < ny; ++y) {
            for (int x = 0; x < nx; ++x, ++i) {
                const Vec3 p = {v.origin[0] + x * spacing[0], v.origin[1] + y * spacing[1],
                                v.origin[2] + z * spacing[2]};
                const double dx = (p[0] - organ.centre[0]) / bodyA;
                const double dy = (p[1] - organ.centre[1]) / bodyB;
                const double body = dx * dx + dy * dy;
                double hu = -1000;  // air
                if (body < 1.0)
                    hu = -100;  // fat
                if (body < 0.82)
                    hu = 40;                           // soft tissue
                const double sx = dx, sy = dy + 0.62;  // spine behind the organ
                if (sx * sx + sy * sy < 0.012)
                    hu = 700;  // vertebral body
                if (organ.Contains(p))
                    hu = 80;  // the organ, contrast-enhanced
                if (body < 1.0)
                    hu += grain(random);
                const double stored = std::max(0.0, std::min(4095.0, hu + 1024));
                v.values[i] = static_cast<std::uint16_t>(stored);
            }
        }
    }
    return v;
}

}  // namespace wexlan::sample
