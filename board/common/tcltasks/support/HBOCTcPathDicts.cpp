#include "HBOCTcPathDicts.h"

#include "HBOBoardModel.h"

Tcl_Obj* HBOCTcPathDicts::hop(const HBOTraceHop& hop) {
    switch (hop.kind) {
        case HBOTraceHop::Kind::pin:
            return dict({word("kind"), word("pin"), word("board"), name(hop.board), word("instance"),
                         text(hop.instance), word("component"), component_name(hop.pin->getOwner()), word("pin"),
                         unique(hop.pin->getName())});
        case HBOTraceHop::Kind::net:
            return dict({word("kind"), word("net"), word("board"), name(hop.board), word("instance"),
                         text(hop.instance), word("bus"), name(hop.net->getOwner()), word("net"),
                         unique(hop.net->getName())});
        case HBOTraceHop::Kind::connection:
            return dict({word("kind"), word("connection"), word("diagram"), name(hop.board), word("from"),
                         text(hop.from), word("to"), text(hop.to)});
    }
    return nullptr;
}

Tcl_Obj* HBOCTcPathDicts::component_name(const HBOBoardComponent* component) {
    return shared(component_name_of, component,
                  [component] { return component ? component->getComponentName() : std::string(); });
}
