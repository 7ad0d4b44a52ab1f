// The Matrix registry: recycling by element count and class, limits read
// from the environment, the scope protocol and double-release detection.
#include <unistd.h>

#include <cstdlib>

#include "support/vorn_test.h"

namespace {

class RegistryTest : public VornTest {};

TEST_F(RegistryTest, ReleasedRecordIsRevivedBySameCountAndClassOnly) {
  Matrix* a = MatDef("a", 3, 4);
  void* const storage = a->data;
  MatReal(a)[11] = 42.0;
  MatUndef(a);
  Matrix* c = C_MatDef("", 3, 4);  // same count, other class
  EXPECT_TRUE(c != a && a->parked);
  Matrix* b = MatDef("bb", 2, 6);
  EXPECT_TRUE(b == a && b->data == storage);
#ifndef VORN_CHECKS
  EXPECT_EQ(MatReal(b)[11], 42.0);  // stale values are not cleared
#else
  EXPECT_NE(MatReal(b)[11], 42.0);  // parked storage is poisoned
#endif
  EXPECT_TRUE(std::string(b->name) == "bb" && b->type == 0 && !b->parked);
}

// A compiled routine's statement: temporaries go, the rest stays; closing
// the scope frees the routine's locals only.
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
  EXPECT_TRUE(tmp1->parked && tmp2->parked);
  for (Matrix* m : {callerLocal, callerTmp, global, marker, local, held}) EXPECT_FALSE(m->parked);
  MatFrees(marker);
  EXPECT_TRUE(marker->type == 0 && local->type == 0 && held->type == 2 && global->type == 4 && callerLocal->type == 1);
  MatObjectTmpUndef();
  EXPECT_TRUE(marker->parked && local->parked && !held->parked);
  EXPECT_TRUE(callerTmp->parked);  // the caller's statement ends with the call

  MatUndef(held), MatUndef(global), MatFree(callerLocal);
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
  EXPECT_TRUE(callers->parked && callersText->parked);
}

using RegistryDeathTest = RegistryTest;

TEST_F(RegistryDeathTest, DoubleReleaseIsFatal) {
  Matrix* m = MatDef("", 1, 37);
  MatUndef(m);
  Matrix* b[3] = {MatDef("", 1, 38), MatDef("", 1, 38), MatDef("", 1, 38)};
  for (Matrix* x : b) MatUndef(x);
  ExpectFatal({{[&] { MatUndef(m); }, "Duplicate undefining", "MatUndef()"},
               {[&] { MatDestroy(m); }, "Duplicate destroying for '(0 x 0)'", "MatDestroy()"},
               // Parked between neighbours of the same bucket.
               {[&] { MatUndef(b[1]); }, "Duplicate undefining", "MatUndef()"}});
}

// The checks build reports any use of a record after its release, of
// every kind; the other builds take such a misuse as it comes.
TEST_F(RegistryDeathTest, UseAfterReleaseIsCaughtByTheChecksBuild) {
#ifndef VORN_CHECKS
  GTEST_SKIP() << "a checks build (-DVORN_CHECKS=ON) test";
#else
  const std::string inUse = "Use of a released object", onM = inUse + " for 'm(2 x 2)'";
  Matrix* m = MatDef("m", 2, 2);
  String* s = vnStringStringDef("abc");
  List* l = ListDef("l", 2);
  Polynomial* p = PolyDef("p", 2, "s");
  Rational* r = RatDef("r", 1, 1);
  Complex* z = CompDef("z", 1, 2);
  MatUndef(m), vnStringUndef(s), ListUndef(l), PolyUndef(p), RatUndef(r), CompUndef(z);
  ExpectFatal({
      {[&] { MatGetValue(m, 1, 1); }, onM, "MatGetValue()"},
      {[&] { MatCopy(MatDef("", 1, 1), m); }, onM, "MatCopy()"},
      {[&] { MatSetType(m, 1); }, onM, "MatSetType()"},
      {[&] { vnStringDup(s); }, inUse + " for '(length=3)'", "vnStringDup()"},
      {[&] { ListGetClass(l, 1); }, inUse + " in \"l (2 element(s))\"", "ListGetClass()"},
      {[&] { PolyDup(p); }, inUse + " for 'p(s^2)'", "PolyDup()"},
      {[&] { RatDup(r); }, inUse + " for 'r(s^0/s^0)'", "RatDup()"},
      {[&] { CompDup(z); }, Literal(" in CompDup().\n")},
      // The poisoned parts show in the description.
      {[&] { CompSetName(z, "w"); }, Literal("\n" + inUse + " for 'z(")},
  });
#endif
}

// Polynomial elements leave parked polynomials (and their coefficient
// matrices) behind for reuse, so the live counts cannot balance here.
TEST(RegistryPoly, RevivedPolynomialMatrixHoldsFreshEmptyPolynomials) {
  VornTestStartUp();
  Matrix* m = MatDef("", 1, 3);
  efree(m->data);
  m->data = emalloc(3 * sizeof(Polynomial*));
  for (int k = 0; k < 3; k++) MatPolys(m)[k] = PolySetType(PolyDef("", 2, "s"), 3);
  MatUndef(MatSetClass(m, MAT_POLY));
  ASSERT_TRUE(m->parked);
  for (int k = 0; k < 3; k++) {
    const Polynomial* p = MatPolys(m)[k];
    EXPECT_TRUE(p->degree == -1 && p->type == 3 && !p->parked) << k;
  }
  ASSERT_EQ(MatRequest(3, MAT_POLY), m);
  MatAppendToLastMat(m);
  MatDestroy(m);
}

