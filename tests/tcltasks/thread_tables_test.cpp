// Tables of Tcl objects per thread: a thread never finds another thread's
// Tcl object for a model object, yet the held-object visit that frees
// unreferenced boards sees every thread's, and none once the thread ended.
#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "tcltasks_fixture.h"

using namespace tov::tcltasks;
using example::Widget;
using example::widget_scope;

namespace {

// A second thread with its own interpreter, driven step by step.
class OtherThread {
public:
    enum class Step { start, hold_object, hold_lock, release_lock, end };

    explicit OtherThread(Widget* widget) : widget_(widget), thread_([this] { run(); }) { wait_until(Step::start); }
    ~OtherThread() {
        go(Step::end);
        thread_.join();
    }
    OtherThread(const OtherThread&) = delete;
    OtherThread& operator=(const OtherThread&) = delete;

    // Asks the thread to take step and waits until it did.
    void go(Step step) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            asked_ = step;
        }
        changed_.notify_all();
        if (step != Step::end) wait_until(step);
    }
    Tcl_Obj* object() const { return object_; }

private:
    void wait_until(Step step) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return done_ == step; });
    }
    void finish(Step step) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = step;
        }
        changed_.notify_all();
    }
    Step next() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return asked_ != done_; });
        return asked_;
    }

    void run() {
        Tcl_Interp* interp = Tcl_CreateInterp();
        std::unique_ptr<thread_tables_lock> busy;
        finish(Step::start);
        for (Step step = next(); step != Step::end; step = next()) {
            if (step == Step::hold_object) {
                object_ = widget_scope::to_tcl(widget_);
                Tcl_SetVar2Ex(interp, "held", nullptr, object_, 0);
            } else if (step == Step::hold_lock) {
                busy.reset(new thread_tables_lock);
            } else if (step == Step::release_lock) {
                busy.reset();
            }
            finish(step);
        }
        Tcl_DeleteInterp(interp);
        Tcl_FinalizeThread();  // runs the thread exit handlers: the tables close
    }

    Widget* widget_;
    Tcl_Obj* object_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    Step asked_ = Step::start;
    Step done_ = Step::end;
    std::thread thread_;
};

class ThreadTablesTest : public TclTasksTest {
protected:
    // Whether a held-object visit saw widget, and whether it was complete.
    static std::pair<bool, bool> visit_sees(const Widget* widget) {
        bool seen = false;
        const bool complete = native_cache_base::for_each_held([&](const std::type_info& type, const void* object) {
            seen = seen || (type == typeid(Widget*) && object == widget);
        });
        return {seen, complete};
    }
};

TEST_F(ThreadTablesTest, EachThreadHasItsOwnObjectsAndTheVisitSeesThemAll) {
    Widget* shared = example::Model::global().add_widget("shared");
    std::unique_ptr<OtherThread> other(new OtherThread(shared));
    other->go(OtherThread::Step::hold_object);
    Tcl_Obj* mine = widget_scope::to_tcl(shared);
    EXPECT_NE(mine, other->object()) << "a Tcl object of another thread was handed out";
    EXPECT_EQ(native_cache<Widget*>::base().find_tclobj(shared), mine);
    Tcl_SetVar2Ex(interp, "mine", nullptr, mine, 0);
    Tcl_UnsetVar(interp, "mine", 0);
    // Only the other thread holds it now, and the visit still sees it.
    EXPECT_EQ(visit_sees(shared), std::make_pair(true, true));
    other.reset();  // the thread ends; its tables leave the registry
    EXPECT_EQ(visit_sees(shared), std::make_pair(false, true));
}

TEST_F(ThreadTablesTest, AThreadRunningACommandMakesTheVisitIncompleteNotBlocked) {
    Widget* widget = example::Model::global().add_widget("busy");
    OtherThread other(widget);
    other.go(OtherThread::Step::hold_object);
    other.go(OtherThread::Step::hold_lock);
    EXPECT_EQ(visit_sees(widget), std::make_pair(false, false));
    other.go(OtherThread::Step::release_lock);
    EXPECT_EQ(visit_sees(widget), std::make_pair(true, true));
}

}  // namespace
