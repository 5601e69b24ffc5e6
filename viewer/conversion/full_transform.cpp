#include "conversion/full_transform.h"

#include <algorithm>
#include <cmath>

fpt fm_transform::Apply(const fpt &p) const
{
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
            m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

fpt fm_transform::ApplyVector(const fpt &v) const
{
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

fm_transform fm_transform::After(const fm_transform &inner) const
{
    fm_transform r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            double s = j == 3 ? m[i][3] : 0.0;
            for (int k = 0; k < 3; ++k)
                s += m[i][k] * inner.m[k][j];
            r.m[i][j] = s;
        }
    }
    return r;
}

double fm_transform::Scale() const
{
    double best = 0.0;
    for (int j = 0; j < 3; ++j)
        best = std::max(best, std::sqrt(m[0][j] * m[0][j] + m[1][j] * m[1][j] + m[2][j] * m[2][j]));
    return best;
}

bool fm_transform::Mirrors() const
{
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    return det < 0.0;
}

fm_transform fm_transform::Translation(const fpt &offset)
{
    fm_transform t;
    t.m[0][3] = offset.x;
    t.m[1][3] = offset.y;
    t.m[2][3] = offset.z;
    return t;
}

fm_transform fm_transform::Scaling(double sx, double sy, double sz)
{
    fm_transform t;
    t.m[0][0] = sx;
    t.m[1][1] = sy;
    t.m[2][2] = sz;
    return t;
}

fm_transform fm_transform::RotationZ(double radians)
{
    fm_transform t;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    t.m[0][0] = c;
    t.m[0][1] = -s;
    t.m[1][0] = s;
    t.m[1][1] = c;
    return t;
}

fm_transform fm_transform::Axes(const fpt &x_axis, const fpt &y_axis, const fpt &z_axis)
{
    fm_transform t;
    const fpt axes[3] = {x_axis, y_axis, z_axis};
    for (int j = 0; j < 3; ++j) {
        t.m[0][j] = axes[j].x;
        t.m[1][j] = axes[j].y;
        t.m[2][j] = axes[j].z;
    }
    return t;
}

fm_transform ocs_transform(const fpt &normal)
{
    const double length = fpt_length(normal);
    if (!(length > 0.0) || !std::isfinite(length))
        return {};
    const fpt n = normal * (1.0 / length);
    if (n.x == 0.0 && n.y == 0.0 && n.z > 0.0)
        return {};
    const fpt world_axis = (std::fabs(n.x) < 1.0 / 64.0 && std::fabs(n.y) < 1.0 / 64.0)
                               ? fpt{0.0, 1.0, 0.0}
                               : fpt{0.0, 0.0, 1.0};
    const fpt ax = fpt_scale_to_length(fpt_cross(world_axis, n), 1.0);
    const fpt ay = fpt_scale_to_length(fpt_cross(n, ax), 1.0);
    return fm_transform::Axes(ax, ay, n);
}
