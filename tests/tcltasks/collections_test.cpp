// Collections: wrapper slots, string forms, display limit,
// plain lists, and reference counts.
#include <gtest/gtest.h>

#include <tuple>

#include "tcltasks_fixture.h"

using namespace tov::tcltasks;
using example::Widget;
using example::widget_list;
using example::widget_scope;

namespace {

class CollectionsTest : public TclTasksTest {
protected:
    // beta Alpha gamma beta
    static widget_list four() {
        widget_list list;
        for (std::size_t i : {0, 1, 2, 0}) list.push_back(widget(i));
        return list;
    }
    static std::string names(widget_list& list) {
        std::string text;
        for (std::size_t i = 0; i < list.size(); ++i) text += (i ? " " : "") + list[i]->getName();
        return text;
    }
};

TEST_F(CollectionsTest, StringIsTheNamesSeparatedByBlanks) {
    widget_list list = four();
    Tcl_Obj* obj = widget_scope::to_tcl(list);
    Tcl_IncrRefCount(obj);
    EXPECT_STREQ(Tcl_GetString(obj), "beta Alpha gamma beta");
    EXPECT_EQ(list.get().string_rep(obj), "beta Alpha gamma beta");
    EXPECT_EQ(tclany(list).text(), "tacol");
    Tcl_DecrRefCount(obj);
    widget_list empty;
    Tcl_Obj* none = widget_scope::to_tcl(empty);
    Tcl_IncrRefCount(none);
    EXPECT_STREQ(Tcl_GetString(none), "");
    Tcl_DecrRefCount(none);
}

TEST_F(CollectionsTest, DisplayLimitStopsTheStringWithDots) {
    widget_list list = four();
    const std::tuple<const char*, const char*, const char*> cases[] = {{"1", "2", "beta Alpha ..."},
                                                                       {"1", "4", "beta Alpha gamma beta"},
                                                                       {"1", "0", " ..."},
                                                                       {"1", "-1", "beta Alpha gamma beta"},
                                                                       {"0", "1", "beta Alpha gamma beta"}};
    for (const auto& [check, limit, expected] : cases) {
        set_param("tcl.collectionResultDisplayLimitCheck", check);
        set_param("tcl.collectionResultDisplayLimit", limit);
        EXPECT_EQ(list.get().limited_string(), expected) << check << " " << limit;
    }
    // The Tcl string follows the rule; shimmer makes it read the settings again.
    set_param("tcl.collectionResultDisplayLimitCheck", "1");
    set_param("tcl.collectionResultDisplayLimit", "1");
    Tcl_Obj* obj = widget_scope::to_tcl(list);
    Tcl_IncrRefCount(obj);
    EXPECT_STREQ(Tcl_GetString(obj), "beta ...");
    set_param("tcl.collectionResultDisplayLimit", "3");
    detail::GetTclTypeInfo(obj)->refresh(obj);
    EXPECT_STREQ(Tcl_GetString(obj), "beta Alpha gamma ...");
    Tcl_DecrRefCount(obj);
}

TEST_F(CollectionsTest, ReadSlotsCheckTheRange) {
    widget_list list = four();
    auto& wrapper = list.get();
    EXPECT_EQ(wrapper.element_type(), typeid(Widget*));
    EXPECT_EQ(boost::any_cast<Widget*>(wrapper.element_any(2)), widget(2));
    EXPECT_EQ(wrapper.element_text(1), "Alpha");
    EXPECT_EQ(*tclany_cast<Widget*>(wrapper.element_tclany(3)), widget(0));
    EXPECT_EQ(wrapper.element_tclobj(0), widget_scope::to_tcl(widget(0)));
    for (auto read : {+[](collection_wrapper_base& w) { w.element_any(4); },
                      +[](collection_wrapper_base& w) { w.element_tclany(4); },
                      +[](collection_wrapper_base& w) { w.element_text(4); },
                      +[](collection_wrapper_base& w) { w.element_tclobj(4); }})
        EXPECT_THROW(read(wrapper), std::out_of_range);
}

TEST_F(CollectionsTest, ChangingSlotsKeepOrderAndCheckIndices) {
    widget_list list = four();
    auto& wrapper = list.get();
    wrapper.replace(1, interp, widget_scope::to_tcl(widget(2)));
    EXPECT_EQ(names(list), "beta gamma gamma beta");
    wrapper.insert(4, interp, widget_scope::to_tcl(widget(1)));
    EXPECT_EQ(names(list), "beta gamma gamma beta Alpha");
    wrapper.remove(0);
    EXPECT_EQ(names(list), "gamma gamma beta Alpha");
    wrapper.reverse();
    EXPECT_EQ(names(list), "Alpha beta gamma gamma");
    wrapper.unique();
    EXPECT_EQ(names(list), "Alpha beta gamma");
    EXPECT_THROW(wrapper.remove(3), HTCErrors::index_out_of_range);
    EXPECT_THROW(wrapper.insert(-1, interp, widget_scope::to_tcl(widget(1))), HTCErrors::index_out_of_range);
    EXPECT_THROW(wrapper.replace(5, interp, widget_scope::to_tcl(widget(1))), HTCErrors::index_out_of_range);
    Tcl_Obj* text = Tcl_NewStringObj("Alpha", -1);
    Tcl_IncrRefCount(text);
    EXPECT_THROW(wrapper.append_tclobj(interp, text), HTCErrors::not_implemented);
    Tcl_DecrRefCount(text);
    string_list words;
    words.push_back("x");
    EXPECT_THROW(wrapper.append_collection(words.get()), HTCErrors::append_typed_collection);
}

TEST_F(CollectionsTest, ObjectsOfOneNameStayDistinctInUniqueAndRemove) {
    // Never handed to Tcl, so no cache entry outlives them.
    static Widget twins[2] = {{"twin", nullptr}, {"twin", nullptr}};
    object_list values;
    for (Widget* w : {&twins[0], &twins[1], &twins[0]}) values.push_back(tclany(w));
    values.push_back(tclany(std::string("twin")));
    values.push_back(tclany(std::string("twin")));
    widget_list one = four();
    widget_list other = four();
    for (const widget_list* handle : {&one, &other, &one}) values.push_back(tclany(*handle));
    values.get().unique();
    ASSERT_EQ(values.size(), 5u) << "two widgets, one string, two collections";
    EXPECT_EQ(*tclany_cast<Widget*>(values[0]), &twins[0]);
    EXPECT_EQ(*tclany_cast<Widget*>(values[1]), &twins[1]);
    EXPECT_EQ(tclany_cast<widget_list>(values[4])->wrapper(), other.wrapper());

    object_list removed;
    removed.push_back(tclany(&twins[0]));
    values.get().keep_if([&](std::size_t i) { return !values.get().element_equals(i, removed.get(), 0); });
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(*tclany_cast<Widget*>(values[0]), &twins[1]);
}

TEST_F(CollectionsTest, SliceAndCloneCopyElementsAndContext) {
    widget_list list = four();
    list.get().set_context(HTCCollectionContextMgr::instance()->createListCollectionContext());
    widget_list part(static_cast<widget_list::wrapper_type*>(list.get().slice(1, 3)));
    EXPECT_EQ(names(part), "Alpha gamma");
    EXPECT_EQ(part.get().context(), list.get().context());
    EXPECT_THROW(list.get().slice(2, 5), std::out_of_range);
    widget_list copy = list.copy();
    copy.get().remove(0);
    EXPECT_EQ(list.size(), 4u);
    EXPECT_EQ(copy.get().refcount(), 1);
}

TEST_F(CollectionsTest, ForeachKeepsObjectsOfAPlainListWhenCollectionsAreDisabled) {
    set_param("tcl.disableCollections", "1");
    eval("set all [::test::get_widgets]");
    Tcl_Obj* all = var("all");
    EXPECT_EQ(all->typePtr, Tcl_GetObjType("list"));
    EXPECT_EQ(eval("llength $all"), "3");
    eval("set seen {}; foreach w $all { lappend seen $w }");
    Tcl_Obj* first = nullptr;
    Tcl_ListObjIndex(interp, var("seen"), 0, &first);
    EXPECT_EQ(first, widget_scope::to_tcl(widget(0))) << "foreach hands out the native objects themselves";
    Tcl_SetVar2Ex(interp, "g", nullptr, widget_scope::to_tcl(gadget(0)), 0);
    EXPECT_EQ(eval("::test::get_widgets -of_objects [list $g]"), "beta Alpha");
    // The collection commands take such lists too.
    EXPECT_EQ(eval("sizeof_collection $all"), "3");
    EXPECT_EQ(eval("set n {}; foreach_in_collection w $all {lappend n $w}; set n"), "beta Alpha gamma");
    EXPECT_EQ(eval("set s [sort_collection $all]"), "Alpha beta gamma");
    EXPECT_EQ(var("s")->typePtr, Tcl_GetObjType("list")) << "collection commands follow the parameter too";
    EXPECT_EQ(
        eval("sizeof_collection {beta gamma}")
            .rfind("ERROR: wrong type of value: \"beta gamma\" is not a collection; \"beta\" is the name of a widget",
                   0),
        0u);
}

TEST_F(CollectionsTest, ReferencesAreExactAcrossTclAndHandles) {
    widget_list list = four();
    auto* wrapper = list.wrapper();
    EXPECT_EQ(wrapper->refcount(), 1);
    Tcl_Obj* obj = widget_scope::to_tcl(list);
    EXPECT_EQ(obj->refCount, 1) << "the collection cache holds it";
    EXPECT_EQ(wrapper->refcount(), 3) << "the handle, the Tcl object and the cache hold it";
    Tcl_IncrRefCount(obj);
    EXPECT_EQ(widget_scope::to_tcl(list), obj) << "one Tcl object per wrapper";
    Tcl_Obj* dup = Tcl_DuplicateObj(obj);
    Tcl_IncrRefCount(dup);
    EXPECT_EQ(detail::get_collection(dup), wrapper);
    EXPECT_EQ(wrapper->refcount(), 4);
    Tcl_DecrRefCount(dup);
    EXPECT_EQ(wrapper->refcount(), 3);
    // A script using it as a list replaces its internal form; the cache keeps
    // the wrapper for it, and the collection is found again from the value.
    Tcl_SetVar2Ex(interp, "l", nullptr, obj, 0);
    EXPECT_EQ(eval("lindex $l 1"), "Alpha");
    EXPECT_EQ(wrapper->refcount(), 2);
    EXPECT_EQ(wrapper->tclobj(), obj);
    EXPECT_EQ(detail::get_collection(obj), wrapper);
    EXPECT_EQ(wrapper->refcount(), 3);
    EXPECT_EQ(widget_scope::to_tcl(list), obj);
    Tcl_DecrRefCount(obj);
    // Plain list form: cached until the elements change, held by the wrapper.
    Tcl_Obj* plain = wrapper->get_collection_as_tcllist();
    EXPECT_EQ(plain->refCount, 1);
    EXPECT_EQ(wrapper->get_collection_as_tcllist(), plain);
    Tcl_IncrRefCount(plain);
    list.push_back(widget(1));
    EXPECT_EQ(plain->refCount, 1) << "the wrapper let go of its cached list";
    Tcl_DecrRefCount(plain);
}

TEST_F(CollectionsTest, AResultUsedAsAListOrStringStaysACollection) {
    eval("set r [::test::get_widgets]");
    for (const char* use : {"llength $r", "lindex $r 0", "foreach w $r {}", "lsort $r", "string length $r",
                            "string index $r 0", "expr {$r eq {}}"}) {
        eval(use);
        EXPECT_EQ(eval("sizeof_collection $r"), "3") << use;
        EXPECT_EQ(eval("index_collection $r 1"), "Alpha") << use;
        EXPECT_EQ(widget_scope::to_collection<Widget*>(interp, var("r")).size(), 3u) << use;
    }
    // Only the value itself: the same text in another value is text.
    EXPECT_EQ(eval("catch {sizeof_collection [string range $r 0 end]}"), "1");
}

TEST_F(CollectionsTest, TheCacheGivesBackWhatOnlyItHolds) {
    collection_cache& cache = collection_cache::instance();
    cache.release_unreferenced();
    eval("set r [::test::get_widgets]; llength $r");
    Tcl_Obj* obj = var("r");
    collection_wrapper_base* wrapper = cache.find(obj);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(cache.release_unreferenced(), 0u) << "the variable holds it";
    EXPECT_EQ(cache.find(obj), wrapper);
    eval("unset r");
    EXPECT_EQ(cache.release_unreferenced(), 1u);
    EXPECT_EQ(cache.size(), 0u);
}

TEST_F(CollectionsTest, TheCacheStaysBoundedOverALongSession) {
    collection_cache& cache = collection_cache::instance();
    eval("for {set i 0} {$i < 20000} {incr i} { set r [::test::get_widgets]; llength $r }");
    // Each result weighs 4 (1 + 3 widgets); a sweep gives back what was
    // registered before the sweep before it.
    EXPECT_LE(cache.size(), 2 * collection_cache::minimum_sweep_weight / 4 + 2);
    EXPECT_EQ(eval("sizeof_collection $r"), "3");
}

TEST_F(CollectionsTest, ASweepSparesObjectsTheirMakersHaveNotTakenYet) {
    collection_cache& cache = collection_cache::instance();
    cache.release_unreferenced();
    widget_list first = four();
    Tcl_Obj* fresh = widget_scope::to_tcl(first);  // its maker holds no reference yet
    for (std::size_t i = 0; i < collection_cache::minimum_sweep_weight / 5 + 5; ++i) {  // one sweep's worth
        widget_list other = four();
        widget_scope::to_tcl(other);
    }
    EXPECT_EQ(cache.find(fresh), first.wrapper());
    EXPECT_EQ(fresh->refCount, 1);
}

TEST_F(CollectionsTest, ValuesChangedInPlaceAreNotKept) {
    // The cache's reference keeps its objects shared, so lappend changes a
    // copy: without it Tcl would find the value unshared, then panic when
    // the list conversion made it shared.
    EXPECT_EQ(eval("set r [::test::get_widgets]; lappend r extra"), "beta Alpha gamma extra");
    EXPECT_EQ(eval("llength $r"), "4");
    EXPECT_NE(eval("sizeof_collection $r").find("is not a collection"), std::string::npos);
}

TEST_F(CollectionsTest, StringCollectionsFromWordsAndOtherCollections) {
    Tcl_Obj* words = Tcl_NewStringObj("b* {a c} x", -1);
    Tcl_IncrRefCount(words);
    string_list list = widget_scope::to_collection<std::string>(interp, words);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1], "a c");
    Tcl_DecrRefCount(words);
    widget_list widgets = four();
    Tcl_Obj* obj = widget_scope::to_tcl(widgets);
    Tcl_IncrRefCount(obj);
    string_list fromObjects = widget_scope::to_collection<std::string>(interp, obj);
    EXPECT_EQ(fromObjects.size(), 4u);
    EXPECT_EQ(fromObjects[1], "Alpha");
    Tcl_DecrRefCount(obj);
}

}  // namespace

namespace {

// Tcl runs its thread exit handlers here, which give back what this
// thread's tables still hold and close them; under the sanitizer build this
// must be clean.
class FinalizeTcl : public ::testing::Environment {
public:
    void TearDown() override {
        Tcl_Finalize();
        EXPECT_EQ(tov::tcltasks::native_cache_base::existing(typeid(Widget*)), nullptr);
    }
};

const auto* const finalize_tcl = ::testing::AddGlobalTestEnvironment(new FinalizeTcl);

}  // namespace
