// Test helpers for matrices: a point through a mat4 (column vector, w = 1) and near-equality of
// points. Shared by the matrix and transformation tests.
#pragma once

#include <gtest/gtest.h>

#include "anim/matrix.h"

namespace quor::test {

inline vec3 apply(const mat4& m, const vec3& p)
{
    vec3 r;
    for (int i = 0; i < 3; ++i)
        r[i] = m(i, 0) * p.x + m(i, 1) * p.y + m(i, 2) * p.z + m(i, 3);
    return r;
}

inline void expect_near(const vec3& a, const vec3& b)
{
    EXPECT_NEAR(a.x, b.x, 1e-6);
    EXPECT_NEAR(a.y, b.y, 1e-6);
    EXPECT_NEAR(a.z, b.z, 1e-6);
}

} // namespace quor::test
