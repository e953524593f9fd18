#pragma once
// The image operations as logic without a window, for the window's handlers and the command-line
// tool alike: the catalogue, the plans, the output guard, the execution, the inputs and the texts.
#include "operations/Catalogue.h"
#include "operations/DataFileLookup.h"
#include "operations/Execution.h"
#include "operations/Inputs.h"
#include "operations/Examine.h"
#include "operations/OutputGuard.h"
#include "operations/Plans.h"
#include "operations/Texts.h"
