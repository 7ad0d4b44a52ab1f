// Fixture of the program's routine tests: the runtime started as main does
// it, with VornMain's settings and the global result matrix, and one scope
// opened and closed first (a parked polynomial keeps its coefficient matrix
// on the live list, so the counts then compare like with like).
#pragma once

#include "app/brovane.h"
#include "app/scope.h"
#include "support/vorn_test.h"

const std::string kBanner = "brovane ver.1.0\nCopyright (C) the brovane developers. See README.md.\n\n";

class AppTest : public VornTest {
 protected:
  void SetUp() override {
    VornTestStartUp();
    maxint = 2147483647;
    warnlv = 0;
    if (llresults == nullptr) llresults = MatSetType(MatDef("", 0, 0), 4);
    CloseScope(OpenScope());
    MatObjectTmpUndef();
    VornTest::SetUp();
  }
};
