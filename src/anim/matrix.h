// 4x4 single-precision matrices (row-major, acting on column vectors: translation in the last
// column) and three-float vectors. Operations write into a caller's output and return it, so
// calls nest; the output may be one of the inputs.
#pragma once

namespace quor {

struct vec3 {
    float x = 0, y = 0, z = 0;

    vec3() = default;
    vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    float& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
    float operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
    vec3& operator*=(float k)
    {
        x *= k;
        y *= k;
        z *= k;
        return *this;
    }
    vec3 operator*(float k) const { return vec3(*this) *= k; }
};

struct mat4 {
    float m[16] = {}; // element (row r, column c) at 4r + c

    mat4() = default;
    mat4(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13, float m20,
         float m21, float m22, float m23, float m30, float m31, float m32, float m33)
        : m{m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33}
    {
    }
    float& operator()(int r, int c) { return m[4 * r + c]; }
    float operator()(int r, int c) const { return m[4 * r + c]; }
    const float* data() const { return m; }
};

mat4& identity(mat4& out);
mat4& transpose(mat4& out, const mat4& m);
// a x b: b is applied first. Partial sums are rounded to single precision.
mat4& multiply(mat4& out, const mat4& a, const mat4& b);
// Gauss-Jordan with the largest pivot of each column; a singular m (no pivot above 1e-8 in
// magnitude) gives the identity.
mat4& inverse(mat4& out, const mat4& m);
mat4& translation(mat4& out, const vec3& v);
mat4& scaling(mat4& out, float x, float y, float z);
// Right-handed rotations, angles in radians.
mat4& rotation_x(mat4& out, float a);
mat4& rotation_y(mat4& out, float a);
mat4& rotation_z(mat4& out, float a);
mat4& swap_rows(mat4& m, int i, int j);
mat4& scale_row(mat4& m, int i, float k);

} // namespace quor
