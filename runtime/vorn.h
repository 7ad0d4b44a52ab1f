// The Vorn runtime's public interface: everything compiled programs call.
#pragma once

#include "runtime/core/channel.h"
#include "runtime/core/entry.h"
#include "runtime/core/memory.h"
#include "runtime/core/terminal.h"
#include "runtime/core/util.h"
#include "runtime/io/textsave.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_print.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/list.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"
#include "runtime/plot/plot.h"
