// Native objects: identity, strings, caches, conversions and reference counts.
#include <gtest/gtest.h>

#include <new>

#include "tcltasks_fixture.h"

using namespace tov::tcltasks;
using example::Gadget;
using example::Widget;
using example::widget_scope;

namespace {

// The same types seen from another command file (other scope tags).
struct other_extension {};
struct other_tuid {};
using other_scope = tcl_scope<other_extension, other_tuid>;

class ObjectsTest : public TclTasksTest {};

TEST_F(ObjectsTest, SameNativeObjectGivesTheSameTclObjectWithItsNameAsString) {
    Tcl_Obj* first = widget_scope::to_tcl(widget(0));
    Tcl_Obj* again = widget_scope::to_tcl(widget(0));
    EXPECT_EQ(first, again);
    EXPECT_STREQ(Tcl_GetString(first), "beta");
    EXPECT_EQ(widget_scope::to_tcl<Widget>(nullptr), nullptr);
    // Another command file gets the same object, stamped with its own type.
    Tcl_Obj* other = other_scope::to_tcl(widget(0));
    EXPECT_EQ(other, first);
    EXPECT_EQ(widget_scope::to_native<Widget*>(other), widget(0));
    EXPECT_EQ(std::string(other->typePtr->name), "pelko:" + std::string(typeid(Widget).name()));
}

TEST_F(ObjectsTest, AnObjectUsedAsAListConvertsBackAndIsRestamped) {
    Tcl_Obj* obj = widget_scope::to_tcl(widget(1));
    Tcl_SetVar2Ex(interp, "w", nullptr, obj, 0);
    EXPECT_EQ(eval("llength $w"), "1");
    EXPECT_EQ(obj->typePtr, Tcl_GetObjType("list")) << "the internal form was replaced";
    EXPECT_EQ(widget_scope::to_native<Widget*>(obj), widget(1));
    EXPECT_NE(detail::GetTclTypeInfo(obj), nullptr);
    // Also when it reaches a command as a plain list element.
    Tcl_Obj* gadgetObj = widget_scope::to_tcl(gadget(1));
    Tcl_SetVar2Ex(interp, "g", nullptr, gadgetObj, 0);
    eval("llength $g");
    EXPECT_EQ(detail::GetTclTypeInfo(gadgetObj), nullptr);
    EXPECT_EQ(eval("::test::get_widgets -of_objects $g"), "gamma");
}

TEST_F(ObjectsTest, ACopyMadeByTclDuplicateObjReadsAsTheObjectWhileItKeepsItsInternalForm) {
    Tcl_SetVar2Ex(interp, "g", nullptr, Tcl_DuplicateObj(widget_scope::to_tcl(gadget(0))), 0);
    EXPECT_EQ(eval("::test::get_widgets -of_objects $g"), "beta Alpha");
    EXPECT_EQ(eval("sizeof_collection $g"), "1");
    Widget* temporary = example::Model::global().add_widget("copied");
    Tcl_Obj* copy = Tcl_DuplicateObj(widget_scope::to_tcl(temporary));
    Tcl_IncrRefCount(copy);
    EXPECT_EQ(other_scope::to_native<Widget*>(copy), temporary);
    EXPECT_THROW(widget_scope::to_native<Gadget*>(copy), HTCErrors::not_implemented) << "not another type";
    // Used as a list, the copy is text.
    Tcl_Obj* shimmered = Tcl_DuplicateObj(copy);
    Tcl_IncrRefCount(shimmered);
    int length = 0;
    Tcl_ListObjLength(nullptr, shimmered, &length);
    EXPECT_THROW(widget_scope::to_native<Widget*>(shimmered), HTCErrors::not_implemented);
    Tcl_DecrRefCount(shimmered);
    // Once the model forgets the object, its copies are text too.
    native_cache<Widget*>::base().forget_native(temporary);
    EXPECT_THROW(widget_scope::to_native<Widget*>(copy), HTCErrors::not_implemented);
    Tcl_DecrRefCount(copy);
    example::Model::global().widgets.pop_back();
}

// A copy of an object whose string Tcl had dropped, as Tcl_DuplicateObj
// makes it when a script changes a shared value.
Tcl_Obj* copy_without_string(Tcl_Obj* original) {
    Tcl_InvalidateStringRep(original);
    Tcl_Obj* copy = Tcl_DuplicateObj(original);
    Tcl_IncrRefCount(copy);
    return copy;
}

// The model frees an object and makes another at the same address, as an
// allocator may: the copy must not take the newcomer for its object,
// whatever the newcomer's name.
TEST_F(ObjectsTest, ACopyNeverNamesAnotherObjectMadeAtItsObjectsAddress) {
    native_cache_base& cache = native_cache<Widget*>::base();
    for (const char* newName : {"newcomer", "reused"}) {
        Widget* reused = example::Model::global().add_widget("reused");
        Tcl_Obj* copy = copy_without_string(widget_scope::to_tcl(reused));
        EXPECT_STREQ(copy->bytes, "reused") << "the copy carries the name";
        // Nothing but the cache and the copy holds the original: the copy keeps it, and so the model object.
        cache.release_unreferenced();
        EXPECT_NE(cache.find_tclobj(reused), nullptr);
        EXPECT_EQ(widget_scope::to_native<Widget*>(copy), reused);
        cache.forget_native(reused);
        reused->~Widget();
        auto* newcomer = new (reused) Widget{newName, nullptr};
        Tcl_Obj* fresh = widget_scope::to_tcl(newcomer);
        EXPECT_EQ(widget_scope::to_native<Widget*>(fresh), newcomer);
        EXPECT_THROW(widget_scope::to_native<Widget*>(copy), HTCErrors::not_implemented) << newName;
        EXPECT_STREQ(Tcl_GetString(copy), "reused");
        // A copy of the copy is no better.
        Tcl_Obj* second = Tcl_DuplicateObj(copy);
        Tcl_IncrRefCount(second);
        EXPECT_THROW(widget_scope::to_native<Widget*>(second), HTCErrors::not_implemented) << newName;
        Tcl_DecrRefCount(second);
        Tcl_DecrRefCount(copy);
        cache.forget_native(newcomer);
        example::Model::global().widgets.pop_back();
    }
}

TEST_F(ObjectsTest, AStaleObjectTheModelDeletedNeverNamesItsSuccessor) {
    native_cache_base& cache = native_cache<Widget*>::base();
    Widget* first = example::Model::global().add_widget("same");
    Tcl_Obj* stale = widget_scope::to_tcl(first);
    Tcl_IncrRefCount(stale);
    cache.forget_native(first);
    first->~Widget();
    auto* successor = new (first) Widget{"same", nullptr};
    EXPECT_NE(widget_scope::to_tcl(successor), stale);
    EXPECT_THROW(widget_scope::to_native<Widget*>(stale), HTCErrors::not_implemented);
    Tcl_DecrRefCount(stale);
    cache.forget_native(successor);
    example::Model::global().widgets.pop_back();
}

TEST_F(ObjectsTest, CacheHoldsOneReferenceAndReleasesObjectsOnlyItHolds) {
    Widget* temporary = example::Model::global().add_widget("temporary");
    native_cache_base& cache = native_cache<Widget*>::base();
    Tcl_Obj* obj = widget_scope::to_tcl(temporary);
    EXPECT_EQ(obj->refCount, 1) << "the cache's reference";
    Tcl_SetVar2Ex(interp, "keep", nullptr, obj, 0);
    EXPECT_EQ(obj->refCount, 2);
    cache.release_unreferenced();
    EXPECT_EQ(cache.find_tclobj(temporary), obj) << "still used by a variable";
    EXPECT_TRUE(native_cache_base::is_alive(obj));
    eval("unset keep");
    EXPECT_EQ(obj->refCount, 1);
    EXPECT_GE(cache.release_unreferenced(), 1u);
    EXPECT_EQ(cache.find_tclobj(temporary), nullptr);
    // A new object is made afterwards, with the name again.
    Tcl_Obj* fresh = widget_scope::to_tcl(temporary);
    EXPECT_STREQ(Tcl_GetString(fresh), "temporary");
    cache.forget_native(temporary);
    EXPECT_EQ(cache.find_tclobj(temporary), nullptr);
    example::Model::global().widgets.pop_back();
}

TEST_F(ObjectsTest, NonAsciiNamesComeFromTheSystemEncoding) {
    Widget* accented = example::Model::global().add_widget("caf\xc3\xa9");
    Tcl_Obj* obj = widget_scope::to_tcl(accented);
    Tcl_DString expected;
    Tcl_ExternalToUtfDString(nullptr, "caf\xc3\xa9", -1, &expected);
    EXPECT_STREQ(Tcl_GetString(obj), Tcl_DStringValue(&expected));
    Tcl_DStringFree(&expected);
    native_cache<Widget*>::base().forget_native(accented);
    example::Model::global().widgets.pop_back();
}

TEST_F(ObjectsTest, CollectionFromTclAcceptsObjectsListsAndCollections) {
    Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
    Tcl_IncrRefCount(list);
    Tcl_ListObjAppendElement(nullptr, list, widget_scope::to_tcl(widget(2)));
    Tcl_ListObjAppendElement(nullptr, list, widget_scope::to_tcl(widget(0)));
    auto fromList = widget_scope::to_collection<Widget*>(interp, list);
    ASSERT_EQ(fromList.size(), 2u);
    EXPECT_EQ(fromList[0], widget(2));
    EXPECT_EQ(fromList[1], widget(0));
    ASSERT_TRUE(fromList.get().context());
    EXPECT_EQ(fromList.get().context()->string_rep(), "gamma beta");

    auto single = widget_scope::to_collection<Widget*>(interp, widget_scope::to_tcl(widget(1)));
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0], widget(1));

    // A collection of the same type is shared, not copied.
    Tcl_Obj* collection = widget_scope::to_tcl(fromList);
    Tcl_IncrRefCount(collection);
    auto shared = other_scope::to_collection<Widget*>(interp, collection);
    EXPECT_EQ(shared.wrapper(), fromList.wrapper());

    // As -of_objects sees it: any objects, collections element by element.
    auto anyObjects = widget_scope::to_collection<tclany>(interp, collection);
    ASSERT_EQ(anyObjects.size(), 2u);
    EXPECT_EQ(*tclany_cast<Widget*>(anyObjects[0]), widget(2));
    // Back from any objects to widgets, skipping what is not a widget.
    anyObjects.push_back(tclany(gadget(0)));
    Tcl_Obj* mixed = widget_scope::to_tcl(anyObjects);
    Tcl_IncrRefCount(mixed);
    EXPECT_EQ(widget_scope::to_collection<Widget*>(interp, mixed).size(), 2u);
    Tcl_DecrRefCount(mixed);
    Tcl_DecrRefCount(collection);
    Tcl_DecrRefCount(list);
}

