#include "settings/NumberRules.h"
#include "support/TempDir.h"
#include "system/RuntimeError.h"

#include <QFile>
#include <QProcess>
#include <cfloat>
#include <clocale>
#include <gtest/gtest.h>

namespace {

TEST(Val, ReadsTheLongestLeadingNumber) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {{"", 0},
                 {"abc", 0},
                 {" 1 ", 1},
                 {" 1 2", 12},
                 {"\t-3.5x", -3.5},
                 {"1.2.3", 1.2},
                 {"1e", 1},
                 {"1d2", 100},
                 {"1E+2", 100},
                 {"2e-1", 0.2},
                 {"+7", 7},
                 {"--7", 0},
                 {"&H10", 16},
                 {"&hFFFF", -1},
                 {"&HFFFF&", 65535},
                 {"&H10000", 65536},
                 {"&HFFFFFFFF", -1},
                 {"&O17", 15},
                 {"&O177777", -1},
                 {".5", 0.5},
                 {"1\n0", 10},
                 {"&", 0},
                 {"1e999x", 0}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(numbers::val(c.text), c.value) << c.text;
}

TEST(Val, ReportsOverflowForHugeNumbers) {
    ErrorCode err;
    numbers::val("1e999", &err);
    EXPECT_EQ(err, ErrorCode::Overflow);
    numbers::val("1e-999", &err);
    EXPECT_EQ(err, ErrorCode::None);
}

TEST(StrictConversion, AcceptsOnlyAWholeNumber) {
    struct Case {
        const char* text;
        ErrorCode::Value error;
        float value;
    } cases[] = {
        {" 9 ", ErrorCode::None, 9},          {"9.75", ErrorCode::None, 9.75f},
        {"-1e1", ErrorCode::None, -10},       {"big", ErrorCode::TypeMismatch, 0},
        {"", ErrorCode::TypeMismatch, 0},     {"9pt", ErrorCode::TypeMismatch, 0},
        {"1e", ErrorCode::TypeMismatch, 0},   {"1e99", ErrorCode::Overflow, 0},
        {"&H10", ErrorCode::TypeMismatch, 0}, {"1 2", ErrorCode::TypeMismatch, 0},
    };
    for (const Case& c : cases) {
        float v = 0;
        ErrorCode err = ErrorCode::DeviceIo;
        EXPECT_EQ(numbers::toSingleStrict(c.text, &v, &err), c.error == ErrorCode::None) << c.text;
        EXPECT_EQ(err, c.error) << c.text;
        if (c.error == 0) {
            EXPECT_FLOAT_EQ(v, c.value);
        }
    }
}

TEST(PrintForm, WritesNumbersAsTheRuntimePrintsThem) {
    struct Case {
        double value;
        numbers::Precision precision;
        const char* text;
    } cases[] = {{1, numbers::Double, " 1 "},
                 {0, numbers::Double, " 0 "},
                 {-1, numbers::Double, "-1 "},
                 {9.75, numbers::Single, " 9.75 "},
                 {0.5, numbers::Single, " 0.5 "},
                 {1e7, numbers::Single, " 1E+07 "},
                 {12345678, numbers::Single, " 1.234568E+07 "},
                 {1e-15, numbers::Single, " 1E-15 "},
                 {1234567, numbers::Single, " 1234567 "},
                 {0.00001, numbers::Single, " 0.00001 "},
                 {1.234567e-5, numbers::Single, " 1.234567E-05 "},
                 {1e15, numbers::Double, " 1E+15 "},
                 {123456789012345, numbers::Double, " 123456789012345 "},
                 {-2.5e-20, numbers::Double, "-2.5E-20 "}};
    for (const Case& c : cases)
        EXPECT_EQ(numbers::printForm(c.value, c.precision), QByteArray(c.text)) << c.text;
    EXPECT_EQ(numbers::fontSizeText(9), " 9pts.");
    EXPECT_EQ(numbers::fontSizeText(9.75), " 9.75pts.");
}

TEST(PrintForm, WrittenNumbersReadBackToTheSameValue) {
    // The largest double would round up past the largest value and overflow when read back.
    ErrorCode err;
    EXPECT_EQ(numbers::printForm(-DBL_MAX, numbers::Double), "-1.79769313486231E+308 ");
    EXPECT_LT(numbers::val(numbers::printForm(DBL_MAX, numbers::Double), &err), DBL_MAX);
    EXPECT_EQ(err, ErrorCode::None);
    EXPECT_EQ(numbers::printForm(FLT_MAX, numbers::Single), " 3.402823E+38 ");
}

} // namespace

// Numbers read and write the same under a desktop locale whose decimal point is a comma.
TEST(Numbers, AreTheSameInEveryLocale) {
    TempDir locales;
    QProcess::execute(QStringLiteral("localedef"),
                      {"-i", "de_DE", "-f", "UTF-8", locales.file("de_DE.UTF-8")});
    qputenv("LOCPATH", QFile::encodeName(locales.path()));
    if (!setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale could be made";
    float size = 0;
    ErrorCode err;
    const bool strict = numbers::toSingleStrict(" 9.75 ", &size, &err);
    const double lenient = numbers::val("1545.5");
    const QByteArray written = numbers::printForm(9.75, numbers::Single);
    setlocale(LC_NUMERIC, "C");
    qunsetenv("LOCPATH");
    EXPECT_TRUE(strict);
    EXPECT_EQ(size, 9.75f);
    EXPECT_EQ(lenient, 1545.5);
    EXPECT_EQ(written, " 9.75 ");
}
