// Binomial coefficients, subset indexing and random subsets.
#include <algorithm>
#include <set>

#include "app/subsets.h"
#include "app_fixture.h"

namespace {

std::vector<int> rowOf(Matrix* m, int i) {
  std::vector<int> values;
  for (int j = 1; j <= m->cols; j++) values.push_back(static_cast<int>(MatGetValue(m, i, j)));
  return values;
}

// The uniform draw that follows k draws of a stream seeded with seed.
double drawAfter(int seed, int k) {
  srandu(seed);
  for (int i = 0; i < k; i++) randu();
  return randu();
}

class SubsetsTest : public AppTest {};

TEST_F(SubsetsTest, BinomialCoefficients) {
  const struct {
    int N, K, expected;
  } cases[] = {{20, 12, 125970}, {33, 16, 1166803110}, {33, 17, 1166803110}, {5, 0, 1},
               {5, 5, 1},        {30, 15, 155117520},  {5, 6, 0},           {5, -1, 0}};
  for (const auto& c : cases) EXPECT_EQ(combination(c.N, c.K), c.expected) << c.N << " " << c.K;
  EXPECT_EXIT(combination(34, 17), ::testing::ExitedWithCode(1),
              "^Error: combination C\\(N,K\\) overflow N=34 K=17\n$");
  // The factor bound is taken without 32-bit wrap-around.
  EXPECT_EXIT(combination(2147483647, 1), ::testing::ExitedWithCode(1), "overflow N=2147483647 K=1\n$");
}

TEST_F(SubsetsTest, Divisibility) {
  const int cases[][3] = {
      {12, 4, 1}, {-12, 4, 1}, {13, 4, 0}, {-13, 4, 0}, {0, 7, 1}, {5, 0, 0}, {-2147483647 - 1, -1, 1}};
  for (const auto& c : cases) EXPECT_EQ(isdiv(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

TEST_F(SubsetsTest, IndexedSubsetsFollowTheListing) {
  // listcombinations numbers the subsets as idx2cmb indexes them.
  Matrix* cmb = MatSetType(MatZDef2(1, 3), 1);
  std::string fromIndex;
  for (int idx = 1; idx <= 10; idx++) {
    const std::vector<int> s = rowOf(idx2cmb(5, 3, idx, cmb), 1);
    fromIndex += "cmb" + std::to_string(idx) + ":";
    for (int v : s) fromIndex += " " + std::to_string(v);
    fromIndex += "\n";
  }
  EXPECT_EQ(rowOf(idx2cmb(5, 3, 1, cmb), 1), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(rowOf(idx2cmb(5, 3, 10, cmb), 1), (std::vector<int>{3, 4, 5}));
  EXPECT_EQ(StdoutOf([] { listcombinations(5, 3); }), fromIndex);
  EXPECT_EQ(StdoutOf([] { listcombinations(4, 2); }),
            "cmb1: 1 2\ncmb2: 1 3\ncmb3: 1 4\ncmb4: 2 3\ncmb5: 2 4\ncmb6: 3 4\n");

  EXPECT_EXIT(idx2cmb(5, 3, 11, cmb), ::testing::ExitedWithCode(1), "^idx is out of range idx 11 \\[1 10\\]\n$");
  EXPECT_EXIT(idx2cmb(5, 3, 0, cmb), ::testing::ExitedWithCode(1), "^idx is out of range idx 0 \\[1 10\\]\n$");
  MatUndef(cmb);
}

TEST_F(SubsetsTest, SamplingPathsAndTheirDraws) {
  // Approximate path: n draws, values in 1..m; exact path: m draws.
  const struct { int m, n, draws; } cases[] = {{1000, 20, 20}, {1000, 21, 1000}, {999, 5, 999}, {5, 5, 5}};
  for (const auto& c : cases) {
    const double next = drawAfter(3, c.draws);
    srandu(3);
    Matrix* s = SampIntsAWOrep(c.m, c.n);
    EXPECT_EQ(randu(), next) << c.m << " " << c.n;
    ASSERT_TRUE(s->rows == 1 && s->cols == c.n);
    const std::vector<int> values = rowOf(s, 1);
    for (int v : values) EXPECT_TRUE(v >= 1 && v <= c.m) << v;
    // The exact path draws without repetition.
    if (c.draws == c.m) {
      EXPECT_EQ(std::set<int>(values.begin(), values.end()).size(), values.size());
    }
    MatObjectTmpUndef();
  }
  EXPECT_EQ(SampIntsAWOrep(5, 0)->cols, 0);
  EXPECT_EXIT(SampIntsAWOrep(4, 5), ::testing::ExitedWithCode(1),
              "^ERROR SampIntsAWOrep: input is out of range m=4 n=5\\.\n$");
}

TEST_F(SubsetsTest, ChosenSubsets) {
  srandu(11);
  // All four 3-subsets of {1..4}, each once, each increasing.
  Matrix* all = mCnk(4, 3, 4);
  ASSERT_TRUE(all->rows == 4 && all->cols == 3);
  std::set<std::vector<int>> seen;
  for (int i = 1; i <= 4; i++) seen.insert(rowOf(all, i));
  EXPECT_EQ(seen, (std::set<std::vector<int>>{{1, 2, 3}, {1, 2, 4}, {1, 3, 4}, {2, 3, 4}}));
  Matrix* big = mCnk(20, 12, 8);  // approximate path: 8 draws
  ASSERT_TRUE(big->rows == 8 && big->cols == 12);
  for (int i = 1; i <= 8; i++) {
    const std::vector<int> s = rowOf(big, i);  // strictly increasing within 1..20
    EXPECT_TRUE(std::adjacent_find(s.begin(), s.end(), std::greater_equal<int>()) == s.end());
    EXPECT_TRUE(s.front() >= 1 && s.back() <= 20);
  }
  EXPECT_EXIT(mCnk(4, 4, 2), ::testing::ExitedWithCode(1),
              "^ERROR SampIntsAWOrep: input is out of range m=1 n=2\\.\n$");
}

TEST_F(SubsetsTest, ShortMultipleResultStopsWith255) {
  List* temp = ListSetType(ListDef("", 0), 1);
  EXPECT_EXIT(UnpackResults(temp, ListDef("", 1), 2, "sorted, idx"), ::testing::ExitedWithCode(255),
              "^Too many variables in a list \\{sorted, idx\\}\n$");
  UnpackResults(temp, ListElementsDef(2, LIST_REAL, 1.0, LIST_REAL, 2.0), 2, "a, b");
  EXPECT_STREQ(temp->name, "LIST_TEMP");
  EXPECT_EQ(*static_cast<double*>(ListGetElementP(temp, 2, LIST_REAL)), 2.0);
  ListUndef(temp);
}

}  // namespace
