// What the plot tests share: a stand-in gnuplot that logs its command line
// and every command and answers the runtime's waits, a private folder for
// the data files, and a real gnuplot when one is installed.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "support/vorn_test.h"

// A folder of its own under the test folder; the destructor checks it is
// empty (the runtime removed every data file) and removes it.
class PrivateDir {
 public:
  PrivateDir() {
    std::string pattern = ::testing::TempDir() + "vgplot_testXXXXXX";
    if (mkdtemp(&pattern[0]) != nullptr) path_ = pattern;
  }
  ~PrivateDir() { EXPECT_EQ(0, rmdir(path_.c_str())) << path_ << ": data files left behind"; }
  PrivateDir(const PrivateDir&) = delete;
  PrivateDir& operator=(const PrivateDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class FakeGnuplot {
 public:
  FakeGnuplot() {
    std::ofstream out(script_.path());
    out << "#!/bin/sh\n"
           "printf 'args %s\\n' \"$*\" >> '"
        << log_.path()
        << "'\n"
           "while IFS= read -r line; do\n"
           "  printf '%s\\n' \"$line\" >> '"
        << log_.path()
        << "'\n"
           "  case $line in\n"
           "    *\"print 'vgplot-sync-\"*) printf '%s\\n' \"$line\" | sed \"s/.*print '\\([^']*\\)'.*/\\1/\" ;;\n"
           "    quit\\;) exit 0 ;;\n"
           "  esac\n"
           "done\n";
    out.close();
    chmod(script_.path(), 0700);
  }
  // The environment of a child that plots: this gnuplot, the private
  // folder, no screen.
  void use() const {
    setenv("VORNGNUPLOT", script_.path(), 1);
    setenv("TMPDIR", dir_.path().c_str(), 1);
    unsetenv("DISPLAY");
    unsetenv("VGPLOT_TERM");
    unsetenv("VGPLOT_OPTIONS");
    setenv("TERM", "dumb", 1);
  }
  // Everything the runtime sent, the waits left out.
  std::string log() const {
    std::string text = log_.text();
    for (size_t at; (at = text.find("set print '-'")) != std::string::npos;)
      text.erase(at, text.find('\n', at) + 1 - at);
    return text;
  }
  const std::string& dir() const { return dir_.path(); }

 private:
  ScratchFile script_, log_;
  PrivateDir dir_;
};

// A real matrix of rows rows filled row by row, and a list of texts.
inline Matrix* Row(std::initializer_list<double> values, int rows = 1) {
  const int cols = static_cast<int>(values.size()) / rows;
  Matrix* m = MatDef("", rows, cols);
  int k = 0;
  for (double v : values) MatReal(m)[k++] = v;
  return m;
}

inline List* Texts(std::initializer_list<const char*> texts) {
  List* l = ListDef("", static_cast<int>(texts.size()));
  int k = 1;
  for (const char* t : texts) ListSetElement(l, k++, 1, vnStringStringDef(t));
  return l;
}

// Occurrences of what in text.
inline size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) n++;
  return n;
}

// A real gnuplot on the search path.
inline bool HaveProgram(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}
