// How long boards live (docs/board-files.md, "Lifetime").
//
// Every board made with new is known here. Its owner decides when it goes:
//   - its maker (the default): kept until the library unloads, or deleted;
//   - the repository, while the board is in the current listing;
//   - the model, for a board that left the listing or that the diagram
//     manager adopted (diagrams, board instances): freed once nothing refers
//     to it any longer.
// A board the model owns is still referred to while a Tcl value of any
// thread holds it or one of its objects, while it is an opened diagram, and
// while a use that began before it became unreferenced is still running:
// a thread may hold raw pointers for as long as its use lasts. The command
// framework opens a use around every command.
#pragma once

#include <cstddef>

class HBOBoard;

namespace HBOBoardLifetime {

enum class Owner { Maker, Repository, Model };

// Uses nest; the outermost one of a thread decides.
void beginUse();
void endUse();

// Hands the board to its new owner. Handing it to the model starts its
// grace: it is freed only once every use running now has ended. Call it
// after the board left the structure that referred to it.
void setOwner(const HBOBoard* board, Owner owner);
// A reference from the model to a board it owns is being dropped (a diagram
// is closed): its grace starts again. Call it in the same critical section
// that drops the reference, so that no collection sees the board
// unreferenced with its earlier grace.
void unreferenced(const HBOBoard* board);
// Collects now when a collection is due and this thread runs no use (else
// its use's end does). Call it holding no lock of the model.
void collectIfDue();
// Makes a collection due (a reload retired boards), then as collectIfDue.
void collectSoon();

struct Counts {
    std::size_t listed;   // in the current listing
    std::size_t retired;  // left the listing, still referred to
    std::size_t adopted;  // diagrams and instances the model keeps
    std::size_t makers;   // kept for their makers
};
Counts counts();

}  // namespace HBOBoardLifetime
