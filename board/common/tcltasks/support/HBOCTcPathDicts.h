// The dicts of ::board::trace_board_pins -paths: built as lists of keys and
// values (a dict's own string form), sharing one Tcl object per key word and
// per name of a board, component, bus or repeated text: a board's thousands
// of paths name few.
#pragma once

#include <tcl.h>

#include <initializer_list>
#include <string>
#include <unordered_map>

#include "HBOPinTrace.h"
#include "tcl_obj_ref.h"

class HBOCTcPathDicts {
    using tcl_obj_ref = tov::tcltasks::tcl_obj_ref;

public:
    // What a shared object stands for; the same pointer may stand for two.
    enum kind { word_of, name_of, component_name_of, text_of, kinds };

    Tcl_Obj* word(const char* literal) {
        return shared(word_of, literal, [literal] { return std::string(literal); });
    }
    template <class Named>
    Tcl_Obj* name(const Named* object) {
        return shared(name_of, object, [object] { return object ? object->getName() : std::string(); });
    }
    // A text held by the model, found by its address.
    Tcl_Obj* held(const std::string& value) {
        return shared(text_of, &value, [&value] { return value; });
    }
    Tcl_Obj* text(const std::string& value) {
        auto found = texts_.find(value);
        if (found == texts_.end()) found = texts_.emplace(value, tcl_obj_ref(unique(value))).first;
        return found->second.get();
    }
    static Tcl_Obj* unique(const std::string& value) {
        return Tcl_NewStringObj(value.data(), static_cast<int>(value.size()));
    }
    // pairs: key, value, key, value, ...
    static Tcl_Obj* dict(std::initializer_list<Tcl_Obj*> pairs) {
        return Tcl_NewListObj(static_cast<int>(pairs.size()), pairs.begin());
    }

    // One hop of a path as a dict: kind, then what the hop passes.
    Tcl_Obj* hop(const HBOTraceHop& hop);

private:
    Tcl_Obj* component_name(const HBOBoardComponent* component);

    template <class Text>
    Tcl_Obj* shared(kind what, const void* key, Text text_of_key) {
        std::unordered_map<const void*, tcl_obj_ref>& cache = shared_[what];
        auto found = cache.find(key);
        if (found == cache.end()) found = cache.emplace(key, tcl_obj_ref(unique(text_of_key()))).first;
        return found->second.get();
    }

    std::unordered_map<const void*, tcl_obj_ref> shared_[kinds];
    std::unordered_map<std::string, tcl_obj_ref> texts_;
};
