// A desktop's locale, here a Russian one with its decimal comma, must not change
// a number in a report. The locale is one the bootstrap generates on Debian.
#include <gtest/gtest.h>

#include <clocale>

#include "reports/line_format.h"
#include "reports/report_text.h"

namespace ecuprobe::reports {
namespace {

// A locale with a decimal comma, as a Russian desktop sets it, changes nothing.
TEST(ReportText, NumbersKeepTheirPointUnderACommaLocale) {
    const char* russian = std::setlocale(LC_ALL, "ru_RU.UTF-8");
    ASSERT_NE(russian, nullptr) << "the ru_RU.UTF-8 locale is installed by the bootstrap";
    EXPECT_EQ(fixed(1.25, 2), "1.25");
    EXPECT_EQ(formatLine("%.3f\t%4i", {1.5, std::int64_t{-5}}), "1.500\t  -5");
    EXPECT_EQ(padded(-5, 4), "  -5");
    EXPECT_EQ(commentLine("1,5 и 2.5"), "Коментарий: 1,5 и 2.5\r\n");
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace ecuprobe::reports