TEST_F(ObjectsTest, PlainTextInAListFailsAndAnEmptyListIsEmpty) {
    eval("set w [::test::get_widgets -quiet beta]");
    Tcl_Obj* bad = Tcl_NewStringObj("", -1);
    Tcl_IncrRefCount(bad);
    EXPECT_EQ(widget_scope::to_collection<Widget*>(interp, bad).size(), 0u);
    Tcl_DecrRefCount(bad);
    EXPECT_EQ(eval("::test::get_widgets -of_objects [list [::test::noisy -quiet -nested {set w}] text]"),
              "ERROR: invalid value \"beta text\" for option \"-of_objects\": \"text\" is plain text, not an object");
    for (const char* text : {"beta", "beta gamma", "{a b} c"}) {
        Tcl_Obj* obj = Tcl_NewStringObj(text, -1);
        Tcl_IncrRefCount(obj);
        EXPECT_THROW(widget_scope::to_collection<Widget*>(interp, obj), HTCErrors::not_implemented) << text;
        EXPECT_THROW(widget_scope::to_collection<tclany>(interp, obj), HTCErrors::not_implemented) << text;
        Tcl_DecrRefCount(obj);
    }
}

TEST_F(ObjectsTest, TextWhereObjectsAreExpectedSaysWhatItIsAndWhatToWrite) {
    eval("set all [::test::get_widgets]");
    const std::string name = eval("::test::get_widgets -of_objects [lindex $all 2]");
    EXPECT_EQ(name.rfind("ERROR: invalid value \"gamma\" for option \"-of_objects\": it is the name of a widget, not "
                         "the widget object: foreach",
                         0),
              0u)
        << name;
    EXPECT_NE(name.find("foreach_in_collection or index_collection"), std::string::npos) << name;
    EXPECT_NE(name.find("set_param tcl.disableCollections 1"), std::string::npos) << name;
    EXPECT_EQ(error_code("::test::get_widgets -of_objects [lindex $all 2]"),
              "ZEM TYPE ::test::get_widgets -of_objects");
    EXPECT_NE(eval("::test::get_widgets -of_objects {nothing gamma}")
                  .find("\"nothing gamma\" for option \"-of_objects\": \"nothing\" is plain text, not an object"),
              std::string::npos);
    // Called directly, the conversion keeps its own short text.
    Tcl_Obj* text = Tcl_NewStringObj("gamma", -1);
    Tcl_IncrRefCount(text);
    try {
        widget_scope::to_native<Widget*>(text);
        ADD_FAILURE() << "text became an object";
    } catch (const HTCErrors::not_implemented& error) {
        EXPECT_STREQ(error.what(), "not implemented");
    }
    Tcl_DecrRefCount(text);
}

