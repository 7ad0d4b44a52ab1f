#pragma once
#include "support/values.h"
#include "support/vorn_test.h"
