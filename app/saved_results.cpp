#include "app/saved_results.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/brovane.h"
#include "app/output_file.h"
#include "app/scope.h"
#include "runtime/core/entry.h"
#include "runtime/io/binfile.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/objects/list.h"
#include "runtime/objects/vnstring.h"

namespace {

std::string failure(const char* file, const std::string& why) {
  return "ERROR: the results were not saved to \"" + PrintableText(file, 200) + "\": " + why + ".";
}

// The report's table before rounding: llresults / the experiments.
Matrix* averagedTable(int niter) {
  Matrix* table = MatDef("", niter + 1, 4);
  for (int i = 1; i <= niter + 1; i++) {
    MatSetValue(table, i, 1, i - 1);
    MatSetValue(table, i, 2, i <= niter ? MatGetValue(llresults, 1, i) / BROVANE_EXPERIMENTS : NAN);
    MatSetValue(table, i, 3, MatGetValue(llresults, 2, i) / BROVANE_EXPERIMENTS);
    MatSetValue(table, i, 4, MatGetValue(llresults, 3, i) / BROVANE_EXPERIMENTS);
  }
  return table;
}

List* runList(const char* mode, const int* args, int count, int niter) {
  Matrix* arguments = MatDef("", 1, count);
  for (int k = 0; k < count; k++) MatSetValue(arguments, 1, k + 1, args[k]);
  List* titles = ListDef("", 4);
  const char* const names[] = {"iter", "E-step-LL", "train-LL", "test-LL"};
  for (int k = 0; k < 4; k++) ListSetElement(titles, k + 1, LIST_STRING, vnStringStringDef(names[k]));
  List* run = ListElementsDef(6, LIST_STRING, vnStringStringDef(mode), LIST_MATRIX, arguments, LIST_INTEGER,
                              BROVANE_EXPERIMENTS, LIST_INTEGER, BROVANE_TEST_SIZE, LIST_MATRIX, averagedTable(niter),
                              LIST_LIST, titles);
  return ListSetName(run, "brovane");
}

// Writes the record into fd; the reason when a write or the flush failed.
std::string writeRecord(int fd, const char* mode, const int* args, int count, int niter) {
  FILE* fp = fdopen(fd, "wb");
  if (fp == nullptr) {
    const std::string why = std::strerror(errno);
    close(fd);
    return why;
  }
  const ScopeMarkers scope = OpenScope();
  ListWrite(runList(mode, args, count, niter), fp);
  MatObjectTmpUndef();
  CloseScope(scope);
  errno = 0;
  const bool written = std::fflush(fp) == 0 && !std::ferror(fp) && fsync(fileno(fp)) == 0;
  const std::string why = errno != 0 ? std::strerror(errno) : "the file could not be written";
  return std::fclose(fp) == 0 && written ? "" : why;
}

}  // namespace

const char* SaveFileRequested() {
  const char* value = std::getenv("BROVANE_SAVE");
  return value != nullptr && value[0] != '\0' ? value : nullptr;
}

std::string SaveResults(const char* file, const char* mode, const int* args, int count, int niter) {
  const std::string target = OutputDestination(file);
  bool exists;
  unsigned kept;
  const std::string problem = OutputTargetProblem(target, &exists, &kept);
  if (!problem.empty()) return failure(file, problem);

  const EndingSignalsHeld held;

  std::string temp, result;
  const int fd = OutputScratchFile(OutputFolder(target), &temp);
  if (fd < 0) {
    result = failure(file, std::strerror(errno));
  } else {
    OutputScratchMode(fd, exists, kept);
    std::string why = writeRecord(fd, mode, args, count, niter);
    if (why.empty() && rename(temp.c_str(), target.c_str()) != 0) why = std::strerror(errno);
    if (!why.empty()) {
      unlink(temp.c_str());
      result = failure(file, why);
    }
  }
  return result;
}
