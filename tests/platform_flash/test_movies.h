#pragma once
#include "support/test_movies.h"
