#pragma once
#include "support/vorn_test.h"
