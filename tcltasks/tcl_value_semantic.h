// Typed option values: boost value semantics that convert the Tcl object
// a token came from (not its text) into bool, std::string or a collection.
#pragma once

#include <boost/any.hpp>
#include <boost/function.hpp>
#include <boost/optional.hpp>
#include <boost/program_options/value_semantic.hpp>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "HTCErrors.h"
#include "HTCTclUtils.h"
#include "tcl_collection.h"
#include "tcl_value_text.h"
#include "tcltasks_options.h"

namespace tov {
namespace tcltasks {

namespace detail {

// How a value of type V is read from one Tcl object and stored.
template <class V, class Ext, class Tuid>
struct value_store;

template <class Ext, class Tuid>
struct value_store<bool, Ext, Tuid> {
    static bool convert(Tcl_Obj* obj) {
        const char* text = safe_string(obj);
        int flag = 0;
        if (Tcl_GetBooleanFromObj(nullptr, obj, &flag) == TCL_OK) return flag != 0;
        bool value = false;
        if (ResolveBool(value, text)) return value;
        throw HTCErrors::type_error();
    }
    static boost::any copy(const boost::any& value) { return value; }
    // A switch given a second explicit value reports that value as invalid.
    static constexpr bool repeat_is_invalid_value = true;
};

template <class Ext, class Tuid>
struct value_store<std::string, Ext, Tuid> {
    static std::string convert(Tcl_Obj* obj) {
        int length = 0;
        const char* text = safe_string(obj, &length);
        return std::string(text, static_cast<std::size_t>(length));
    }
    static boost::any copy(const boost::any& value) { return value; }
    static constexpr bool repeat_is_invalid_value = false;
};

template <class V, class Ext, class Tuid>
struct value_store<tcl_collection<HSTVector<V>>, Ext, Tuid> {
    using collection = tcl_collection<HSTVector<V>>;
    static collection convert(Tcl_Obj* obj) {
        return tcl_to_collection<V, Ext, Tuid>(detail::tcl_globals::interp, obj);
    }
    // Collections are stored as copies: the stored value grows with later
    // occurrences and must not change the caller's collection.
    static boost::any copy(const boost::any& value) { return boost::any_cast<const collection&>(value).copy(); }
};

}  // namespace detail

template <class V, class tcltype, class Ext, class Tuid>
class tcl_value_semantic : public boost::program_options::value_semantic, public itcl_value_semantic {
public:
    using store_type = detail::value_store<V, Ext, Tuid>;
    using pre_parse_hook = boost::function<void(boost::any&, const std::vector<std::string>&)>;
    using default_maker = boost::function<boost::any()>;

    tcl_value_semantic* default_value(const V& value, const std::string& text) {
        default_ = std::make_pair(boost::any(value), text);
        return this;
    }
    tcl_value_semantic* implicit_value(const V& value, const std::string& text) {
        implicit_ = std::make_pair(boost::any(value), text);
        return this;
    }
    tcl_value_semantic* multitoken() {
        multitoken_ = true;
        return this;
    }
    tcl_value_semantic* composing(bool compose) {
        composing_ = compose;
        return this;
    }
    tcl_value_semantic* pre_parse(pre_parse_hook hook) {
        pre_parse_ = std::move(hook);
        return this;
    }
    // The default is made by maker on each use; text is what help shows.
    tcl_value_semantic* default_producer(default_maker maker, const std::string& text) {
        default_maker_ = std::move(maker);
        default_ = std::make_pair(boost::any(), text);
        return this;
    }

    // boost value_semantic
    std::string name() const override {
        if (implicit_ && !implicit_->second.empty()) {
            std::string text = "[=arg(=" + implicit_->second + ")]";
            if (default_ && !default_->second.empty()) text += " (=" + default_->second + ")";
            return text;
        }
        if (default_ && !default_->second.empty()) return "arg (=" + default_->second + ")";
        return "arg";
    }
    unsigned min_tokens() const override { return implicit_ ? 0 : 1; }
    unsigned max_tokens() const override { return multitoken_ ? 32000 : min_tokens(); }
    bool is_composing() const override { return composing_; }
    bool is_required() const override { return false; }
    bool adjacent_tokens_only() const override { return false; }