// Limits are read once per registry start, so a fresh run of this binary
// executes only the probe: it releases four records of size 7 (length,
// degree or element count) of every kind and prints how many were parked.
struct EnvCase {
  const char* env;
  const char* expected;
};
void PrintTo(const EnvCase& c, std::ostream* os) { *os << '"' << c.env << '"'; }

class RegistryEnv : public ::testing::TestWithParam<EnvCase> {};

std::string runProbe(const std::string& env) {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return "";
  exe[n] = '\0';
  std::string command = "env";
  for (const char* v :
       {"MATRIX_SIZE_MAX", "MATRIX_TABLE_MAX", "STRING_LENGTH_MAX", "STRING_TABLE_MAX", "LIST_LENGTH_MAX",
        "POLYNOMIAL_TABLE_MAX", "POLYNOMIAL_DEGREE_MAX", "COMP_TABLE_MAX", "RATIONAL_TABLE_MAX"})
    command += std::string(" -u ") + v;
  command += " " + env + " VORN_REGISTRY_PROBE=1 '" + exe +
             "' --gtest_also_run_disabled_tests --gtest_filter=RegistryProbe.DISABLED_Limits 2>&1";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    pclose(pipe);
  }
  return out;
}

TEST_P(RegistryEnv, LimitsComeFromTheEnvironment) {
  const std::string out = runProbe(GetParam().env);
  EXPECT_NE(out.find(GetParam().expected), std::string::npos) << out;
}

constexpr const char* kAllParked = "matrix=4 string=4 list=4 poly=4 comp=4 rat=4";
// A limit far beyond memory costs nothing until a bucket is used: the
// counts and a parked 10^5-element matrix are those of the defaults.
constexpr const char* kHuge =
    "MATRIX_SIZE_MAX=99999999999999999999 STRING_LENGTH_MAX=99999999999 "
    "LIST_LENGTH_MAX=2147483647 POLYNOMIAL_DEGREE_MAX=2147483647";

INSTANTIATE_TEST_SUITE_P(
    Limits, RegistryEnv,
    ::testing::Values(EnvCase{"", "size_max=1000 table_max=0 big=0 matrix=4 string=4 list=4 poly=4 comp=4 rat=4"},
                      EnvCase{"MATRIX_SIZE_MAX=-5 MATRIX_TABLE_MAX=-3", "size_max=1000 table_max=0"},
                      EnvCase{"MATRIX_TABLE_MAX=2", "table_max=2 big=0 matrix=3 string=4"},
                      EnvCase{"MATRIX_SIZE_MAX=6", "size_max=6 table_max=0 big=0 matrix=0 string=4"},
                      EnvCase{"MATRIX_SIZE_MAX=7", "size_max=7 table_max=0 big=0 matrix=4"},
                      EnvCase{"STRING_TABLE_MAX=2", "matrix=4 string=3 list=4"},
                      EnvCase{"STRING_LENGTH_MAX=6", "matrix=4 string=0 list=4"},
                      EnvCase{"STRING_LENGTH_MAX=-1 STRING_TABLE_MAX=-1", kAllParked},
                      EnvCase{"LIST_LENGTH_MAX=6", "string=4 list=0 poly=4"},
                      // The List buckets share the Polynomial population limit.
                      EnvCase{"POLYNOMIAL_TABLE_MAX=2", "string=4 list=3 poly=3 comp=4"},
                      EnvCase{"POLYNOMIAL_DEGREE_MAX=6", "list=4 poly=0 comp=4"},
                      EnvCase{"COMP_TABLE_MAX=2 RATIONAL_TABLE_MAX=1", "poly=4 comp=3 rat=2"},
                      EnvCase{kHuge, "size_max=2147483647 table_max=0 big=1 matrix=4 string=4 list=4 poly=4"}));

TEST(RegistryProbe, DISABLED_Limits) {
  if (std::getenv("VORN_REGISTRY_PROBE") == nullptr) GTEST_SKIP();
  VornTestStartUp();
  MatUndef(MatDef("", 1, 100000));
  const int bigParked = MatTableCount(100000, MAT_REAL);
  struct {
    Matrix* m;
    String* s;
    List* l;
    Polynomial* p;
    Complex* z;
    Rational* r;
  } made[4];
  // The rationals' polynomials are not of degree 7.
  for (auto& k : made)
    k = {MatDef("", 1, 7),        vnStringDef("", 7), ListDef("", 7),
         PolyDef("", 7, nullptr), CompDef("", 0, 0),  RatDef("", 2, 2)};
  for (auto& k : made) MatUndef(k.m), vnStringUndef(k.s), ListUndef(k.l), PolyUndef(k.p), CompUndef(k.z), RatUndef(k.r);
  std::printf("probe size_max=%d table_max=%d big=%d matrix=%d string=%d list=%d poly=%d comp=%d rat=%d\n",
              MatGarbageSizeMax(), MatGarbageTableMax(), bigParked, MatTableCount(7, MAT_REAL), vnStringTableCount(7),
              ListTableCount(7), PolyTableCount(7, 0), CompTableCount(), RatTableCount());
  std::fflush(stdout);
}

}  // namespace
