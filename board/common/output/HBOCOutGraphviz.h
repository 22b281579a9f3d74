// Draws a picture graph with Graphviz as a library, in process: cgraph
// builds the graph, gvc lays it out (dot) and renders it.
#pragma once

#include <string>

#include "HBOCOutPictureGraph.h"

namespace HBOCOutGraphviz {

enum class Format { svg, png, dot };

// Whether this build has Graphviz; without it render() says pictures need it.
bool available();

// The picture as the bytes of a file: svg and png laid out by dot; dot is
// the graph text itself, before layout, for users to lay out as they like.
// Fails with an HTCErrors::error that carries Graphviz's own reason; a
// graph of more than 1,000 nodes or 5,000 edges is not laid out.
std::string render(const HBOCOutPicture::Graph& graph, Format format);

}  // namespace HBOCOutGraphviz
