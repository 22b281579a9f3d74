// What a picture of a board or of a board diagram shows, as a graph to lay
// out (HBOCOutPictureGraph.h); HBOCOutGraphviz draws it.
#pragma once

#include "HBOCOutPictureGraph.h"

class HBOBoard;

namespace HBOCOutBoardPicture {

// A board: the FPGA part in the middle, the other components around it with
// their type and pin count, connectors in a column of their own, one edge
// per pair of components joined by interfaces or buses, labelled with each
// interface and its pin count and each bus and its net count. An interface
// whose component is not drawn hangs off its owner on its own. Disabled
// components, interfaces, buses and nets are left out unless all is set.
HBOCOutPicture::Graph board_graph(const HBOBoard& board, bool all);

// A diagram: the board of each instance (found in the repository by its base
// board's name) drawn as above inside a cluster of its own, and each
// connection as an edge between the two connectors, labelled with their pin
// index ranges. Instances, boards and connectors that a connection names but
// that cannot be drawn are shown as such, so that no connection is lost.
HBOCOutPicture::Graph diagram_graph(const HBOBoard& diagram, bool all);

}  // namespace HBOCOutBoardPicture
