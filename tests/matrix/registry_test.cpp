// The Matrix registry: recycling by element count and class, limits read
// from the environment, the scope protocol and double-release detection.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/vorn_test.h"

namespace {

class RegistryTest : public VornTest {};

TEST_F(RegistryTest, ReleasedRecordIsRevivedBySameCountAndClassOnly) {
  Matrix* a = MatDef("a", 3, 4);
  void* const storage = a->data;
  MatReal(a)[11] = 42.0;
  MatUndef(a);
  EXPECT_TRUE(a->parked);

  Matrix* c = C_MatDef("", 3, 4);  // same count, other class
  EXPECT_NE(c, a);
  EXPECT_TRUE(a->parked);

  Matrix* b = MatDef("bb", 2, 6);
  EXPECT_EQ(b, a);
  EXPECT_EQ(b->data, storage);
  EXPECT_EQ(MatReal(b)[11], 42.0);  // stale values are not cleared
  EXPECT_STREQ(b->name, "bb");
  EXPECT_EQ(b->type, 0);
  EXPECT_FALSE(b->parked);
}

TEST_F(RegistryTest, OnlyCountsUpToTheSizeLimitAreParked) {
  if (std::getenv("MATRIX_SIZE_MAX") != nullptr) GTEST_SKIP() << "limit set from outside";
  ASSERT_EQ(MatGarbageSizeMax(), 1000);
  const int parked = MatTableCount(1000, MAT_REAL);
  MatUndef(MatDef("", 1, 1000));
  EXPECT_EQ(MatTableCount(1000, MAT_REAL), parked + 1);

  Matrix* big = MatDef("", 1, 1001);
  MatUndef(big);
  EXPECT_EQ(MatRequest(1001, MAT_REAL), nullptr);
}

// A compiled routine's statement: temporaries go, locals, markers, the
// caller's objects and globals stay; closing the scope frees the routine's
// locals only.
TEST_F(RegistryTest, ScopeProtocolKeepsLocalsAndFreesThemAtScopeEnd) {
  Matrix* callerLocal = MatSetType(MatDef("c", 1, 1), 1);
  Matrix* callerTmp = MatDef("", 1, 2);
  Matrix* global = MatSetType(MatDef("", 0, 0), 4);

  Matrix* marker = MatSetType(MatDef("", 0, 0), 1);
  Matrix* local = MatSetType(MatDef("x", 2, 2), 1);
  Matrix* tmp1 = MatDef("", 2, 3);
  Matrix* held = MatSetType(MatDef("", 1, 3), 2);
  Matrix* tmp2 = MatDef("", 3, 3);
  MatObjectTmpUndef();
  EXPECT_TRUE(tmp1->parked);
  EXPECT_TRUE(tmp2->parked);
  for (Matrix* m : {callerLocal, callerTmp, global, marker, local, held}) EXPECT_FALSE(m->parked);

  MatFrees(marker);
  EXPECT_EQ(marker->type, 0);
  EXPECT_EQ(local->type, 0);
  EXPECT_EQ(held->type, 2);
  EXPECT_EQ(global->type, 4);
  EXPECT_EQ(callerLocal->type, 1);
  MatObjectTmpUndef();
  EXPECT_TRUE(marker->parked);
  EXPECT_TRUE(local->parked);
  EXPECT_FALSE(held->parked);
  EXPECT_TRUE(callerTmp->parked);  // the caller's statement ends with the call

  MatUndef(held);
  MatUndef(global);
  MatFree(callerLocal);
}

TEST_F(RegistryTest, ObjectControlOpensAndClosesAScopeOfEveryKind) {
  const LiveCounts before = CurrentLiveCounts();
  MatObjectControl(1);
  const LiveCounts open = CurrentLiveCounts();
  EXPECT_EQ(open.strings, before.strings + 1);
  EXPECT_EQ(open.complexes, before.complexes + 1);
  EXPECT_EQ(open.lists, before.lists + 1);
  MatSetType(MatDef("local", 2, 2), 1);
  MatDef("", 4, 4);
  MatObjectControl(0);
  EXPECT_EQ(CurrentLiveCounts(), before);
}

// The statement-end release skips kinds where nothing changed; taking a
// scope's markers off the list must count as a change, or the caller's
// temporaries before them would outlive the caller's statement.
TEST_F(RegistryTest, CallersTemporariesGoAfterAScopeIsReleasedWhole) {
  Matrix* callers = MatDef("", 1, 2);
  String* callersText = vnStringStringDef("caller");
  MatObjectControl(1);
  MatDef("", 2, 2);
  MatObjectTmpUndef();
  MatObjectControl(0);
  MatObjectTmpUndef();
  EXPECT_TRUE(callers->parked);
  EXPECT_TRUE(callersText->parked);
}

using RegistryDeathTest = RegistryTest;

TEST_F(RegistryDeathTest, DoubleReleaseIsFatal) {
  const std::string undef = ReportLine("Duplicate undefining", "MatUndef()");
  Matrix* m = MatDef("", 1, 37);
  MatUndef(m);
  EXPECT_EXIT(MatUndef(m), kFatal, undef);
  EXPECT_EXIT(MatDestroy(m), kFatal, ReportLine("Duplicate destroying for '(0 x 0)'", "MatDestroy()"));
  // Parked between neighbours of the same bucket.
  Matrix* b[3] = {MatDef("", 1, 38), MatDef("", 1, 38), MatDef("", 1, 38)};
  for (Matrix* x : b) MatUndef(x);
  EXPECT_EXIT(MatUndef(b[1]), kFatal, undef);
}

// Polynomial elements leave parked polynomials (and their coefficient
// matrices) behind for reuse, so the live counts cannot balance here.
TEST(RegistryPoly, RevivedPolynomialMatrixHoldsFreshEmptyPolynomials) {
  VornTestStartUp();
  Matrix* m = MatDef("", 1, 3);
  efree(m->data);
  m->data = emalloc(3 * sizeof(Polynomial*));
  for (int k = 0; k < 3; k++) MatPolys(m)[k] = PolySetType(PolyDef("", 2, "s"), 3);
  MatSetClass(m, MAT_POLY);
  MatUndef(m);
  ASSERT_TRUE(m->parked);
  for (int k = 0; k < 3; k++) {
    EXPECT_EQ(MatPolys(m)[k]->degree, -1);
    EXPECT_EQ(MatPolys(m)[k]->type, 3);
    EXPECT_FALSE(MatPolys(m)[k]->parked);
  }
  Matrix* back = MatRequest(3, MAT_POLY);
  ASSERT_EQ(back, m);
  MatAppendToLastMat(back);
  MatDestroy(back);
}

// Limits are read once when the registry starts, so they are checked in a
// fresh run of this binary that executes only the probe below.
struct EnvCase {
  const char* env;
  int sizeMax, tableMax, parkedOf4;  // parkedOf4: 1x7 records kept of 4 released
};
void PrintTo(const EnvCase& c, std::ostream* os) { *os << '"' << c.env << '"'; }

class RegistryEnv : public ::testing::TestWithParam<EnvCase> {};

std::string runProbe(const std::string& env) {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return "";
  exe[n] = '\0';
  const std::string command = "env -u MATRIX_SIZE_MAX -u MATRIX_TABLE_MAX " + env +
                              " VORN_REGISTRY_PROBE=1 '" + exe +
                              "' --gtest_also_run_disabled_tests"
                              " --gtest_filter=RegistryProbe.DISABLED_Limits 2>&1";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    pclose(pipe);
  }
  return out;
}