TEST_F(ObjectsTest, AListInsideTheListIsNoObject) {
    Tcl_SetVar2Ex(interp, "g", nullptr, widget_scope::to_tcl(gadget(0)), 0);
    EXPECT_EQ(eval("::test::get_widgets -of_objects [list [list $g $g]]"),
              "ERROR: invalid value \"{g1 g1}\" for option \"-of_objects\": \"g1 g1\" is a list inside the "
              "list: give objects and collections in one flat list (concat joins lists)");
    EXPECT_EQ(eval("catch {::test::get_widgets -of_objects [list [list $g]]}"), "1");
    EXPECT_EQ(eval("::test::get_widgets -of_objects [list $g $g]"), "beta Alpha beta Alpha");
}

TEST_F(ObjectsTest, OptionValuesDoNotChangeTheCallersCollection) {
    object_list gadgets;
    gadgets.push_back(tclany(gadget(0)));
    Tcl_SetVar2Ex(interp, "c", nullptr, widget_scope::to_tcl(gadgets), 0);
    EXPECT_EQ(eval("::test::get_widgets -of_objects $c -of_objects $c"), "beta Alpha beta Alpha");
    EXPECT_EQ(gadgets.size(), 1u);
    EXPECT_EQ(eval("sizeof_collection $c"), "1");
}

}  // namespace
