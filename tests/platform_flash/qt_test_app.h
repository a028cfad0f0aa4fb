#pragma once
#include "support/qt_app.h"
