// The product's resources for the simulated machine: the dialog templates
// of src/ui (the same table the resource script is made from) and the
// sizes of its bitmaps, handed to the machine as Windows would load them
// from SETUP.EXE.
//
//   machine->ui().SetResources(&simrun::ProductResources());
#pragma once

#include "platform/sim/sim_user.h"

namespace simrun {

const sim::Resources& ProductResources();

}  // namespace simrun
