// HBOPortMap is declared with the rest of the board model.
#pragma once

#include "HBOBoardModel.h"
