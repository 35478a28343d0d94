#pragma once
// A page leaning on the floors below it only.
#include "gui/dialogs/NameDialog.h"