    // The boost way: the tokens' Tcl objects come from tcl_globals.
    void parse(boost::any& store, const std::vector<std::string>& tokens, bool) const override {
        if (pre_parse_) pre_parse_(store, tokens);
        if (tokens.empty() && implicit_) {
            if (!store.empty()) throw HTCErrors::multiple_occurrences(option_name_);
            store = implicit_->first;
            return;
        }
        Tcl_Obj* obj = nullptr;
        try {
            obj = detail::tcl_globals::object_of(boost::program_options::validators::get_single_string(tokens));
        } catch (const std::exception&) {
            throw HTCErrors::invalid_option_value(option_name_, words_of(tokens));
        }
        parse_value(store, obj, V());
    }

    // The framework's way: the word's Tcl object itself, no token text.
    void parse_object(boost::any& store, const boost::any*& shared, Tcl_Obj* obj) const override {
        if (pre_parse_) {
            std::vector<std::string> tokens;
            if (obj) tokens.emplace_back(safe_string(obj));
            own(store, shared);
            pre_parse_(store, tokens);
        }
        if (!obj) {
            if (!implicit_) throw HTCErrors::invalid_option_value(option_name_, std::string());
            if (shared || !store.empty()) throw HTCErrors::multiple_occurrences(option_name_);
            if (shareable) shared = &implicit_->first;
            else store = implicit_->first;
            return;
        }
        own(store, shared);
        parse_value(store, obj, V());
    }

    const boost::any* shared_default() const override {
        if (!shareable || default_maker_ || !default_ || default_->first.empty()) return nullptr;
        return &default_->first;
    }

    bool apply_default(boost::any& store) const override {
        if (default_maker_) {
            store = default_maker_();
            return true;
        }
        if (!default_ || default_->first.empty()) return false;
        store = store_type::copy(default_->first);
        return true;
    }
    void notify(const boost::any&) const override {}

    // itcl_value_semantic
    void set_option_name(const std::string& name) override { option_name_ = name; }
    const std::string& option_name() const override { return option_name_; }

private:
    // Values every task may read from the semantic itself: they are
    // immutable and hold no Tcl object.
    static constexpr bool shareable = std::is_same<V, bool>::value || std::is_same<V, std::string>::value;

    // A value given before as the shared one becomes the store's own.
    static void own(boost::any& store, const boost::any*& shared) {
        if (!shared) return;
        store = *shared;
        shared = nullptr;
    }

    // Everything from the word's object to the stored value fails as an
    // invalid value of the option. A string reports a second value as given
    // twice; for a switch that check is part of the value's parse.
    template <class Scalar>
    void parse_value(boost::any& store, Tcl_Obj* obj, const Scalar&) const {
        if (!store_type::repeat_is_invalid_value && !store.empty()) {
            throw HTCErrors::multiple_occurrences(option_name_);
        }
        try {
            if (!store.empty()) throw HTCErrors::multiple_occurrences(option_name_);
            store = store_type::convert(obj);
        } catch (const std::exception&) {
            throw HTCErrors::invalid_option_value(option_name_, excerpt_of(obj));
        }
    }

    template <class E>
    void parse_value(boost::any& store, Tcl_Obj* obj, const tcl_collection<HSTVector<E>>&) const {
        using collection = tcl_collection<HSTVector<E>>;
        collection converted;
        try {
            converted = store_type::convert(obj);
        } catch (const std::exception&) {
            throw HTCErrors::invalid_option_value(option_name_, excerpt_of(obj));
        }
        if (store.empty()) {
            store = converted.copy();
        } else if (composing_) {
            auto& stored = boost::any_cast<collection&>(store).get();
            stored.clear_context();
            stored.append_collection(converted.get());
        } else {
            HTCWarnings::repeatedOptionWarning(option_name_);
            store = converted.copy();
        }
    }

    static std::string words_of(const std::vector<std::string>& tokens) {
        std::string text;
        for (std::size_t i = 0; i < tokens.size(); ++i) text += (i ? " " : "") + tokens[i];
        return text;
    }

    std::string option_name_ = "unknown";
    boost::optional<std::pair<boost::any, std::string>> default_;
    boost::optional<std::pair<boost::any, std::string>> implicit_;
    bool multitoken_ = false;
    bool composing_ = true;
    pre_parse_hook pre_parse_;
    default_maker default_maker_;
};

}  // namespace tcltasks
}  // namespace tov