TEST_P(RegistryEnv, LimitsComeFromTheEnvironment) {
  const EnvCase& c = GetParam();
  char expected[128];
  std::snprintf(expected, sizeof expected, "probe size_max=%d table_max=%d parked=%d\n", c.sizeMax,
                c.tableMax, c.parkedOf4);
  EXPECT_NE(runProbe(c.env).find(expected), std::string::npos) << "expected " << expected;
}

INSTANTIATE_TEST_SUITE_P(Limits, RegistryEnv,
                         ::testing::Values(EnvCase{"", 1000, 0, 4},
                                           EnvCase{"MATRIX_SIZE_MAX=-5", 1000, 0, 4},
                                           EnvCase{"MATRIX_TABLE_MAX=-3", 1000, 0, 4},
                                           EnvCase{"MATRIX_TABLE_MAX=2", 1000, 2, 3},
                                           EnvCase{"MATRIX_SIZE_MAX=6", 6, 0, 0},
                                           EnvCase{"MATRIX_SIZE_MAX=7", 7, 0, 4}));

TEST(RegistryProbe, DISABLED_Limits) {
  if (std::getenv("VORN_REGISTRY_PROBE") == nullptr) GTEST_SKIP();
  VornTestStartUp();
  const int before = MatTableCount(7, MAT_REAL);
  Matrix* ms[4];
  for (Matrix*& m : ms) m = MatDef("", 1, 7);
  for (Matrix* m : ms) MatUndef(m);
  std::printf("probe size_max=%d table_max=%d parked=%d\n", MatGarbageSizeMax(),
              MatGarbageTableMax(), MatTableCount(7, MAT_REAL) - before);
  std::fflush(stdout);
}

}  // namespace
