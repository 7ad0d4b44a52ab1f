// Helpers shared by the matrix tests: literal stderr patterns for death
// tests and standard output capture.
#pragma once

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

// A regular expression that matches text literally.
inline std::string Literal(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (std::string(".[]{}()\\*+?^$|").find(c) != std::string::npos) out += '\\';
    out += c;
  }
  return out;
}

// The report line of a fatal error or warning, as written on stderr.
inline std::string ReportLine(const std::string& body, const std::string& tag) {
  return Literal("\n" + body + " in " + tag + ".\n");
}

// Runs body with standard output captured and returns what it printed.
template <class Body>
std::string StdoutOf(Body body) {
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  body();
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

// Same for standard error.
template <class Body>
std::string StderrOf(Body body) {
  std::fflush(stderr);
  testing::internal::CaptureStderr();
  body();
  std::fflush(stderr);
  return testing::internal::GetCapturedStderr();
}
