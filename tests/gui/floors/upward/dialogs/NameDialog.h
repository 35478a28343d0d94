#pragma once
// A dialog leaning on a page: the include check must name this file.
#include "gui/AppState.h"
#include "gui/pages/PageControls.h"
