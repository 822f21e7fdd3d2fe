#include <gtest/gtest.h>

#include "views/profile/profile_text.h"
#include "views/profile/this_ptr.h"

TEST(ProfileCsv, HeaderThenOneCrLfLinePerPointWithSixSignificantDigits) {
    const QVector<double> x = {-8, 12.345678, 1234567.0, 0.5};
    const QVector<double> z = {-9999, 0.000012345, -2.5, 3};
    EXPECT_EQ(profileCsv(x, z),
              QByteArray("x,z\r\n-8,-9999\r\n12.3457,1.2345e-05\r\n1.23457e+06,-2.5\r\n0.5,3\r\n"));
    EXPECT_EQ(profileCsv({}, {}), QByteArray("x,z\r\n"));
}

TEST(ProfileCsv, MatchesQtsDefaultDoubleArgument) {
    for (double v : {12.345678, -9999.0, 1234567.0, 1e-7, 0.1, -0.0001234567})
        EXPECT_EQ(profileCsv({v}, {v}), (QStringLiteral("x,z\r\n%1,%2\r\n").arg(v, 0, 'g', -1).arg(v, 0, 'g', -1)).toUtf8())
            << v;
}

TEST(ProfileClipboardText, TabSeparatedLinesWithoutHeader) {
    EXPECT_EQ(profileClipboardText({-1.5, 2}, {-9999, 0.25}), QString("-1.5\t-9999\n2\t0.25\n"));
    EXPECT_EQ(profileClipboardText({}, {}), QString());
}

namespace {

struct Window : ThisPtr<Window> {};

}  // namespace

TEST(ThisPtr, NullsTheCreatorsMemberWhenTheWindowGoes) {
    Window* member = new Window;
    member->setOwnerPointer(&member);
    EXPECT_EQ(member->ownerPointer(), &member);
    delete member;
    EXPECT_EQ(member, nullptr);

    Window unowned;  // no member set: nothing happens
    EXPECT_EQ(unowned.ownerPointer(), nullptr);
}
