// Matrix and vector primitives: single-precision products and a Gauss-Jordan inverse with
// partial pivoting that falls back to the identity for a singular matrix.
#include "anim/matrix.h"

#include <cmath>
#include <utility>

namespace quor {

mat4& identity(mat4& out)
{
    out = mat4(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

mat4& transpose(mat4& out, const mat4& m)
{
    mat4 t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            t(r, c) = m(c, r);
    out = t;
    return out;
}

mat4& multiply(mat4& out, const mat4& a, const mat4& b)
{
    mat4 result;
    for (int i = 0; i < 4; ++i) {
        float row[4] = {};
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                row[j] += a(i, k) * b(k, j);
        for (int j = 0; j < 4; ++j)
            result(i, j) = row[j];
    }
    out = result;
    return out;
}

mat4& inverse(mat4& out, const mat4& m)
{
    mat4 a = m;
    mat4 b;
    identity(b);
    for (int r = 0; r < 4; ++r) {
        // The largest pivot in the column: dividing by a small one (a camera heading along x puts
        // cos(heading) there) would amplify single-precision rounding into a visibly wrong view.
        int pivot = r;
        for (int q = r + 1; q < 4; ++q)
            if (std::fabs(a(q, r)) > std::fabs(a(pivot, r)))
                pivot = q;
        if (std::fabs(a(pivot, r)) <= 1e-8f)
            return identity(out);
        if (pivot != r) {
            swap_rows(a, r, pivot);
            swap_rows(b, r, pivot);
        }
        if (a(r, r) != 1) {
            const float k = 1 / a(r, r);
            scale_row(a, r, k);
            scale_row(b, r, k);
        }
        for (int s = r + 1; s < 4; ++s) {
            for (int c = r + 1; c < 4; ++c)
                a(s, c) -= a(s, r) * a(r, c);
            for (int c = 0; c < 4; ++c)
                b(s, c) -= a(s, r) * b(r, c);
        }
    }
    for (int s = 3; s >= 0; --s)
        for (int p = 0; p < s; ++p)
            for (int c = 0; c < 4; ++c)
                b(p, c) -= a(p, s) * b(s, c);
    out = b;
    return out;
}

mat4& translation(mat4& out, const vec3& v)
{
    out = mat4(1, 0, 0, v.x, 0, 1, 0, v.y, 0, 0, 1, v.z, 0, 0, 0, 1);
    return out;
}

mat4& scaling(mat4& out, float x, float y, float z)
{
    out = mat4(x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1);
    return out;
}

mat4& rotation_x(mat4& out, float a)
{
    const float c = std::cos(a), s = std::sin(a);
    out = mat4(1, 0, 0, 0, 0, c, -s, 0, 0, s, c, 0, 0, 0, 0, 1);
    return out;
}

mat4& rotation_y(mat4& out, float a)
{
    const float c = std::cos(a), s = std::sin(a);
    out = mat4(c, 0, s, 0, 0, 1, 0, 0, -s, 0, c, 0, 0, 0, 0, 1);
    return out;
}

mat4& rotation_z(mat4& out, float a)
{
    const float c = std::cos(a), s = std::sin(a);
    out = mat4(c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

mat4& swap_rows(mat4& m, int i, int j)
{
    for (int c = 0; c < 4; ++c)
        std::swap(m(i, c), m(j, c));
    return m;
}

mat4& scale_row(mat4& m, int i, float k)
{
    for (int c = 0; c < 4; ++c)
        m(i, c) *= k;
    return m;
}

} // namespace quor
