#include <gtest/gtest.h>
#include <maya/MDoubleArray.h>
#include <maya/MFloatPoint.h>
#include <maya/MFloatPointArray.h>
#include <maya/MIntArray.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MTypeId.h>
#include <maya/MVector.h>
#include <sstream>

namespace {

MString withDouble(double value) {
    return MString() + value;
}

MMatrix translation(double x, double y, double z) {
    MMatrix m;
    m[3][0] = x;
    m[3][1] = y;
    m[3][2] = z;
    return m;
}

// Rotation by 90 degrees about Z in the row-vector convention: x axis -> y axis.
MMatrix rotateZ90() {
    const double m[4][4] = {{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    return MMatrix(m);
}

} // namespace

TEST(MStringTest, DoublesPrintLikePercentG) {
    EXPECT_EQ(withDouble(0.5), "0.5");
    EXPECT_EQ(withDouble(1.0), "1");
    EXPECT_EQ(withDouble(1e-05), "1e-05");
    EXPECT_EQ(withDouble(1.0 / 3.0), "0.333333");
    EXPECT_EQ(withDouble(123456789.0), "1.23457e+08");
    EXPECT_EQ(withDouble(-2.25), "-2.25");
    EXPECT_EQ(MString("w") + 0.1f, "w0.1");

    MString s;
    s.set(3.0);
    EXPECT_EQ(s, "3");
    s = 0.25;
    EXPECT_EQ(s, "0.25");
    s.set(2.0 / 3.0, 2);
    EXPECT_EQ(s, "0.67");
    s += 7;
    s += 8u;
    EXPECT_EQ(s, "0.6778");
    EXPECT_EQ("pre" + MString("fix") + -3, "prefix-3");
}

TEST(MStringTest, ConversionsAndConstruction) {
    EXPECT_EQ(MString("12.5abc").asDouble(), 12.5);
    EXPECT_EQ(MString("-42").asInt(), -42);
    EXPECT_EQ(MString("nope").asInt(), 0);
    EXPECT_EQ(MString("17").asUnsigned(), 17u);
    EXPECT_EQ(MString("abcdef", 3), "abc");
    EXPECT_EQ(MString(static_cast<const char*>(nullptr)), "");
    MString wide(L"h\u00e9");
    EXPECT_EQ(wide.length(), 3u);
    EXPECT_EQ(wide.numChars(), 2u);
    EXPECT_EQ(wide, "h\xc3\xa9");
    EXPECT_EQ(MString("MiXeD").toLowerCase(), "mixed");
    EXPECT_EQ(MString("MiXeD").toUpperCase(), "MIXED");
    std::ostringstream os;
    os << MString("out");
    EXPECT_EQ(os.str(), "out");
    EXPECT_TRUE(MString("a") < MString("b"));
}

TEST(MStringTest, FormatSubstitutesNumberedArguments) {
    MString s;
    EXPECT_TRUE(s.format("aliasAttr('^1s', '^2s.^3s')", "w0", "node", "weight[0]"));
    EXPECT_EQ(s, "aliasAttr('w0', 'node.weight[0]')");

    EXPECT_TRUE(s.format("^2s^1s^2s", "a", "b"));
    EXPECT_EQ(s, "bab");

    // An explicitly empty argument is used, not mistaken for a missing one.
    EXPECT_TRUE(s.format("[^1s]", MString()));
    EXPECT_EQ(s, "[]");

    EXPECT_TRUE(s.format("^10s/^1s", "1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"));
    EXPECT_EQ(s, "ten/1");

    // Markers naming no argument stay as written; a lone caret is text.
    EXPECT_EQ(s.format("^1s ^3s ^ ^x", "one"), MS::kInvalidParameter);
    EXPECT_EQ(s, "one ^3s ^ ^x");

    MStringArray args;
    args.append("x");
    args.append("y");
    EXPECT_TRUE(s.format("^2s-^1s", args));
    EXPECT_EQ(s, "y-x");

    // The format may be the string being written.
    s = "<^1s>";
    EXPECT_TRUE(s.format(s, "in"));
    EXPECT_EQ(s, "<in>");
}

TEST(MStringTest, SearchAndSubstringEdges) {
    const MString s("a.b.c");
    EXPECT_EQ(s.index('.'), 1);
    EXPECT_EQ(s.rindex('.'), 3);
    EXPECT_EQ(s.rindex('z'), -1);
    EXPECT_EQ(MString().rindex('.'), -1);

    EXPECT_EQ(s.substring(0, 0), "a");
    EXPECT_EQ(s.substring(2, 4), "b.c");
    EXPECT_EQ(s.substring(2, 99), "b.c");
    EXPECT_EQ(s.substring(-5, 1), "a.");
    EXPECT_EQ(s.substring(3, 2), "");
    EXPECT_EQ(s.substring(s.rindex('.') + 1, s.length() - 1), "c");

    const MString wide(L"\u00e9t\u00e9");
    EXPECT_EQ(wide.indexW('t'), 1);
    EXPECT_EQ(wide.index('t'), 2);
    EXPECT_EQ(wide.substringW(1, 2), "t\xc3\xa9");
}

TEST(MStringTest, SplitDropsEmptyPieces) {
    MStringArray parts;
    parts.append("stale");
    EXPECT_TRUE(MString(",a,,b,").split(',', parts));
    ASSERT_EQ(parts.length(), 2u);
    EXPECT_EQ(parts[0], "a");
    EXPECT_EQ(parts[1], "b");
    EXPECT_EQ(parts.indexOf("b"), 1);
    EXPECT_EQ(parts.indexOf("c"), -1);

    MString("no delimiter").split(',', parts);
    ASSERT_EQ(parts.length(), 1u);
    EXPECT_EQ(parts[0], "no delimiter");

    MString("").split(',', parts);
    EXPECT_EQ(parts.length(), 0u);
}

TEST(MStatusTest, CodesAndConversions) {
    MStatus ok;
    EXPECT_TRUE(ok);
    EXPECT_FALSE(ok.error());
    EXPECT_EQ(ok, MS::kSuccess);
    EXPECT_TRUE(MS::kSuccess == ok);

    MStatus bad(MS::kNotFound);
    EXPECT_FALSE(bad);
    EXPECT_TRUE(bad.error());
    EXPECT_EQ(bad.statusCode(), MS::kNotFound);
    EXPECT_TRUE(MS::kFailure != bad);
    bad.clear();
    EXPECT_TRUE(bad);

    for (int code = MS::kSuccess; code <= MS::kEndOfFile; ++code) {
        const MString text = MStatus(static_cast<MS::MStatusCode>(code)).errorString();
        EXPECT_EQ(text.substring(0, 1), "(k") << code;
        EXPECT_GT(text.length(), 5u) << code;
    }
    EXPECT_EQ(MStatus(MS::kFailure).errorString(), "(kFailure): Unexpected Internal Failure");
}

namespace {
int returnsEarly(MStatus status, int* reached) {
    CHECK_MSTATUS_AND_RETURN(status, -1);
    *reached = 1;
    return 0;
}
MStatus forwardsStatus(MStatus status) {
    CHECK_MSTATUS_AND_RETURN_IT(status);
    return MS::kSuccess;
}
} // namespace

TEST(MStatusTest, CheckMacros) {
    int reached = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(returnsEarly(MS::kFailure, &reached), -1);
    EXPECT_EQ(forwardsStatus(MS::kInvalidParameter), MS::kInvalidParameter);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(reached, 0);
    EXPECT_NE(err.find("foundation_test.cpp"), std::string::npos);
    EXPECT_NE(err.find("(kInvalidParameter)"), std::string::npos);
    EXPECT_EQ(returnsEarly(MS::kSuccess, &reached), 0);
    EXPECT_EQ(reached, 1);
}

TEST(MTypeIdTest, IdAndComparison) {
    MStatus status(MS::kFailure);
    EXPECT_EQ(MTypeId(0x140541).id(&status), 0x140541u);
    EXPECT_TRUE(status);
    EXPECT_EQ(MTypeId(5), MTypeId(5));
    EXPECT_NE(MTypeId(5), MTypeId(6));
}

TEST(MMatrixTest, RowVectorConvention) {
    MPoint p(1, 2, 3);
    p *= translation(10, 20, 30);
    EXPECT_TRUE(p.isEquivalent(MPoint(11, 22, 33)));
    EXPECT_EQ(p.w, 1.0);

    EXPECT_TRUE((MPoint(1, 0, 0) * rotateZ90()).isEquivalent(MPoint(0, 1, 0)));
    // Rotate then translate: the left matrix applies first.
    const MMatrix rt = rotateZ90() * translation(5, 0, 0);
    EXPECT_TRUE((MPoint(1, 0, 0) * rt).isEquivalent(MPoint(5, 1, 0)));
    // Directions ignore translation.
    EXPECT_TRUE((MVector(1, 0, 0) * rt).isEquivalent(MVector(0, 1, 0)));
    // A projective column carries into w without division.
    MMatrix projective;
    projective[3][3] = 2.0;
    EXPECT_EQ((MPoint(1, 1, 1) * projective).w, 2.0);
    MPoint homogeneous(2, 4, 6, 2);
    EXPECT_TRUE(homogeneous.cartesianize().isEquivalent(MPoint(1, 2, 3)));

    EXPECT_EQ(rt.transpose()(0, 3), 5.0);
    EXPECT_EQ(MMatrix(), MMatrix::identity);
    EXPECT_DOUBLE_EQ(rt.det4x4(), 1.0);
}

TEST(MMatrixTest, InverseRoundTrip) {
    const double values[4][4] = {{2, 0.5, 0, 0}, {0.25, 3, 1, 0}, {0, -1, 1.5, 0}, {4, -2, 7, 1}};
    const MMatrix m(values);
    EXPECT_TRUE((m * m.inverse()).isEquivalent(MMatrix::identity, 1e-12));
    EXPECT_TRUE((m.inverse() * m).isEquivalent(MMatrix::identity, 1e-12));

    const MPoint p(0.3, -1.7, 2.9);
    EXPECT_TRUE((p * m * m.inverse()).isEquivalent(p, 1e-12));
    EXPECT_TRUE((translation(1, 2, 3).inverse()).isEquivalent(translation(-1, -2, -3)));

    MMatrix accumulated = m;
    accumulated *= m.inverse();
    EXPECT_TRUE(accumulated.isEquivalent(MMatrix::identity, 1e-12));
}

TEST(MVectorTest, CrossDotNormalize) {
    EXPECT_EQ(MVector::xAxis ^ MVector::yAxis, MVector::zAxis);
    EXPECT_EQ(MVector::yAxis ^ MVector::xAxis, -MVector::zAxis);
    EXPECT_EQ(MVector(1, 2, 3) * MVector(4, -5, 6), 12.0);
    EXPECT_EQ(2.0 * MVector(1, 2, 3), MVector(2, 4, 6));

    MVector v(3, 0, 4);
    EXPECT_EQ(v.length(), 5.0);
    EXPECT_TRUE(v.normalize());
    EXPECT_TRUE(v.isEquivalent(MVector(0.6, 0, 0.8)));

    MVector zero;
    EXPECT_TRUE(zero.normalize());
    EXPECT_EQ(zero, MVector::zero);
    EXPECT_EQ(MVector::zero.normal(), MVector::zero);
}

TEST(MathTest, PointVectorArithmetic) {
    const MPoint a(1, 2, 3), b(4, 6, 3);
    const MVector d = b - a;
    EXPECT_EQ(d, MVector(3, 4, 0));
    EXPECT_EQ(a.distanceTo(b), 5.0);
    EXPECT_EQ(a + d, b);
    EXPECT_EQ(b - d, a);
    MPoint c = a;
    c += d;
    c -= d * 2.0;
    EXPECT_EQ(c, MPoint(-2, -2, 3));
    EXPECT_EQ(MPoint(1, 2, 3, 1) * 2.0, MPoint(2, 4, 6, 1));

    const MFloatPoint f(a);
    EXPECT_EQ(MPoint(f), a);
    EXPECT_EQ(MVector(MFloatVector(0.5f, 1, 2)), MVector(0.5, 1, 2));
}

TEST(MathTest, IsEquivalentToleranceIsInclusivePerComponent) {
    const MPoint p(1, 1, 1);
    EXPECT_TRUE(p.isEquivalent(MPoint(1.25, 0.75, 1), 0.25));
    EXPECT_FALSE(p.isEquivalent(MPoint(1.25, 1, 1.5), 0.25));
    // w takes part: a point and its homogeneous double are not equivalent.
    EXPECT_FALSE(p.isEquivalent(MPoint(2, 2, 2, 2), 0.25));
    EXPECT_TRUE(p.isEquivalent(MPoint(1 + 5e-11, 1, 1)));
    EXPECT_FALSE(p.isEquivalent(MPoint(1 + 1e-9, 1, 1)));

    // The metric is per component, not Euclidean: a diagonal offset of 0.25 each is inside 0.25.
    EXPECT_TRUE(MVector(0, 0, 0).isEquivalent(MVector(0.25, 0.25, 0.25), 0.25));
    EXPECT_FALSE(MVector(0, 0, 0).isEquivalent(MVector(0, 0, 0.5), 0.25));

    MMatrix m;
    m[2][1] = 0.5;
    EXPECT_TRUE(m.isEquivalent(MMatrix::identity, 0.5));
    EXPECT_FALSE(m.isEquivalent(MMatrix::identity, 0.25));
}

TEST(ArrayTest, SetLengthInsertRemoveBounds) {
    MDoubleArray d(2, 7.0);
    d.setLength(4);
    ASSERT_EQ(d.length(), 4u);
    EXPECT_EQ(d[1], 7.0);
    EXPECT_EQ(d[3], 0.0);

    EXPECT_TRUE(d.insert(1.5, 4)); // at the end = append
    EXPECT_EQ(d.insert(9.0, 6), MS::kFailure);
    EXPECT_TRUE(d.insert(-1.0, 0));
    EXPECT_EQ(d.length(), 6u);
    EXPECT_EQ(d[0], -1.0);
    EXPECT_EQ(d[5], 1.5);

    EXPECT_EQ(d.remove(6), MS::kFailure);
    EXPECT_TRUE(d.remove(0));
    EXPECT_EQ(d[0], 7.0);
    EXPECT_EQ(d.set(3.0, 5), MS::kFailure);
    EXPECT_TRUE(d.set(3.0, 4));
    EXPECT_EQ(d[4], 3.0);

    d.setLength(1);
    EXPECT_EQ(d.length(), 1u);
    EXPECT_EQ(d[0], 7.0);
    d.clear();
    EXPECT_EQ(d.length(), 0u);
    EXPECT_EQ(d.remove(0), MS::kFailure);
}

TEST(ArrayTest, PointArraysAndIteration) {
    MPointArray points;
    points.setSizeIncrement(16);
    EXPECT_EQ(points.sizeIncrement(), 16u);
    points.append(1, 2);
    points.setLength(2);
    EXPECT_EQ(points[0], MPoint(1, 2, 0, 1));
    EXPECT_EQ(points[1], MPoint::origin);
    EXPECT_TRUE(points.set(1, 4, 5, 6, 2));
    EXPECT_EQ(points.set(2, 0, 0), MS::kFailure);

    double raw[2][4];
    points.get(raw);
    EXPECT_EQ(raw[1][3], 2.0);

    MFloatPointArray floats(3);
    EXPECT_EQ(floats[2], MFloatPoint::origin);
    unsigned int visited = 0;
    for (MFloatPoint& p : floats)
        p.x = static_cast<float>(++visited);
    EXPECT_EQ(floats[2].x, 3.0f);

    const int src[] = {4, 5, 6};
    MIntArray ints(src, 3);
    MIntArray copied;
    copied.copy(ints);
    EXPECT_EQ(copied, ints);
    copied[0] = 0;
    EXPECT_NE(copied, ints);
    int sum = 0;
    for (int v : static_cast<const MIntArray&>(ints))
        sum += v;
    EXPECT_EQ(sum, 15);
}
