// Matrix products, rotations and the Gauss-Jordan inverse, including its pivot swap and the
// identity it gives for singular input.
#include "anim/matrix.h"

#include <random>

#include <gtest/gtest.h>

#include "point_check.h"

namespace quor {
namespace {

constexpr float half_pi = 1.57079632679f;

using test::apply;
using test::expect_near;

void expect_near(const mat4& a, const mat4& b, float tolerance)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
}

TEST(Matrix, ProductAppliesTheRightFactorFirst)
{
    mat4 t, s, m;
    multiply(m, translation(t, vec3(1, 2, 3)), scaling(s, 2, 2, 2));
    expect_near(apply(m, vec3(1, 1, 1)), vec3(3, 4, 5));

    multiply(t, t, s); // output aliasing an input
    expect_near(t, m, 0);
}

TEST(Matrix, RotationsAreRightHanded)
{
    mat4 r;
    rotation_y(r, half_pi);
    expect_near(apply(r, vec3(0, 0, -1)), vec3(-1, 0, 0));
    expect_near(apply(r, vec3(1, 0, 0)), vec3(0, 0, -1));
    expect_near(apply(rotation_x(r, half_pi), vec3(0, 1, 0)), vec3(0, 0, 1));
    expect_near(apply(rotation_z(r, half_pi), vec3(1, 0, 0)), vec3(0, 1, 0));
}

TEST(Matrix, TransposeSwapsRowsAndColumns)
{
    mat4 m(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    transpose(m, m);
    EXPECT_EQ(m(0, 3), 12);
    EXPECT_EQ(m(3, 0), 3);
    EXPECT_EQ(m(2, 1), 6);
}

TEST(MatrixInverse, OfATranslation)
{
    mat4 t, inv, expected;
    inverse(inv, translation(t, vec3(1, 2, 3)));
    expect_near(inv, translation(expected, vec3(-1, -2, -3)), 0);
}

TEST(MatrixInverse, SingularGivesTheIdentity)
{
    mat4 id;
    identity(id);
    mat4 zero_row(1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8, 9, 1, 2, 3);
    mat4 inv;
    expect_near(inverse(inv, zero_row), id, 0);
    mat4 equal_rows(1, 2, 3, 4, 1, 2, 3, 4, 0, 0, 1, 0, 0, 0, 0, 1);
    expect_near(inverse(inv, equal_rows), id, 0);
}

TEST(MatrixInverse, ZeroPivotSwapsWithAUsableRow)
{
    mat4 m(0, 2, 0, 0, 1, 0, 0, 0, 0, 0, 0, 3, 0, 0, 1, 0);
    mat4 inv, product, id;
    inverse(inv, m);
    expect_near(multiply(product, inv, m), identity(id), 1e-6f);
    EXPECT_FLOAT_EQ(inv(0, 1), 1);
    EXPECT_FLOAT_EQ(inv(1, 0), 0.5f);
}

TEST(MatrixInverse, RandomWellConditionedMatrices)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> off(-1, 1), diag(3, 5), sign(0, 1);
    mat4 id;
    identity(id);
    for (int n = 0; n < 200; ++n) {
        mat4 m, inv, product;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                m(r, c) = r == c ? (sign(rng) < 0.5f ? -diag(rng) : diag(rng)) : off(rng);
        inverse(inv, m);
        expect_near(multiply(product, inv, m), id, 1e-5f);
        expect_near(multiply(product, m, inv), id, 1e-5f);
    }
}

} // namespace
} // namespace quor
