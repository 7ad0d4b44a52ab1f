// Checked allocation, text forms of numbers, numeric helpers, file utilities.
#include <sys/wait.h>

#include <cfloat>
#include <climits>
#include <cstdint>

#include "support/vorn_test.h"

#ifdef __SANITIZE_ADDRESS__
// An impossible allocation returns null, so the runtime's report shows.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

class UtilTest : public VornTest {};

TEST_F(UtilTest, AllocationMisuseAndExhaustionAreFatal) {
  EXPECT_EQ(nullptr, emalloc(0));
  EXPECT_EQ(nullptr, StringDup(nullptr));
  EXPECT_EXIT(erealloc(nullptr, 8), kFatal, "\nerealloc\\(\\(nil\\), 8\\) : Invalid memory re-allocation\n");
  EXPECT_EXIT(efree(nullptr), kFatal, "\nefree\\(\\(nil\\)\\) : Invalid memory free\n");
  volatile size_t huge = SIZE_MAX / 2;
  EXPECT_EXIT(emalloc(huge), kFatal, "\nemalloc\\([0-9]+\\) : Out of memory !!\n");
  EXPECT_EXIT(erealloc(emalloc(16), huge), kFatal, "\nerealloc\\(0x[0-9a-f]+, [0-9]+\\) : Out of memory\n");
  EXPECT_EQ("\nwhere() : what\n", StderrOf([] { vnUtilError("where()", "what", 0); }));  // returns
}

TEST_F(UtilTest, NumberTexts) {
  const double inf = HUGE_VAL;
  const struct {
    double value;
    const char* format;
    const char* text;
  } cases[] = {{-inf, "%16.8E", "-Inf"}, {inf, "%d", "Inf"},       {-std::nan(""), nullptr, "NaN"},
               {0.5, nullptr, "0.5"},    {1e-5, nullptr, "1E-05"}, {-1234.5, "%16.8E", " -1.23450000E+03"}};
  for (const auto& c : cases) {
    char* fresh = RealToString(c.value, nullptr, c.format);
    EXPECT_STREQ(c.text, fresh) << c.value;
    efree(fresh);
    char own[64];
    EXPECT_STREQ(c.text, RealToString(c.value, own, c.format));
  }
  char* wide = RealToString(1e300, nullptr, "%f");  // longer than 64 bytes: never cut
  EXPECT_EQ(301u + 7u, std::strlen(wide));
  char *a = vorn_itoa(INT_MIN), *b = ftoa(1e100);
  EXPECT_EQ(std::string(a) + " " + b, "-2147483648 1E+100");
  for (char* p : {wide, a, b}) efree(p);
}

TEST_F(UtilTest, FactorialsAndRounding) {
  EXPECT_TRUE(factorial(-1.0) == 0.0 && factorial(0.5) == 1.0);
  EXPECT_EQ(2.2 * ((2.2 - 1.0) * 1.0), factorial(2.2));  // innermost factor first
  for (int n = 2; n <= 170; n += 12)
    EXPECT_NEAR(std::tgamma(n + 1.0), factorial(n), std::tgamma(n + 1.0) * 200 * DBL_EPSILON);
  EXPECT_EQ(HUGE_VAL, factorial(171.0));
  EXPECT_EQ(HUGE_VAL, factorial(1e300));  // there x - 1 == x: must still end
  EXPECT_TRUE(std::isnan(factorial(std::nan(""))));
  EXPECT_TRUE(int_factorial(-3) == 0 && int_factorial(INT_MAX) == 0);
  EXPECT_EQ(1932053504, int_factorial(13));  // 13! mod 2^32
  EXPECT_EQ(INT_MIN, int_factorial(33));
  EXPECT_TRUE(fix_to_zero(-2.7) == -2.0 && fix_to_zero(2.7) == 2.0);
  EXPECT_TRUE(round_to_zero(1e-9, 1e-6) == 0.0 && round_to_zero(1e-6, 1e-6) == 1e-6);
  EXPECT_TRUE(real_sgn(-1e-300) == -1.0 && real_sgn(-0.0) == 0.0 && int_sgn(INT_MIN) == -1);
  EXPECT_NEAR(-10.0, vorn_log2(1.0 / 1024), 16 * DBL_EPSILON);
}

TEST_F(UtilTest, SpecialValues) {
  EXPECT_TRUE(vorn_values::SameBits({get_nan()}, {std::numeric_limits<double>::quiet_NaN()}));
  const struct {
    double x;
    int inf, nan, finite;
  } cases[] = {{DBL_MAX, 0, 0, 1},   {DBL_TRUE_MIN, 0, 0, 1}, {get_infinity(), 1, 0, 0},
               {-HUGE_VAL, 1, 0, 0}, {get_nan(), 0, 1, 0},    {-std::nan("7"), 0, 1, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.inf, isInf(c.x)) << c.x;
    EXPECT_EQ(c.nan, isNaN(c.x)) << c.x;
    EXPECT_EQ(c.finite, isFinite(c.x)) << c.x;
  }
}

TEST_F(UtilTest, FilesAndShell) {
  const ScratchFile file;
  ASSERT_EQ(0, StringFileWrite("a longer first text", file.path()));
  ASSERT_EQ(0, StringFileWrite("short", file.path()));
  EXPECT_EQ("short", file.text());  // replaced, not appended
  EXPECT_EQ("StringFileWrite(): Can not open /nonexistent-dir/f.\n",
            StderrOf([] { EXPECT_EQ(-1, StringFileWrite("x", "/nonexistent-dir/f")); }));
  EXPECT_EQ("to stdout|still open\n",
            StdoutOf([] { StringFileWrite("to stdout|", "stdout"), std::printf("still open\n"); }));
  // Output still buffered when the shell starts must come out before its own.
  EXPECT_EQ("before shell\nafter 3\n", RunInChild([] {
                                         std::printf("before ");
                                         std::printf("after %d\n", WEXITSTATUS(system_vorn("echo shell; exit 3")));
                                         return 0;
                                       }).out);
  EXPECT_EQ(0, vorn_remove(file.path()));
}

}  // namespace
